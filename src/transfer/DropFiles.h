#pragma once
// Small file steps of the incoming engine and the status writer.
#include <string>

namespace typix {

// A folder setting without its trailing blanks, slashes and backslashes
// ("x/ " -> "x").  "" stays "".
std::string stripFolderSetting(const std::string& setting);

// Copies `source` into `folder` (ending with '/') as `name`, replacing a file
// of that name.  The data goes to a hidden temporary file first and is renamed
// only when complete, so nobody ever sees a half-copied file under `name`.
bool copyIntoFolder(const std::string& source, const std::string& folder,
                    const std::string& name);

}  // namespace typix
