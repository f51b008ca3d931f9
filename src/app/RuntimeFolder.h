#pragma once
// The folder of the program's per-user sockets and locks (the single-instance
// socket and the lock that makes simultaneous starts take turns).  It must be
// the same for every start of one user: a desktop session and a terminal
// often have different TMPDIR values, so TMPDIR is never used.
#include <string>

namespace typix {

// $XDG_RUNTIME_DIR when it names an absolute folder of the user's own (the
// session's runtime folder);
// otherwise "/tmp/korvel-typix-<uid>", made 0700 when missing and used only
// when it is a real folder (not a link) owned by the user and closed to
// everyone else.  Ends with '/'; "" when neither can be had.
std::string runtimeFolder();

}  // namespace typix
