#pragma once
// Starting other programs from the installer: the desktop's cache tools,
// udevadm and the installed program.  Nothing here goes through a shell, so
// paths with blanks or quotes reach the program as they are.
#include <string>
#include <vector>

namespace typix {

// The full path of `program` found on PATH, or empty.
std::string findOnPath(const std::string& program);

// Runs `program` (looked up on PATH) with `arguments` and waits for it.  False
// when it is missing, could not start or did not exit with 0.
bool runToolIfPresent(const std::string& program, const std::vector<std::string>& arguments);

// Starts `executable` with `arguments` in a session of its own and does not
// wait: it outlives this process.  Its standard streams are /dev/null.  False
// when it could not be started.
bool startDetached(const std::string& executable, const std::vector<std::string>& arguments);

}  // namespace typix
