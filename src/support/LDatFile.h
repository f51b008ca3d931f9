#pragma once
// A key/value text file (settings, dictation records) addressed by path.
// Every operation goes straight to the file; nothing is cached.  Reads never
// fail (the default stands in); writes create the file and section as needed.
//
// Writes report false on failure (the old file is then untouched) and with an
// empty path.  Not shared between threads: each thread makes its own object.
//
// Encodings:
//  - integer: decimal text; read by atoi rules (leading blanks, optional sign,
//    digits up to the first other character, 0 when none).
//  - flag: "true"/"false"; read true exactly when the value equals "true"
//    ignoring case.  A missing key gives the default.
//  - level (dB, signed 8-bit): written "--dB" below -126, else "%ddB"; read by
//    appending every digit, a first '-' negates, a second '-' makes 127, the
//    result clamped to -127..127 ("--dB" reads as -127).
//  - text: as is, at most 259 characters.
#include <cstdint>
#include <string>
#include <utility>

namespace typix {

int parseAtoi(const std::string& text);
int8_t parseLevel(const std::string& text);
// "--dB" below -126, else "%ddB" (levels above 127 are written as 127).
std::string formatLevel(int level);

class LDatFile {
public:
    LDatFile() = default;
    explicit LDatFile(std::string path, unsigned fileMode = 0644)
        : path_(std::move(path)), fileMode_(fileMode) {}
    // Flushes (see flush()) when the path is not empty and this object wrote;
    // an object that only read has nothing to make durable.
    ~LDatFile();

    const std::string& path() const { return path_; }

    int readInt(const std::string& section, const std::string& key, int def) const;
    bool readFlag(const std::string& section, const std::string& key, bool def) const;
    int8_t readLevel(const std::string& section, const std::string& key, int def) const;
    std::string readText(const std::string& section, const std::string& key,
                         const std::string& def = "") const;

    bool writeInt(const std::string& section, const std::string& key, int value);
    bool writeFlag(const std::string& section, const std::string& key, bool value);
    bool writeLevel(const std::string& section, const std::string& key, int level);
    bool writeText(const std::string& section, const std::string& key, const std::string& value);

    // Makes the file durable on disk.  Each write already syncs the new file
    // before renaming it into place; this syncs the folder holding the name.
    void flush() const;

private:
    std::string path_;
    unsigned fileMode_ = 0644;
    bool wrote_ = false;
};

}  // namespace typix
