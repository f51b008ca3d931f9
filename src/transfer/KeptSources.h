#pragma once
// Source files that could not be deleted after their package arrived: a
// read-only LAN share, or an FTP account without delete rights.  Each is
// remembered by where it lies, its size and its modification time, in a small
// file in the data folder, and skipped by later passes while it is unchanged,
// so the same package is not imported again and again (a dictation already
// Done would come back).  A changed file (a new package under the old name)
// is taken again.
//
// Worker thread of the loader (or typixctl); every call reads or rewrites the
// file, which is replaced atomically.
#include <cstdint>
#include <string>

namespace typix {

class KeptSources {
public:
    // `path`: the memory file; "" keeps nothing.
    explicit KeptSources(std::string path) : path_(std::move(path)) {}

    bool isRemembered(const std::string& source) const;
    // True when `source` is remembered with exactly this size and time.
    bool isUnchanged(const std::string& source, int64_t size, int64_t time) const;
    bool remember(const std::string& source, int64_t size, int64_t time);
    void forget(const std::string& source);

    // The memory file beside the settings file.
    static std::string pathBeside(const std::string& settingsFile);

private:
    struct Entry;
    bool find(const std::string& source, Entry& entry) const;
    bool rewrite(const std::string& drop, const Entry* add) const;

    std::string path_;
};

}  // namespace typix
