#pragma once
// A level meter of up to 8 horizontal bars, one per channel.
//
// Each bar covers -36 dB (left) to +12 dB (right): an LED-like green pattern up
// to the level (or to 0 dB), a red pattern from 0 dB up to a positive level,
// black for the rest; grey when disabled or when there are no bars.  A level
// change repaints only the strip between the old and the new level in that
// bar's band; a change of the bar count repaints everything.
// Interface thread only.
#include <QPixmap>
#include <QWidget>

#include <array>
#include <cstdint>

namespace typix {

class LDBDisplay : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxBars = 8;
    static constexpr int kFloor = -36;
    static constexpr int kCeiling = 12;

    explicit LDBDisplay(QWidget* parent = nullptr);

    // A level record: `count` levels in whole decibels; at most 8 are used,
    // each clamped to -36..+12.
    void setLevels(int count, const int8_t* levels);
    // The same from a raw record: one count byte followed by the signed levels.
    void setLevelRecord(const uint8_t* record);

    int barCount() const { return count_; }
    int level(int bar) const { return levels_.at(bar); }

    void setDrawsEdge(bool on);

    // x where a level's coloured part ends in a band of width w: w * (d + 36) / 48.
    static int levelX(int level, int width);
    // The area a level change of one bar repaints (widget coordinates).
    QRect changedStrip(int bar, int oldLevel, int newLevel) const;

    QSize sizeHint() const override { return QSize(64, 16); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QRect inner() const;
    QRect band(int bar) const;

    int count_ = 0;
    std::array<int8_t, kMaxBars> levels_{};
    bool drawsEdge_ = false;
    QPixmap green_;
    QPixmap red_;
};

}  // namespace typix
