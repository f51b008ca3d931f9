#pragma once
// Owning wrappers for raw files and folder listings.  They add no buffering and
// report failure only through their results; an object that failed to open
// holds no descriptor and closes nothing.  Not shared between threads.
#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>

namespace typix {

class LFile {
public:
    class FolderIterator;

    LFile() = default;
    ~LFile() { close(); }
    LFile(LFile&& other) noexcept;
    LFile& operator=(LFile&& other) noexcept;
    LFile(const LFile&) = delete;
    LFile& operator=(const LFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // False when the system reports an error on closing (a delayed write
    // error on some file systems); the descriptor is gone either way.
    bool close();

    // Plain system calls on the descriptor; -1 on failure (retried on EINTR).
    ssize_t read(void* buffer, size_t bytes);   // reads until `bytes` or end of file
    ssize_t write(const void* buffer, size_t bytes);  // writes all or fails
    // Reads at `offset` without moving the file offset, until `bytes` or end of file.
    ssize_t readAt(void* buffer, size_t bytes, int64_t offset);
    int64_t seek(int64_t offset, int whence);  // SEEK_SET / SEEK_CUR / SEEK_END
    int64_t tell();
    int64_t size();
    bool setEndHere();  // truncates the file at the current offset
    bool flush();       // fdatasync

protected:
    // Opens `path` with `flags` (O_CLOEXEC is added), closing any earlier file.
    bool openWith(const std::string& path, int flags, unsigned mode = 0);

    int fd_ = -1;
};

// Opened for reading; other processes and objects may keep writing the file.
class LReadFile : public LFile {
public:
    bool open(const std::string& path);
};

class LWriteFile : public LFile {
public:
    // Creates or empties the file.  `mode` applies only when it is created.
    bool create(const std::string& path, unsigned mode = 0644);
    // Opens an existing file for writing and moves to its end; false when it
    // does not exist (the caller then creates it and writes its header).
    bool append(const std::string& path);
    // Opens for writing, creating the file if absent and keeping it if present,
    // positioned at offset 0 (the wave sink's mode).
    bool openOrCreate(const std::string& path, unsigned mode = 0644);
};

// Lists a folder with a wildcard name, as "folder/*.wav".  '*' and '?' match
// without regard to letter case ("*.wav" finds a.WAV).  Entries come in the
// order the file system gives; "." and ".." are skipped, directories are not.
// Deleting or moving the current entry while iterating is allowed.
class LFile::FolderIterator {
public:
    // `pattern` is a folder path followed directly by a wildcard file name
    // ("/data/Current Files/*.wav").  A missing folder yields no entries.  A
    // pattern without '/' lists the current folder.
    explicit FolderIterator(const std::string& pattern);
    ~FolderIterator();
    FolderIterator(const FolderIterator&) = delete;
    FolderIterator& operator=(const FolderIterator&) = delete;

    bool valid() const;             // there is a current entry
    const std::string& name() const;  // the current entry's name, without folder
    std::string path() const;         // folder + name
    bool isDirectory() const;
    int64_t creationTime() const;   // seconds since 1970: birth time, else modification time
    int64_t modificationTime() const;  // seconds since 1970
    int64_t size() const;              // bytes; -1 when the entry cannot be examined
    // Moves to the next matching entry; valid() turns false at the end.
    void next();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

using FolderIterator = LFile::FolderIterator;

// True when `name` matches the wildcard `pattern` ('*', '?'), ignoring case.
bool wildcardMatch(const std::string& pattern, const std::string& name);

}  // namespace typix
