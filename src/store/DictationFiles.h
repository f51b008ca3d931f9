#pragma once
// The file operations that move a dictation through its life: finish (Done or
// Dispatched), delete, recover, and the purge of Done Files.  Folder paths end
// with '/'.  Failures of single files report nothing beyond the result: a file
// that can't be moved stays where it was.  Main thread only, apart from
// currentFilesTurn().
#include <cstdint>
#include <mutex>
#include <string>

namespace typix {

// A file time: 100-nanosecond units since 1601-01-01 GMT.
uint64_t fileTimeFromUnix(int64_t seconds, int64_t nanoseconds = 0);
uint64_t currentFileTime();

// Done Files keeps a file while the upper 32 bits of the current file time
// minus those of the file's time, taken as an unsigned 32-bit number, stay at
// or below 2000 (one unit is 429.4967296 s, so about 9.94 days).  A file whose
// time has zero upper bits is never purged, and neither is one dated after now
// (a clock put back): its age counts as 0.
inline constexpr uint32_t kPurgeAgeLimit = 2000;
bool isOldEnoughToPurge(uint64_t nowFileTime, uint64_t fileFileTime);

// Deletes every old file in `doneFolder`.  A file's age counts from its
// modification time, which the move into Done Files sets to that moment.
// Returns the number of files deleted.
int purgeDoneFiles(const std::string& doneFolder, uint64_t nowFileTime = currentFileTime());

// Taken (process-wide, by any thread) while a dictation's files leave Current
// Files and while the queue's status writer rewrites one record there, so that
// a record is never written back beside audio that has just gone: the writer
// checks that the audio is still there under the same turn.  finishDictation
// and deleteDictation take it themselves.
std::mutex& currentFilesTurn();

// Done or Dispatched: writes `status` into the record in Current Files, purges
// Done Files, then moves record, audio and typing (in that order) into Done
// Files, replacing the same-named triple there whole and stamping each moved
// file with the current time.  Missing source files are skipped.  Returns false when the
// audio was not in Current Files or could not be moved.
bool finishDictation(const std::string& currentFolder, const std::string& doneFolder,
                     const std::string& base, const std::string& status);

// Deletes audio, record and typing from Current Files, in that order, for good.
// Returns false when there was no audio.
bool deleteDictation(const std::string& currentFolder, const std::string& base);

// Moves typing, record and audio (in that order) from Done Files back into
// Current Files.  A file whose name already exists in Current Files stays in
// Done Files: nothing is overwritten.  The record keeps its status until the
// next list rebuild.  Returns false when the audio was not moved.
bool recoverDictation(const std::string& doneFolder, const std::string& currentFolder,
                      const std::string& base);

// True when `path` names an existing regular file.
bool fileExists(const std::string& path);

}  // namespace typix
