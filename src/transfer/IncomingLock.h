#pragma once
// The incoming-folder lock.  It serialises the background loader's import
// pass over the Incoming Files folder with every copy into that folder (Load
// Dictation File, files named on the command line or handed over by a second
// start), so the loader never imports a file that is still being copied.
// The loader (BGLoad) holds it for the whole of its import pass; everyone
// else holds it only around one copy.
#include <string>

#include "support/LLockObject.h"

namespace typix {

// The one lock of the process.  Any thread may take it; it is recursive.
LLockObject& incomingLock();

// Copies the file `path` into `incomingFolder` (ending with '/') under its own
// name and extension, or under a free name ("memo (2).dct") when a file of
// that name waits there, while holding incomingLock().  The copy goes to a temporary name first and is renamed into
// place, so the folder never shows a half-written file.  False when `path`
// names no readable regular file or the copy failed; nothing is left behind.
bool copyIntoIncoming(const std::string& path, const std::string& incomingFolder);

}  // namespace typix
