#pragma once
// typixctl's own manual page, carried in the program so that
// `typixctl help COMMAND` shows the same words as `man typixctl`.
#include <string>

namespace typix::cli {

// The manual page source (roff, man macros) as the build installs it.
const char* typixctlManualPage();

// The entries of `command` in the COMMANDS section of a manual page as plain
// text: each entry's tag line, then its paragraph wrapped to `width` columns
// under an indent.  Empty when the page has no entry for the command.  Only
// the macros and escapes our pages use are understood; others are dropped.
std::string manualEntries(const std::string& page, const std::string& command, int width = 78);

}  // namespace typix::cli
