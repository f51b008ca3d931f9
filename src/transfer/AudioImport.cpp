#include "transfer/AudioImport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

#include "formats/AudioFileReader.h"
#include "formats/OpenWaveFile.h"
#include "store/DictationNames.h"
#include "store/DictationRecord.h"
#include "support/FreeName.h"

namespace typix {

namespace {

constexpr int kOutputBytesPerSample = 2;
// A RIFF file counts its bytes in 32 bits; a longer recording cannot be a
// wave of the queue.
constexpr int64_t kLongestWaveBytes = int64_t{std::numeric_limits<uint32_t>::max()} - 4096;

bool exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

int64_t fileSize(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? int64_t{info.st_size} : -1;
}

std::string fileNameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A base name is free when no part of a dictation triple uses it.
std::string freeBase(const std::string& folder, const std::string& stem) {
    return freeName(stem, "", [&](const std::string& base) {
        return exists(audioPath(folder, base)) || exists(recordPath(folder, base)) ||
               exists(typingPath(folder, base));
    });
}

AudioImportResult outcome(AudioOutcome what, std::string reason) {
    AudioImportResult r;
    r.outcome = what;
    r.reason = std::move(reason);
    return r;
}

// Decodes everything into the wave at `temp`.
AudioImportResult decodeInto(AudioFileReader& reader, const std::string& temp,
                             const StopTest& stop, const BlockReport& report) {
    const AudioFileInfo& info = reader.info();
    const int channels = info.channels;
    LSoundSink sink = createPCMWaveFile(temp, info.sampleRate, channels, 16, 0, HeaderSync::AtClose);
    if (!sink.usable()) return outcome(AudioOutcome::OutputFailed, "cannot write the audio file");
    std::vector<int16_t> decoded(size_t(kCopyBlockFrames) * size_t(channels));
    std::vector<int32_t> block(decoded.size());
    int64_t frames = 0;
    int blocks = 0;
    while (true) {
        if (stop && stop()) return outcome(AudioOutcome::Stopped, "stopped");
        const int64_t got = reader.read(decoded.data(), kCopyBlockFrames);
        if (got <= 0) break;
        const size_t samples = size_t(got) * size_t(channels);
        // The graph's internal scale: a 16-bit value v is v << 4.
        for (size_t i = 0; i < samples; ++i) block[i] = int32_t{decoded[i]} * 16;
        sink->write(block.data(), int32_t(got));
        if (!sink.usable()) return outcome(AudioOutcome::OutputFailed, "cannot write the audio file");
        frames += got;
        if (frames * channels * kOutputBytesPerSample > kLongestWaveBytes)
            return outcome(AudioOutcome::Undecodable, "longer than a wave file can hold");
        if (report) report(++blocks);
    }
    if (reader.failed()) return outcome(AudioOutcome::Undecodable, "the file could not be read to its end");
    if (frames == 0) return outcome(AudioOutcome::Undecodable, "no audio in the file could be decoded");
    sink.reset();  // the final header; the file is closed and made durable
    // A write that failed part-way (a full disk) shows as a short file.
    if (fileSize(temp) < frames * channels * kOutputBytesPerSample)
        return outcome(AudioOutcome::OutputFailed, "cannot write the audio file");
    return outcome(AudioOutcome::Ok, "");
}

bool writeRecord(const std::string& path, const AudioFileInfo& info, const std::string& stem,
                 int32_t date) {
    DictationRecord record(path);
    bool ok = record.setName(info.title.empty() ? stem : info.title);
    if (ok && !info.artist.empty()) ok = record.setSenderName(info.artist);
    ok = ok && record.setDate(date) && record.setPriority("Normal") &&
         record.setStatus(kStatusReceived);
    record.flush();
    return ok;
}

int32_t modificationTime(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return 0;
    return static_cast<int32_t>(info.st_mtime);
}

std::string lowerExtension(const std::string& fileName) {
    std::string extension = splitExtension(fileName).second;
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

}  // namespace

const std::vector<std::string>& audioFileExtensions() {
    static const std::vector<std::string> kAudio = {
        ".mp3", ".m4a", ".aac", ".ogg", ".oga", ".opus", ".flac", ".wma", ".amr", ".webm",
        ".mka", ".mp2", ".mpga", ".m4b", ".mp4", ".3gp", ".3ga", ".spx", ".asf", ".awb",
        ".wav", ".aif", ".aiff", ".caf", ".ac3", ".dss", ".wv",  ".ape"};
    return kAudio;
}

bool isDropFolderAudioName(const std::string& fileName) {
    if (fileName.empty() || fileName[0] == '.') return false;
    const std::vector<std::string>& all = audioFileExtensions();
    return std::find(all.begin(), all.end(), lowerExtension(fileName)) != all.end();
}

bool isAudioImportCandidate(const std::string& fileName) {
    if (fileName.empty() || fileName[0] == '.') return false;
    const std::string extension = lowerExtension(fileName);
    return extension != ".dct" && extension != kAudioExtension;
}

AudioImportResult importAudioFile(const std::string& path, const std::string& currentFolder,
                                  const StopTest& stop, const BlockReport& report) {
    std::string why;
    std::unique_ptr<AudioFileReader> reader = AudioFileReader::open(path, &why);
    if (!reader) return outcome(AudioOutcome::Undecodable, why);

    std::string temp = currentFolder + ".typix-import-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return outcome(AudioOutcome::OutputFailed, "cannot write into Current Files");
    ::close(fd);
    AudioImportResult result = decodeInto(*reader, temp, stop, report);
    if (result.outcome != AudioOutcome::Ok) {
        std::remove(temp.c_str());
        return result;
    }
    const std::string stem = splitExtension(fileNameOf(path)).first;
    const std::string base = freeBase(currentFolder, stem);
    const std::string record = recordPath(currentFolder, base);
    // The record goes first: a record without its wave is no dictation, so
    // nobody sees the dictation until the rename below makes it whole.
    if (base.empty() || !writeRecord(record, reader->info(), stem, modificationTime(path)) ||
        std::rename(temp.c_str(), audioPath(currentFolder, base).c_str()) != 0) {
        if (!base.empty()) std::remove(record.c_str());
        std::remove(temp.c_str());
        return outcome(AudioOutcome::OutputFailed, "cannot write the record or the audio file");
    }
    result.base = base;
    return result;
}

bool UndecodableFiles::skip(const std::string& path) const {
    seen_.insert(path);
    auto it = files_.find(path);
    if (it == files_.end()) return false;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    return it->second.size == info.st_size && it->second.modified == info.st_mtime;
}

void UndecodableFiles::remember(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return;
    files_[path] = {info.st_size, info.st_mtime};
    seen_.insert(path);
}

void UndecodableFiles::endPass() {
    for (auto it = files_.begin(); it != files_.end();) {
        it = seen_.count(it->first) ? std::next(it) : files_.erase(it);
    }
    seen_.clear();
}

}  // namespace typix
