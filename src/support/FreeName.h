#pragma once
// Free names for arrivals that must never replace a file already there.
#include <functional>
#include <utility>
#include <string>

namespace typix {

// Returns stem + extension when `taken` says that name is free, else the first
// of "stem (2)" + extension, "stem (3)" + extension, ... that is free.  The
// caller decides what "taken" means (one file in a folder, or every file of a
// dictation triple).  Gives up after a million tries and returns "" so that a
// predicate that is always true cannot loop forever.
std::string freeName(const std::string& stem, const std::string& extension,
                     const std::function<bool(const std::string& name)>& taken);

// Splits a file name at its last '.' that is not the first character:
// "a.b.dct" -> {"a.b", ".dct"}, ".profile" -> {".profile", ""}, "x" -> {"x", ""}.
std::pair<std::string, std::string> splitExtension(const std::string& fileName);

}  // namespace typix
