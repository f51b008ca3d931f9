#include "app/InstallSetupFile.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "support/LFile.h"

namespace typix {

namespace {

void putLittleEndian(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
}

uint32_t getLittleEndian(const unsigned char* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
           uint32_t(bytes[3]) << 24;
}

bool readWhole(const std::string& path, std::string& out) {
    LReadFile file;
    if (!file.open(path)) return false;
    const int64_t size = file.size();
    if (size < 0) return false;
    out.resize(static_cast<size_t>(size));
    return file.read(out.data(), out.size()) == static_cast<ssize_t>(out.size());
}

std::string temporaryName(const std::string& target) { return target + ".part"; }

void removeQuietly(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

// Copies `size` bytes from `in` to a new file `path`, chunk by chunk.
SetupCopyResult copyOne(LReadFile& in, const std::string& path, uint32_t size, unsigned mode,
                        uint32_t& checksum, uint64_t& copied, uint64_t total,
                        const SetupCopyProgress& progress) {
    LWriteFile out;
    if (!out.create(path, mode)) return SetupCopyResult::CannotWrite;
    std::vector<unsigned char> chunk(kSetupCopyChunk);
    for (uint32_t left = size; left > 0;) {
        const size_t want = left < kSetupCopyChunk ? left : kSetupCopyChunk;
        const ssize_t got = in.read(chunk.data(), want);
        if (got != static_cast<ssize_t>(want)) return SetupCopyResult::CannotOpen;
        if (out.write(chunk.data(), want) != static_cast<ssize_t>(want))
            return SetupCopyResult::CannotWrite;
        checksum -= addByteSum(0, chunk.data(), want);
        left -= static_cast<uint32_t>(want);
        copied += want;
        const int percent = total ? static_cast<int>(copied * 100 / total) : 100;
        if (progress.chunkCopied && !progress.chunkCopied(percent))
            return SetupCopyResult::Cancelled;
    }
    return out.flush() ? SetupCopyResult::Copied : SetupCopyResult::CannotWrite;
}

}  // namespace

uint32_t addByteSum(uint32_t sum, const void* bytes, size_t count) {
    const auto* p = static_cast<const unsigned char*>(bytes);
    for (size_t i = 0; i < count; ++i) sum += p[i];
    return sum;
}

std::string encodeSetupTrailer(const SetupTrailer& trailer) {
    std::string out;
    for (uint32_t size : trailer.sizes) putLittleEndian(out, size);
    putLittleEndian(out, trailer.checksum);
    return out;
}

SetupTrailer decodeSetupTrailer(const unsigned char* bytes) {
    SetupTrailer trailer;
    for (size_t i = 0; i < kSetupFileCount; ++i) trailer.sizes[i] = getLittleEndian(bytes + 4 * i);
    trailer.checksum = getLittleEndian(bytes + 4 * kSetupFileCount);
    return trailer;
}

bool makeSetupFile(const std::string& programPath, const std::string& helpPath,
                   const std::string& setupPath) {
    std::string program, help;
    if (!readWhole(programPath, program) || !readWhole(helpPath, help)) return false;
    if (program.size() > UINT32_MAX || help.size() > UINT32_MAX) return false;
    SetupTrailer trailer;
    trailer.sizes = {static_cast<uint32_t>(program.size()), static_cast<uint32_t>(help.size())};
    trailer.checksum = addByteSum(addByteSum(0, program.data(), program.size()), help.data(),
                                  help.size());
    const std::string temporary = temporaryName(setupPath);
    LWriteFile out;
    bool written = out.create(temporary, 0755);
    for (const std::string* part : {&program, &help}) {
        written = written && out.write(part->data(), part->size()) == ssize_t(part->size());
    }
    const std::string tail = encodeSetupTrailer(trailer);
    written = written && out.write(tail.data(), tail.size()) == ssize_t(tail.size());
    out.close();
    if (written && std::rename(temporary.c_str(), setupPath.c_str()) == 0) return true;
    removeQuietly(temporary);
    return false;
}

SetupCopyResult copySetupFiles(const std::string& setupPath,
                               const std::array<std::string, kSetupFileCount>& targets,
                               const SetupCopyProgress& progress,
                               const std::array<unsigned, kSetupFileCount>& modes) {
    LReadFile in;
    if (!in.open(setupPath)) return SetupCopyResult::CannotOpen;
    const int64_t length = in.size();
    if (length < static_cast<int64_t>(kSetupTrailerSize)) return SetupCopyResult::ChecksumError;
    unsigned char tail[kSetupTrailerSize];
    if (in.seek(length - static_cast<int64_t>(kSetupTrailerSize), SEEK_SET) < 0 ||
        in.read(tail, sizeof tail) != static_cast<ssize_t>(sizeof tail))
        return SetupCopyResult::CannotOpen;
    const SetupTrailer trailer = decodeSetupTrailer(tail);
    uint64_t total = 0;
    for (uint32_t size : trailer.sizes) total += size;
    if (total + kSetupTrailerSize != static_cast<uint64_t>(length))
        return SetupCopyResult::ChecksumError;
    if (in.seek(0, SEEK_SET) != 0) return SetupCopyResult::CannotOpen;

    uint32_t checksum = trailer.checksum;
    uint64_t copied = 0;
    SetupCopyResult result = SetupCopyResult::Copied;
    size_t started = 0;
    for (; started < kSetupFileCount && result == SetupCopyResult::Copied; ++started) {
        if (progress.fileStarted) progress.fileStarted(started);
        result = copyOne(in, temporaryName(targets[started]), trailer.sizes[started],
                         modes[started], checksum, copied, total, progress);
    }
    if (result == SetupCopyResult::Copied && checksum != 0) result = SetupCopyResult::ChecksumError;
    for (size_t i = 0; i < started; ++i) {
        const std::string temporary = temporaryName(targets[i]);
        if (result == SetupCopyResult::Copied &&
            std::rename(temporary.c_str(), targets[i].c_str()) != 0)
            result = SetupCopyResult::CannotWrite;
        if (result != SetupCopyResult::Copied) removeQuietly(temporary);
    }
    return result;
}

}  // namespace typix
