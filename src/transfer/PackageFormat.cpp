#include "transfer/PackageFormat.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace typix {

const std::array<const char*, kPackageStringCount> kPackageStringKeys = {
    "name", "sendername", "senderemail", "company", "phone", "cell",
    "fax",  "address1",   "address2",    "address3", "address4",
};

namespace {

// Reads fixed fields and counted strings, refusing to go past the file's end.
class HeadReader {
public:
    HeadReader(LReadFile& file, int64_t size) : file_(file), size_(size) {}

    bool bytes(void* out, int64_t count) {
        if (count < 0 || size_ - offset_ < count) return false;
        if (count > 0 && file_.read(out, static_cast<size_t>(count)) != count) return false;
        offset_ += count;
        return true;
    }
    bool u8(uint8_t& value) { return bytes(&value, 1); }
    bool u16(uint16_t& value) {
        uint8_t b[2];
        if (!bytes(b, 2)) return false;
        value = static_cast<uint16_t>(b[0] | (b[1] << 8));
        return true;
    }
    bool u32(uint32_t& value) {
        uint8_t b[4];
        if (!bytes(b, 4)) return false;
        value = static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
                (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
        return true;
    }
    bool i32(int32_t& value) {
        uint32_t raw;
        if (!u32(raw)) return false;
        value = static_cast<int32_t>(raw);
        return true;
    }
    bool counted(std::string& text) {
        uint8_t n;
        if (!u8(n)) return false;
        text.assign(n, '\0');
        return bytes(text.data(), n);
    }
    int64_t offset() const { return offset_; }
    int64_t left() const { return size_ - offset_; }

private:
    LReadFile& file_;
    int64_t size_;
    int64_t offset_ = 0;
};

PackageError readDeliveryFields(HeadReader& in, PackageHeader& header) {
    if (!in.u32(header.date)) return PackageError::Truncated;
    for (std::string& text : header.strings) {
        if (!in.counted(text)) return PackageError::Truncated;
    }
    uint32_t textLength = 0;
    if (!in.u8(header.priority) || !in.u32(textLength)) return PackageError::Truncated;
    if (textLength > in.left()) return PackageError::TextTooLong;
    std::string text(textLength, '\0');
    if (!in.bytes(text.data(), textLength)) return PackageError::Truncated;
    header.text = text.substr(0, std::strlen(text.c_str()));
    header.channels = 1;
    if (header.version == 1) {
        uint8_t m;
        if (!in.u8(m)) return PackageError::Truncated;
        header.channels = m;
    }
    header.audioOffset = in.offset();
    return PackageError::None;
}

}  // namespace

const char* packageErrorText(PackageError error) {
    switch (error) {
        case PackageError::None: return "no error";
        case PackageError::CannotOpen: return "cannot be opened";
        case PackageError::BadVersion: return "unknown package version";
        case PackageError::LengthMismatch: return "declared length differs from the file size";
        case PackageError::Truncated: return "package header is cut short";
        case PackageError::TextTooLong: return "typing text is longer than the package";
    }
    return "unknown error";
}

PackageError readPackageHeader(LReadFile& file, PackageHeader& header) {
    header = PackageHeader{};
    header.fileSize = file.size();
    if (header.fileSize < 0 || file.seek(0, SEEK_SET) != 0) return PackageError::CannotOpen;
    HeadReader in(file, header.fileSize);
    if (!in.u16(header.version)) header.version = 0xFFFF;
    if (header.version > 1) return PackageError::BadVersion;
    if (!in.u32(header.declaredLength) ||
        static_cast<int64_t>(header.declaredLength) != header.fileSize) {
        return PackageError::LengthMismatch;
    }
    int32_t kind = 0;
    if (!in.i32(kind) || !in.i32(header.senderId) || !in.i32(header.number)) {
        return PackageError::Truncated;
    }
    header.kind = kind == 1 ? PackageKind::Withdraw : PackageKind::Deliver;
    if (header.kind == PackageKind::Withdraw) {
        header.audioOffset = in.offset();
        return PackageError::None;
    }
    return readDeliveryFields(in, header);
}

std::string packageBaseName(int32_t senderId, int32_t number) {
    char name[64];
    std::snprintf(name, sizeof name, "dct%.5ld-%.5ld", static_cast<long>(senderId),
                  static_cast<long>(number));
    return name;
}

const char* priorityName(uint8_t priority) {
    if (priority <= 33) return "Low";
    if (priority <= 75) return "Normal";
    return "High";
}

bool isPlainFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F || c == '/' || c == '\\') return false;
    }
    return true;
}

}  // namespace typix
