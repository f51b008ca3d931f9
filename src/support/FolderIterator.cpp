#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cctype>

#include "support/LFile.h"

namespace typix {

namespace {
bool sameLetter(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}
}  // namespace

bool wildcardMatch(const std::string& pattern, const std::string& name) {
    // "*.*" is the traditional way to say "every name", dot or not.
    if (pattern == "*.*") return true;
    size_t p = 0, n = 0;
    size_t starAt = std::string::npos, resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || sameLetter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            resumeAt = n;
        } else if (starAt != std::string::npos) {
            p = starAt + 1;  // let the last '*' swallow one more character
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

struct LFile::FolderIterator::Impl {
    std::string folder;    // with its trailing '/', or empty for the current folder
    std::string wildcard;
    DIR* dir = nullptr;
    std::string name;
    unsigned char type = DT_UNKNOWN;

    struct statx examine(unsigned mask) const {
        struct statx info {};
        const std::string path = folder.empty() ? name : folder + name;
        if (statx(AT_FDCWD, path.c_str(), 0, mask, &info) != 0) info.stx_mask = 0;
        return info;
    }
};

LFile::FolderIterator::FolderIterator(const std::string& pattern) : impl_(std::make_unique<Impl>()) {
    const size_t slash = pattern.rfind('/');
    if (slash == std::string::npos) {
        impl_->wildcard = pattern;
    } else {
        impl_->folder = pattern.substr(0, slash + 1);
        impl_->wildcard = pattern.substr(slash + 1);
    }
    impl_->dir = ::opendir(impl_->folder.empty() ? "." : impl_->folder.c_str());
    next();
}

LFile::FolderIterator::~FolderIterator() {
    if (impl_->dir) ::closedir(impl_->dir);
}

bool LFile::FolderIterator::valid() const { return !impl_->name.empty(); }

const std::string& LFile::FolderIterator::name() const { return impl_->name; }

std::string LFile::FolderIterator::path() const { return impl_->folder + impl_->name; }

void LFile::FolderIterator::next() {
    impl_->name.clear();
    if (!impl_->dir) return;
    while (const dirent* entry = ::readdir(impl_->dir)) {
        const std::string candidate = entry->d_name;
        if (candidate == "." || candidate == "..") continue;
        if (!wildcardMatch(impl_->wildcard, candidate)) continue;
        impl_->name = candidate;
        impl_->type = entry->d_type;
        return;
    }
    // The end: the listing is released at once, not only at destruction.
    ::closedir(impl_->dir);
    impl_->dir = nullptr;
}

bool LFile::FolderIterator::isDirectory() const {
    if (!valid()) return false;
    if (impl_->type != DT_UNKNOWN && impl_->type != DT_LNK) return impl_->type == DT_DIR;
    const struct statx info = impl_->examine(STATX_TYPE);
    return (info.stx_mask & STATX_TYPE) && S_ISDIR(info.stx_mode);
}

int64_t LFile::FolderIterator::creationTime() const {
    if (!valid()) return 0;
    const struct statx info = impl_->examine(STATX_BTIME | STATX_MTIME);
    if (info.stx_mask & STATX_BTIME) return info.stx_btime.tv_sec;
    if (info.stx_mask & STATX_MTIME) return info.stx_mtime.tv_sec;
    return 0;
}

int64_t LFile::FolderIterator::modificationTime() const {
    if (!valid()) return 0;
    const struct statx info = impl_->examine(STATX_MTIME);
    return (info.stx_mask & STATX_MTIME) ? info.stx_mtime.tv_sec : 0;
}

int64_t LFile::FolderIterator::size() const {
    if (!valid()) return -1;
    const struct statx info = impl_->examine(STATX_SIZE);
    return (info.stx_mask & STATX_SIZE) ? static_cast<int64_t>(info.stx_size) : -1;
}

}  // namespace typix
