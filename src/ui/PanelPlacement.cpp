#include "ui/PanelPlacement.h"

#include <algorithm>

namespace typix {

namespace {
constexpr int kGap = 4;  // pixels between the window's frame and the panel's
}  // namespace

QPoint panelBeside(const QRect& window, QSize panel, const QRect& screen) {
    int x;
    if (window.right() + kGap + panel.width() <= screen.right())
        x = window.right() + 1 + kGap;
    else if (window.left() - kGap - panel.width() >= screen.left())
        x = window.left() - kGap - panel.width();
    else
        x = std::max(screen.left(), screen.right() + 1 - panel.width());
    const int lowest = std::max(screen.top(), screen.bottom() + 1 - panel.height());
    const int y = std::clamp(window.top(), screen.top(), lowest);
    return QPoint(x, y);
}

}  // namespace typix
