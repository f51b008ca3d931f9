#include "ui/LDBDisplay.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>

namespace typix {

namespace {

// A 9 by 32 tile: seven lit columns and a two-column gap, so a bar reads as
// a row of LED segments.  The lit part has a brighter centre line.
QPixmap makeSegmentTile(QColor base) {
    QPixmap tile(9, 32);
    tile.fill(base.darker(300));
    QPainter p(&tile);
    p.fillRect(0, 0, 7, 32, base);
    p.fillRect(0, 0, 7, 2, base.lighter(140));
    p.fillRect(0, 30, 7, 2, base.darker(140));
    return tile;
}

}  // namespace

LDBDisplay::LDBDisplay(QWidget* parent)
    : QWidget(parent),
      green_(makeSegmentTile(QColor(0, 200, 0))),
      red_(makeSegmentTile(QColor(230, 0, 0))) {
    levels_.fill(kFloor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LDBDisplay::setDrawsEdge(bool on) {
    drawsEdge_ = on;
    update();
}

int LDBDisplay::levelX(int level, int width) { return width * (level - kFloor) / 48; }

QRect LDBDisplay::inner() const {
    return drawsEdge_ ? rect().adjusted(0, 0, -1, -1) : rect();
}

QRect LDBDisplay::band(int bar) const {
    QRect in = inner();
    int h = in.height();
    int top = in.top() + bar * h / std::max(1, count_);
    int bottom = in.top() + (bar + 1) * h / std::max(1, count_);
    return QRect(in.left(), top, in.width(), bottom - top);
}

QRect LDBDisplay::changedStrip(int bar, int oldLevel, int newLevel) const {
    QRect b = band(bar);
    int x0 = levelX(std::min(oldLevel, newLevel), b.width());
    int x1 = levelX(std::max(oldLevel, newLevel), b.width());
    return QRect(b.left() + x0, b.top(), x1 - x0, b.height());
}

void LDBDisplay::setLevels(int count, const int8_t* levels) {
    int n = std::clamp(count, 0, kMaxBars);
    bool recount = n != count_;
    if (recount) count_ = n;
    for (int i = 0; i < n; ++i) {
        int8_t d = static_cast<int8_t>(std::clamp<int>(levels[i], kFloor, kCeiling));
        if (d == levels_[i]) continue;
        if (!recount) update(changedStrip(i, levels_[i], d));
        levels_[i] = d;
    }
    if (recount) update();
}

void LDBDisplay::setLevelRecord(const uint8_t* record) {
    setLevels(record[0], reinterpret_cast<const int8_t*>(record + 1));
}

void LDBDisplay::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QRect in = inner();
    if (count_ == 0 || !isEnabled()) {
        p.fillRect(rect(), QColor(128, 128, 128));
    } else {
        p.fillRect(rect(), Qt::black);
        for (int i = 0; i < count_; ++i) {
            QRect b = band(i);
            int d = levels_[i];
            int zero = levelX(0, b.width());
            int greenEnd = d < 0 ? levelX(d, b.width()) : zero;
            // The tiles are anchored at the band's left edge so segments line up.
            p.setBrushOrigin(b.topLeft());
            p.fillRect(QRect(b.left(), b.top(), greenEnd, b.height()), QBrush(green_));
            if (d > 0) {
                int redEnd = levelX(d, b.width());
                p.fillRect(QRect(b.left() + zero, b.top(), redEnd - zero, b.height()), QBrush(red_));
            }
        }
    }
    if (drawsEdge_) {
        p.setPen(Qt::white);
        p.drawLine(in.left(), in.bottom() + 1, in.right() + 1, in.bottom() + 1);
        p.drawLine(in.right() + 1, in.top(), in.right() + 1, in.bottom() + 1);
    }
}

void LDBDisplay::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) update();
    QWidget::changeEvent(event);
}

}  // namespace typix
