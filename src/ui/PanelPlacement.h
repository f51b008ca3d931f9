#pragma once
// Where a tool panel of the main window opens: beside the window, not over
// it, so the file list and the typing stay in view.  Pure geometry; any
// thread.
#include <QPoint>
#include <QRect>
#include <QSize>

namespace typix {

// The top-left corner for a panel of `panel` size (its frame included) next to
// `window` (the frame geometry of the main window) on `screen` (the available
// area): right of the window where it fits, else left of it, else at the
// screen's right edge; always inside the screen vertically, tops aligned.
QPoint panelBeside(const QRect& window, QSize panel, const QRect& screen);

}  // namespace typix
