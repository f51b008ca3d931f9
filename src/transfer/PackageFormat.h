#pragma once
// The dictation package (".dct") as senders' programs write it.  Little-endian:
//
//   version u16 (0 or 1) | length u32 (whole file) | kind i32 (1 = withdraw)
//   | sender id i32 | number i32 | date u32 | eleven counted strings (u8 n,
//   n bytes) | priority u8 | text length u32 | text | channel count u8
//   (version 1 only) | audio segments (version 1: u32 size + bytes each;
//   version 0: one wave file running to the end of the package)
//
// A withdraw package ends after the number.  readPackageHeader() reads the
// whole head of a package before anything is written anywhere, so a malformed
// package leaves no trace; a count that would run past the end of the file is
// rejected instead of being allocated.
#include <array>
#include <cstdint>
#include <string>

#include "support/LFile.h"

namespace typix {

inline constexpr int kPackageStringCount = 11;
inline constexpr int kMaxPackageChannels = 16;

// Record keys of the eleven counted strings, in package order.
extern const std::array<const char*, kPackageStringCount> kPackageStringKeys;

enum class PackageKind { Deliver, Withdraw };

enum class PackageError {
    None,
    CannotOpen,      // the file does not open for reading
    BadVersion,      // version above 1 (or unreadable)
    LengthMismatch,  // declared length differs from the file's size
    Truncated,       // a field or counted string runs past the end
    TextTooLong,     // the text length exceeds what is left of the file
};

const char* packageErrorText(PackageError error);

struct PackageHeader {
    uint16_t version = 0xFFFF;
    uint32_t declaredLength = 0;
    PackageKind kind = PackageKind::Deliver;
    int32_t senderId = 0;
    int32_t number = 0;
    uint32_t date = 0;
    std::array<std::string, kPackageStringCount> strings;
    uint8_t priority = 0;
    std::string text;      // the typing, cut at its first zero byte
    int channels = 1;      // m as stored (0..255); version 0 is always 1
    int64_t audioOffset = 0;  // where the first segment (or its size) starts
    int64_t fileSize = 0;
};

// Reads the head of the package open in `file` (positioned anywhere).  On
// success the file is left at header.audioOffset.
PackageError readPackageHeader(LReadFile& file, PackageHeader& header);

// "dct%.5ld-%.5ld": every digit kept, at least five each.
std::string packageBaseName(int32_t senderId, int32_t number);

// 0..33 "Low", 34..75 "Normal", 76..255 "High".
const char* priorityName(uint8_t priority);

// True for a name that may become a file name inside a local folder: not
// empty, not "." or "..", no '/' or '\\', no control characters.  Dots
// inside a name ("memo..dct") are plain: only a whole ".." names a parent.
bool isPlainFileName(const std::string& name);

}  // namespace typix
