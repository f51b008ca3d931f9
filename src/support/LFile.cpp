#include "support/LFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace typix {

LFile::LFile(LFile&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

LFile& LFile::operator=(LFile&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

bool LFile::close() {
    if (fd_ < 0) return true;
    // The descriptor is released even when close reports an error, so it is
    // never closed again (it may already belong to another file).
    const bool closed = ::close(fd_) == 0 || errno == EINTR;
    fd_ = -1;
    return closed;
}

bool LFile::openWith(const std::string& path, int flags, unsigned mode) {
    close();
    do {
        fd_ = ::open(path.c_str(), flags | O_CLOEXEC, static_cast<mode_t>(mode));
    } while (fd_ < 0 && errno == EINTR);
    return fd_ >= 0;
}

ssize_t LFile::read(void* buffer, size_t bytes) {
    if (fd_ < 0) return -1;
    auto* at = static_cast<char*>(buffer);
    size_t done = 0;
    while (done < bytes) {
        const ssize_t got = ::read(fd_, at + done, bytes - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(done);
}

ssize_t LFile::readAt(void* buffer, size_t bytes, int64_t offset) {
    if (fd_ < 0 || offset < 0) return -1;
    auto* at = static_cast<char*>(buffer);
    size_t done = 0;
    while (done < bytes) {
        const ssize_t got = ::pread(fd_, at + done, bytes - done, static_cast<off_t>(offset + static_cast<int64_t>(done)));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(done);
}

ssize_t LFile::write(const void* buffer, size_t bytes) {
    if (fd_ < 0) return -1;
    const auto* at = static_cast<const char*>(buffer);
    size_t done = 0;
    while (done < bytes) {
        const ssize_t put = ::write(fd_, at + done, bytes - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return -1;
        done += static_cast<size_t>(put);
    }
    return static_cast<ssize_t>(done);
}

int64_t LFile::seek(int64_t offset, int whence) {
    if (fd_ < 0) return -1;
    return ::lseek(fd_, static_cast<off_t>(offset), whence);
}

int64_t LFile::tell() { return seek(0, SEEK_CUR); }

int64_t LFile::size() {
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0) return -1;
    return info.st_size;
}

bool LFile::setEndHere() {
    const int64_t here = tell();
    return here >= 0 && ::ftruncate(fd_, static_cast<off_t>(here)) == 0;
}

bool LFile::flush() { return fd_ >= 0 && ::fdatasync(fd_) == 0; }

bool LReadFile::open(const std::string& path) { return openWith(path, O_RDONLY); }

bool LWriteFile::create(const std::string& path, unsigned mode) {
    return openWith(path, O_WRONLY | O_CREAT | O_TRUNC, mode);
}

bool LWriteFile::append(const std::string& path) {
    if (!openWith(path, O_WRONLY)) return false;
    if (seek(0, SEEK_END) < 0) {
        close();
        return false;
    }
    return true;
}

bool LWriteFile::openOrCreate(const std::string& path, unsigned mode) {
    // Read access too where allowed, so a writer can look at what it keeps.
    if (openWith(path, O_RDWR | O_CREAT, mode)) return true;
    return openWith(path, O_WRONLY | O_CREAT, mode);
}

}  // namespace typix
