#include "transfer/PackageImporter.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "store/DictationFiles.h"
#include "store/DictationNames.h"
#include "store/TypingFile.h"
#include "support/IniFile.h"
#include "support/LDatFile.h"
#include "support/LFile.h"
#include "transfer/AudioSteps.h"
#include "transfer/PackageFormat.h"

namespace typix {

namespace {

constexpr int64_t kChunkBytes = 4096;
constexpr uint32_t kVersion0SegmentBytes = 2147483647;
const char* const kRecordSection = "file";

struct DictationPaths {
    std::string base, wav, dat, txt;
    DictationPaths(const std::string& folder, std::string name)
        : base(std::move(name)), wav(folder + base + ".wav"), dat(folder + base + ".dat"),
          txt(folder + base + ".txt") {}
};

ImportResult result(ImportStatus status, const std::string& base, std::string reason = "") {
    return ImportResult{status, base, std::move(reason)};
}

// A new record is written whole, in one atomic replace: a package then costs
// one file sync for its record rather than one for each of its keys.
bool writeNewRecord(const std::string& path, const PackageHeader& header) {
    std::string text = "[file]\n";
    const auto add = [&text](const char* key, const std::string& value) {
        text += std::string(key) + "=" + iniValueAsWritten(value) + "\n";
    };
    add("senderid", std::to_string(header.senderId));
    add("number", std::to_string(header.number));
    add("status", "Received");
    add("date", std::to_string(static_cast<int32_t>(header.date)));
    for (int i = 0; i < kPackageStringCount; ++i) add(kPackageStringKeys[i], header.strings[i]);
    add("priority", priorityName(header.priority));
    const std::string temp = path + ".part";
    LWriteFile file;
    bool ok = file.create(temp, 0600) &&
              file.write(text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
              file.flush();
    file.close();
    if (ok && std::rename(temp.c_str(), path.c_str()) == 0) return true;
    std::remove(temp.c_str());
    return false;
}

bool writeRecord(const std::string& path, const PackageHeader& header) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0 && errno == ENOENT) return writeNewRecord(path, header);
    // An existing record is updated key by key: keys it has beyond these stay.
    LDatFile record(path, kPrivateFileMode);
    bool ok = record.writeInt(kRecordSection, "senderid", header.senderId);
    ok = ok && record.writeInt(kRecordSection, "number", header.number);
    ok = ok && record.writeText(kRecordSection, "status", "Received");
    // The date is stored as the package gives it, as a signed decimal.
    ok = ok && record.writeInt(kRecordSection, "date", static_cast<int32_t>(header.date));
    for (int i = 0; ok && i < kPackageStringCount; ++i) {
        ok = record.writeText(kRecordSection, kPackageStringKeys[i], header.strings[i]);
    }
    ok = ok && record.writeText(kRecordSection, "priority", priorityName(header.priority));
    return ok;
}

// Copies segment bytes out of the package in 4096-byte chunks.  A segment
// that claims more than the package holds ends at the package's end.
AudioOutcome extractSegment(LReadFile& package, int64_t bytes, const std::string& temp,
                            ImportHost& host) {
    LWriteFile out;
    if (!out.create(temp)) return AudioOutcome::OutputFailed;
    char chunk[kChunkBytes];
    while (bytes > 0) {
        ssize_t got = package.read(chunk, static_cast<size_t>(std::min(bytes, kChunkBytes)));
        if (got <= 0) break;
        if (out.write(chunk, static_cast<size_t>(got)) != got) return AudioOutcome::OutputFailed;
        bytes -= got;
        if (host.importStopRequested()) return AudioOutcome::Stopped;
    }
    return out.flush() ? AudioOutcome::Ok : AudioOutcome::OutputFailed;
}

AudioOutcome extractAll(LReadFile& package, const PackageHeader& header, int m,
                        std::vector<std::string>& temps, ImportHost& host) {
    for (int k = 0; k < m; ++k) {
        int64_t bytes = kVersion0SegmentBytes;
        if (header.version == 1) {
            uint8_t size[4] = {0, 0, 0, 0};
            if (package.read(size, 4) != 4) return AudioOutcome::Undecodable;
            bytes = static_cast<int64_t>(size[0]) | (static_cast<int64_t>(size[1]) << 8) |
                    (static_cast<int64_t>(size[2]) << 16) | (static_cast<int64_t>(size[3]) << 24);
        }
        temps.push_back(makeTempFile());
        if (temps.back().empty()) return AudioOutcome::OutputFailed;
        AudioOutcome outcome = extractSegment(package, bytes, temps.back(), host);
        if (outcome != AudioOutcome::Ok) return outcome;
    }
    return AudioOutcome::Ok;
}

AudioOutcome convertAll(const std::string& target, std::vector<std::string>& temps,
                        ImportHost& host) {
    const StopTest stop = [&host] { return host.importStopRequested(); };
    const size_t m = temps.size();
    for (size_t k = 0; k < m; ++k) {
        std::string output = m == 1 ? target : makeTempFile();
        if (output.empty()) return AudioOutcome::OutputFailed;
        AudioOutcome outcome = convertWave(temps[k], output, true, stop);
        if (m > 1) {
            std::remove(temps[k].c_str());
            temps[k] = output;
        }
        if (outcome != AudioOutcome::Ok) return outcome;
    }
    return AudioOutcome::Ok;
}

AudioOutcome decodeAudio(LReadFile& package, const PackageHeader& header,
                         const std::string& target, float start, float span, ImportHost& host) {
    int m = std::min(header.channels, kMaxPackageChannels);
    if (m == 0) return AudioOutcome::Ok;
    host.importProgress(start);
    std::vector<std::string> temps;
    AudioOutcome outcome = extractAll(package, header, m, temps, host);
    host.importProgress(start + 0.4f * span);
    if (outcome == AudioOutcome::Ok) outcome = convertAll(target, temps, host);
    host.importProgress(start + 0.8f * span);
    if (outcome == AudioOutcome::Ok && m > 1) {
        outcome = mergeChannels(temps, target, [&host] { return host.importStopRequested(); });
        host.importProgress(start + span);
    }
    // The temporary files never outlive the import, whatever happened.
    for (const std::string& temp : temps) std::remove(temp.c_str());
    if (outcome == AudioOutcome::Ok && host.importStopRequested()) outcome = AudioOutcome::Stopped;
    if (outcome != AudioOutcome::Ok) std::remove(target.c_str());
    return outcome;
}

ImportResult withdraw(const DictationPaths& paths, ImportHost& host) {
    host.withFileInUse([&paths](const std::string& fileInUse) {
        if (paths.wav == fileInUse) return;
        const std::lock_guard<std::mutex> turn(currentFilesTurn());
        std::remove(paths.wav.c_str());
        std::remove(paths.dat.c_str());
        std::remove(paths.txt.c_str());
    });
    return result(ImportStatus::Withdrawn, paths.base);
}

ImportResult deliver(LReadFile& package, const PackageHeader& header, DictationPaths paths,
                     const std::string& folder, float start, float span, ImportHost& host) {
    bool inUse = false;
    host.withFileInUse([&](const std::string& fileInUse) { inUse = paths.wav == fileInUse; });
    if (inUse) paths = DictationPaths(folder, paths.base + " REPLACED");
    if (!writeRecord(paths.dat, header) || !writeTyping(paths.txt, header.text)) {
        std::remove(paths.dat.c_str());
        std::remove(paths.txt.c_str());
        return result(ImportStatus::Failed, paths.base, "cannot write the record or typing file");
    }
    AudioOutcome audio = decodeAudio(package, header, paths.wav, start, span, host);
    if (audio == AudioOutcome::Ok) {
        LDatFile(paths.dat).flush();
        return result(ImportStatus::Delivered, paths.base);
    }
    std::remove(paths.dat.c_str());
    std::remove(paths.txt.c_str());
    switch (audio) {
        case AudioOutcome::Undecodable:
            return result(ImportStatus::Malformed, paths.base, "audio cannot be decoded");
        case AudioOutcome::Stopped:
            return result(ImportStatus::Stopped, paths.base, "stopped");
        default:
            return result(ImportStatus::Failed, paths.base, "cannot write the audio file");
    }
}

}  // namespace

ImportResult importPackage(const std::string& path, const std::string& currentFolder,
                           float start, float span, ImportHost& host) {
    LReadFile package;
    if (!package.open(path)) {
        return result(ImportStatus::Failed, "", packageErrorText(PackageError::CannotOpen));
    }
    PackageHeader header;
    PackageError error = readPackageHeader(package, header);
    if (error != PackageError::None) {
        return result(ImportStatus::Malformed, "", packageErrorText(error));
    }
    DictationPaths paths(currentFolder, packageBaseName(header.senderId, header.number));
    if (header.kind == PackageKind::Withdraw) return withdraw(paths, host);
    return deliver(package, header, paths, currentFolder, start, span, host);
}

}  // namespace typix
