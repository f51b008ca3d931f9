#pragma once
// The user's home and XDG base folders, read from the environment at each call.
#include <string>

namespace typix {

// The variable's value, or "" when it is not set.
std::string environmentValue(const char* name);
// $HOME, else the password database's home folder, else "/tmp".
std::string homeFolder();
// An XDG base folder: the variable when it holds an absolute path, else
// home + "/" + fallbackUnderHome (".config", ".local/share").
std::string xdgFolder(const char* variable, const char* fallbackUnderHome);

}  // namespace typix
