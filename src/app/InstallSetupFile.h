#pragma once
// The setup file: the program, then the help document, then a trailer of
// 4 × (files + 1) bytes holding each file's size and the checksum, all
// unsigned 32-bit little-endian.  The checksum is the sum of every byte of
// every file, each taken as unsigned, modulo 2^32.  File 1 starts at offset 0,
// so the setup file's own executable image is file 1.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace typix {

inline constexpr size_t kSetupFileCount = 2;
inline constexpr size_t kSetupTrailerSize = 4 * (kSetupFileCount + 1);
// Bytes copied between two progress reports and cancel checks.
inline constexpr size_t kSetupCopyChunk = 4096;

struct SetupTrailer {
    std::array<uint32_t, kSetupFileCount> sizes{};
    uint32_t checksum = 0;
};

// Adds the bytes to `sum` (each byte unsigned, wrapping at 2^32).
uint32_t addByteSum(uint32_t sum, const void* bytes, size_t count);

// The 12 trailer bytes in file order.
std::string encodeSetupTrailer(const SetupTrailer& trailer);
SetupTrailer decodeSetupTrailer(const unsigned char* bytes);

// Writes program + help + trailer to `setupPath` (mode 0755).  False when a
// file could not be read or the result not written; no partial file is left.
bool makeSetupFile(const std::string& programPath, const std::string& helpPath,
                   const std::string& setupPath);

enum class SetupCopyResult {
    Copied,          // both files written and the checksum came to 0
    ChecksumError,   // the trailer and the bytes disagree; no target was replaced
    Cancelled,       // stopped after a chunk; no target was replaced
    CannotOpen,      // the setup file could not be read
    CannotWrite,     // a target could not be written; no target was replaced
};

struct SetupCopyProgress {
    // Called when file `index` starts.
    std::function<void(size_t index)> fileStarted;
    // Called after every chunk with copied-so-far × 100 / total; returning
    // false stops the copy there.
    std::function<bool(int percent)> chunkCopied;
};

// Copies the files of `setupPath` to `targets` (in file order).  Each file is
// first written beside its target under a temporary name and renamed into
// place only when every byte was copied and the checksum came to 0, so a
// corrupt or interrupted setup never replaces a working installation (and a
// running program file is replaced, never overwritten).  A trailer whose sizes
// do not add up to the file's length is a checksum error before any copy.
SetupCopyResult copySetupFiles(const std::string& setupPath,
                               const std::array<std::string, kSetupFileCount>& targets,
                               const SetupCopyProgress& progress,
                               const std::array<unsigned, kSetupFileCount>& modes = {0755, 0644});

}  // namespace typix
