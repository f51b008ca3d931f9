#include "store/DictationFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "store/DictationNames.h"
#include "store/DictationRecord.h"
#include "support/LFile.h"

namespace typix {

namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr uint64_t kUnixEpochInFileTimeSeconds = 11644473600ULL;

// Copies across file systems: into a temporary name beside the target, then
// renamed over it, then the source removed.
bool copyThenRemove(const std::string& from, const std::string& to) {
    const std::string temporary = to + ".moving";
    std::error_code error;
    if (!std::filesystem::copy_file(from, temporary,
                                    std::filesystem::copy_options::overwrite_existing, error) ||
        std::rename(temporary.c_str(), to.c_str()) != 0) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return ::unlink(from.c_str()) == 0;
}

// Moves `from` onto `to`, replacing an existing file.
bool moveReplacing(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    return errno == EXDEV && copyThenRemove(from, to);
}

// Moves `from` onto `to` only when `to` does not exist.
bool moveWithoutReplacing(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EXDEV) return false;
    // File systems without RENAME_NOREPLACE (and moves across file systems):
    // the target test and the move are then two steps.
    if (::access(to.c_str(), F_OK) == 0) return false;
    return moveReplacing(from, to);
}

void stampWithCurrentTime(const std::string& path) { ::utimensat(AT_FDCWD, path.c_str(), nullptr, 0); }

uint64_t modificationFileTime(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return 0;
    return fileTimeFromUnix(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
}

}  // namespace

uint64_t fileTimeFromUnix(int64_t seconds, int64_t nanoseconds) {
    return (static_cast<uint64_t>(seconds) + kUnixEpochInFileTimeSeconds) * 10000000ULL +
           static_cast<uint64_t>(nanoseconds) / 100;
}

uint64_t currentFileTime() {
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return fileTimeFromUnix(now.tv_sec, now.tv_nsec);
}

bool isOldEnoughToPurge(uint64_t nowFileTime, uint64_t fileFileTime) {
    const uint32_t fileHigh = static_cast<uint32_t>(fileFileTime >> 32);
    if (fileHigh == 0) return false;
    const uint32_t nowHigh = static_cast<uint32_t>(nowFileTime >> 32);
    // A file dated after now (the clock was put back) is as new as can be; the
    // unsigned difference would otherwise make it look ancient.
    if (fileHigh > nowHigh) return false;
    return nowHigh - fileHigh > kPurgeAgeLimit;
}

int purgeDoneFiles(const std::string& doneFolder, uint64_t nowFileTime) {
    int deleted = 0;
    for (FolderIterator it(doneFolder + "*"); it.valid(); it.next()) {
        if (it.isDirectory()) continue;
        const std::string path = it.path();
        if (isOldEnoughToPurge(nowFileTime, modificationFileTime(path)) && ::unlink(path.c_str()) == 0)
            ++deleted;
    }
    return deleted;
}

std::mutex& currentFilesTurn() {
    static std::mutex turn;
    return turn;
}

bool finishDictation(const std::string& currentFolder, const std::string& doneFolder,
                     const std::string& base, const std::string& status) {
    const std::lock_guard<std::mutex> turn(currentFilesTurn());
    if (!fileExists(audioPath(currentFolder, base))) return false;
    DictationRecord(currentFolder, base).setStatus(status);
    purgeDoneFiles(doneFolder);
    bool audioMoved = false;
    for (const char* extension : {kRecordExtension, kAudioExtension, kTypingExtension}) {
        const std::string from = currentFolder + base + extension;
        const std::string to = doneFolder + base + extension;
        // A same-named file in Done Files goes even when this dictation has
        // no such file, so no older typing or record stays paired with the
        // newer audio.
        if (!fileExists(from)) {
            ::unlink(to.c_str());
            continue;
        }
        if (!moveReplacing(from, to)) continue;
        stampWithCurrentTime(to);
        if (std::string(extension) == kAudioExtension) audioMoved = true;
    }
    return audioMoved;
}

bool deleteDictation(const std::string& currentFolder, const std::string& base) {
    const std::lock_guard<std::mutex> turn(currentFilesTurn());
    const bool hadAudio = fileExists(audioPath(currentFolder, base));
    for (const char* extension : {kAudioExtension, kRecordExtension, kTypingExtension})
        ::unlink((currentFolder + base + extension).c_str());
    return hadAudio;
}

bool recoverDictation(const std::string& doneFolder, const std::string& currentFolder,
                      const std::string& base) {
    bool audioMoved = false;
    for (const char* extension : {kTypingExtension, kRecordExtension, kAudioExtension}) {
        const std::string from = doneFolder + base + extension;
        if (!fileExists(from) || !moveWithoutReplacing(from, currentFolder + base + extension))
            continue;
        if (std::string(extension) == kAudioExtension) audioMoved = true;
    }
    return audioMoved;
}

bool fileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace typix
