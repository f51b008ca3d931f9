#pragma once
// Wave files built byte by byte for the format tests, and a scratch folder per
// test under TYPIX_TEST_TMP (else /tmp), removed afterwards.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace typix::test {

class ScratchFolder {
public:
    ScratchFolder() {
        const char* base = std::getenv("TYPIX_TEST_TMP");
        std::filesystem::path root = base && *base ? base : "/tmp";
        std::filesystem::create_directories(root);
        std::string pattern = (root / "wave-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Little-endian byte builder.
struct Bytes {
    std::string data;

    Bytes& tag(const char* four) { data.append(four, 4); return *this; }
    Bytes& u16(uint32_t v) { return put(v, 2); }
    Bytes& u32(uint32_t v) { return put(v, 4); }
    Bytes& s24(int32_t v) { return put(static_cast<uint32_t>(v), 3); }
    Bytes& raw(const std::string& more) { data += more; return *this; }
    Bytes& zeros(size_t n) { data.append(n, '\0'); return *this; }
    Bytes& put(uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) data.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        return *this;
    }
};

// A "fmt " chunk body of `size` bytes (at least 14): tag, channels, rate,
// byte rate, block align, then bits when there is room; the rest zeros.
inline std::string formatBody(uint32_t size, uint16_t tag, uint16_t channels, uint32_t rate,
                              uint16_t bits) {
    const uint16_t align = static_cast<uint16_t>(channels * ((bits + 7) / 8));
    Bytes b;
    b.u16(tag).u16(channels).u32(rate).u32(rate * align).u16(align);
    if (size >= 16) b.u16(bits);
    if (b.data.size() < size) b.zeros(size - b.data.size());
    b.data.resize(size);
    return b.data;
}

inline std::string chunk(const char* id, const std::string& body, uint32_t sizeField) {
    Bytes b;
    b.tag(id).u32(sizeField).raw(body);
    return b.data;
}
inline std::string chunk(const char* id, const std::string& body) {
    return chunk(id, body, static_cast<uint32_t>(body.size()));
}

// RIFF/WAVE around the given chunks.
inline std::string riffWave(const std::string& chunks) {
    Bytes b;
    b.tag("RIFF").u32(static_cast<uint32_t>(4 + chunks.size())).tag("WAVE").raw(chunks);
    return b.data;
}

inline std::string pcmWave(uint16_t channels, uint32_t rate, uint16_t bits, const std::string& data) {
    return riffWave(chunk("fmt ", formatBody(16, 1, channels, rate, bits)) + chunk("data", data));
}

inline std::string samples16(const std::vector<int16_t>& values) {
    Bytes b;
    for (int16_t v : values) b.u16(static_cast<uint16_t>(v));
    return b.data;
}

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline uint32_t le32(const std::string& bytes, size_t at) {
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
           uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
}

}  // namespace typix::test
