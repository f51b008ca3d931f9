#pragma once
// A waveform to seek in: the whole dictation's envelope across the window,
// the played part shaded and the position as a line, with the total length as
// text (shown beside the position text).  A click or a drag seeks there, as
// the position bar's thumb does.  The envelope comes from a WaveformScan of
// the open dictation and is drawn as it arrives; a file that is still being
// written keeps growing on the strip.
//
// The strip follows its MainDialog by the dialog's signals (dictation loaded,
// position shown) and seeks through MainDialog::seek.  Interface thread only.
#include <QWidget>

#include <cstdint>
#include <vector>

#include "formats/WaveformScan.h"

class QLabel;

namespace typix {

class MainDialog;

class WaveformStrip : public QWidget {
    Q_OBJECT
public:
    explicit WaveformStrip(MainDialog& dialog);
    ~WaveformStrip() override;

    // The total length, for the dialog to place beside its position text.
    QLabel* lengthText() const { return length_; }

    // What the strip spans and shows, in 1/10000 s.
    int32_t duration() const;
    int32_t position() const { return position_; }
    // The time under a column, and the column of a time.
    int32_t timeAt(int x) const;
    int columnOf(int32_t time) const;
    // Buckets of the envelope received so far and the frames they cover.
    size_t peakCount() const { return peaks_.size(); }
    int32_t scannedFrames() const { return frames_; }
    const std::vector<WaveformPeak>& peaks() const { return peaks_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void follow();
    void showPosition(int32_t position, int32_t duration);
    void received(const WaveformChunk& chunk);
    void showLength();
    void seekTo(int x);

    MainDialog& dialog_;
    QLabel* length_ = nullptr;
    WaveformScan scan_;
    std::vector<WaveformPeak> peaks_;
    int32_t rate_ = 0;
    int32_t bucketFrames_ = 1;
    int32_t frames_ = 0;            // frames the scan has covered
    int loudest_ = 0;               // the largest peak magnitude, for the scale
    int32_t position_ = 0;          // 1/10000 s
    int32_t dialogDuration_ = 0;    // the dialog's duration, 1/10000 s
};

}  // namespace typix
