#pragma once
// Small file steps of the incoming engine and the status writer.
#include <string>

namespace typix {

// A folder setting without its trailing blanks, slashes and backslashes
// ("x/ " -> "x").  "" stays "".
std::string stripFolderSetting(const std::string& setting);

// A hidden file in `folder` (ending with '/') to receive data before it gets
// its real name: its name starts with a dot and matches no import pattern.
// "" when none can be made.
std::string makeHiddenTemporary(const std::string& folder);

// Gives the complete file `temporary` (inside `folder`) its name: `name`, or,
// when a file of that name is already there, the first free "stem (2).ext",
// "stem (3).ext", ...  An existing file is never replaced, even by another
// process racing for the same name.  Returns the name given, or "" when the
// rename failed (the temporary file is then removed).
std::string moveToFreeName(const std::string& temporary, const std::string& folder,
                           const std::string& name);

enum class ExistingName {
    TakeFreeName,  // arrivals: a file already there is never replaced
    Replace,       // derived files (status files) that stand for the old copy
};

// Copies `source` into `folder` (ending with '/') under `name` (or, with
// TakeFreeName, a free name beside a file already there; see moveToFreeName).
// The data goes to a hidden temporary file first, so nobody ever sees a
// half-copied file.  Returns the name given, "" on failure (nothing is left
// behind).
std::string copyIntoFolder(const std::string& source, const std::string& folder,
                           const std::string& name,
                           ExistingName existing = ExistingName::TakeFreeName);

// The folder as the file system resolves it (symbolic links and ".." of the
// part that exists), ending with '/'; "" for an empty setting.
std::string resolvedFolder(const std::string& folder);

}  // namespace typix
