#pragma once
// Reading and writing initialization files: "[section]" lines followed by
// "key=value" lines.  Files written by other programs are read correctly (CR LF
// or LF line ends, blanks around '=', ';' and '#' comment lines, other sections,
// values in double quotes); sections and keys match without regard to letter
// case.  One pair of double quotes around a value is not part of it; a value
// written that begins and ends with '"' is wrapped in one more pair, so it
// reads back as written.  A value read holds at
// most 259 characters.  A write keeps every other line as it was and replaces
// the file atomically (temporary file + rename), so a crash or a full disk never
// destroys the earlier copy.  Each call is a whole open/read or write/close:
// nothing is cached, so a change made by one thread is seen by the next read
// anywhere.  Threads may read and write the same file without a lock: a reader
// sees either the old or the new file.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace typix {

inline constexpr size_t kIniValueMax = 259;

// How a write reaches the disk.
enum class IniDurability {
    // The new file is synced before it is renamed over the old one: the
    // records' own fields, settings.
    Durable,
    // Renamed into place without waiting for the disk: for data the program
    // derives and writes again anyway (the queue's places in the records).
    // Still atomic for readers; a crash may lose the latest such write.
    Derived,
};

// The raw value, or nothing when the file, section or key is missing.
std::optional<std::string> iniRead(const std::string& path, const std::string& section,
                                   const std::string& key);
// Several keys of one section from a single read of the file: the values in
// the order of `keys`, each as iniRead would give it (nothing for a missing
// key; all nothing when the file is missing).
std::vector<std::optional<std::string>> iniReadKeys(const std::string& path,
                                                    const std::string& section,
                                                    std::span<const std::string_view> keys);
// The text a write puts after the '=' for `value`: line breaks become blanks,
// and a value with blanks at its ends or in double quotes is wrapped in one
// more pair of quotes, so that it reads back as written.  For code that
// writes a whole file of keys itself.
std::string iniValueAsWritten(const std::string& value);
// Writes (adding the section and key as needed).  False on failure; the old
// file is then untouched.  `fileMode` applies when the file is created; an
// existing file keeps its permission bits.  A line break in `value` becomes a
// blank (it would end the line); a section with ']' or a key with '=' or a
// line break is refused.  Writing the value a key already has leaves the file
// as it is.  Writers take turns (threads of a process, and processes writing in
// one folder), so none loses another's key.
bool iniWrite(const std::string& path, const std::string& section, const std::string& key,
              const std::string& value, unsigned fileMode = 0644,
              IniDurability durability = IniDurability::Durable);
// Removes a key; false when the file could not be rewritten.
bool iniRemove(const std::string& path, const std::string& section, const std::string& key);

}  // namespace typix
