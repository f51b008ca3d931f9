#pragma once
// XKB detectable auto-repeat for the program's X11 connection: while a key is
// held the server then sends repeated presses and one release at the end,
// instead of a release and press pair for every repeat.  The flag belongs to
// the connection, so the window's keys and the hot-key grabs both get it.
//
// The first call asks the server (once per process); later calls return the
// answer.  False without an X11 display, without the XKB extension, or when
// the program was built without xcb-xkb.  Interface thread only.
namespace typix {

bool detectableAutoRepeat();

}  // namespace typix
