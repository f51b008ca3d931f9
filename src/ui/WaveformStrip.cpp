#include "ui/WaveformStrip.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

#include "sound/TimeUnits.h"
#include "ui/CommandIds.h"
#include "ui/MainDialog.h"

namespace typix {

namespace {

// Quiet dictations are drawn to the strip's height: the envelope is scaled to
// its loudest peak, but never by more than 32 (so hiss stays small).
constexpr int kSmallestScalePeak = 1024;

}  // namespace

WaveformStrip::WaveformStrip(MainDialog& dialog)
    : QWidget(&dialog), dialog_(dialog), scan_([this](const WaveformChunk& c) { received(c); }) {
    setObjectName(QString::number(cmd::kWaveformStrip));
    setToolTip(tr("Waveform of the dictation: click or drag to go there"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent);
    length_ = new QLabel(&dialog);
    length_->setObjectName(QString::number(cmd::kLengthText));
    length_->setToolTip(tr("Length of the dictation"));
    length_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    length_->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("/ 0:00:00.0 ")));
    loudest_ = kSmallestScalePeak;
    showLength();
    connect(&dialog, &MainDialog::dictationChanged, this, [this](bool) { follow(); });
    connect(&dialog, &MainDialog::positionShown, this, &WaveformStrip::showPosition);
}

WaveformStrip::~WaveformStrip() = default;

QSize WaveformStrip::sizeHint() const { return {200, fontMetrics().height() * 3}; }
QSize WaveformStrip::minimumSizeHint() const { return {40, fontMetrics().height() * 3}; }

int32_t WaveformStrip::duration() const {
    return std::max(dialogDuration_, framesToTime(frames_, rate_));
}

int32_t WaveformStrip::timeAt(int x) const {
    const int columns = std::max(width(), 1);
    x = std::clamp(x, 0, columns);
    return static_cast<int32_t>(int64_t{x} * duration() / columns);
}

int WaveformStrip::columnOf(int32_t time) const {
    const int32_t d = duration();
    if (d <= 0) return 0;
    return static_cast<int>(std::clamp<int64_t>(int64_t{time} * width() / d, 0, width()));
}

void WaveformStrip::follow() {
    const std::string& path = dialog_.currentDictation();
    if (path == scan_.path()) return;
    peaks_.clear();
    rate_ = 0;
    bucketFrames_ = 1;
    frames_ = 0;
    loudest_ = kSmallestScalePeak;
    scan_.scan(path);
    showLength();
    update();
}

void WaveformStrip::showPosition(int32_t position, int32_t duration) {
    position_ = position;
    dialogDuration_ = dialog_.hasDictation() ? duration : 0;
    showLength();
    update();
}

// Chunks only grow the envelope; the first bucket of each may replace the
// partial bucket that ended the one before.
void WaveformStrip::received(const WaveformChunk& chunk) {
    if (chunk.sampleRate <= 0) return;
    rate_ = chunk.sampleRate;
    bucketFrames_ = std::max(chunk.bucketFrames, 1);
    frames_ = chunk.totalFrames;
    const size_t first = static_cast<size_t>(chunk.firstBucket);
    peaks_.resize(std::max(peaks_.size(), first + chunk.peaks.size()));
    std::copy(chunk.peaks.begin(), chunk.peaks.end(), peaks_.begin() + static_cast<ptrdiff_t>(first));
    for (const WaveformPeak& peak : chunk.peaks)
        loudest_ = std::max({loudest_, std::abs(int{peak.low}), std::abs(int{peak.high})});
    showLength();
    update();
}

void WaveformStrip::showLength() {
    const int32_t d = dialog_.hasDictation() ? duration() : 0;
    length_->setText(QStringLiteral("/ ") + QString::fromStdString(formatTime(d)).trimmed());
}

void WaveformStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& p = palette();
    const int w = width(), h = height(), middle = h / 2;
    const int played = columnOf(position_);
    painter.fillRect(rect(), p.color(QPalette::Base));
    painter.fillRect(QRect(0, 0, played, h), p.color(QPalette::Midlight));
    painter.setPen(p.color(QPalette::Mid));
    painter.drawLine(0, middle, w, middle);
    if (rate_ > 0 && !peaks_.empty()) {
        const double scale = (middle - 1) / double(loudest_);
        const int64_t frames = timeToFrames(duration(), rate_);
        const QColor ahead = p.color(QPalette::Text);
        const QColor behind = p.color(QPalette::Dark);
        for (int x = 0; x < w; ++x) {
            const WaveformPeak peak = columnPeak(peaks_, frames, bucketFrames_, x, w);
            painter.setPen(x < played ? behind : ahead);
            painter.drawLine(x, middle - int(peak.high * scale), x, middle - int(peak.low * scale));
        }
    }
    painter.setPen(QPen(p.color(QPalette::Highlight), 2));
    painter.drawLine(played, 0, played, h);
    painter.setPen(p.color(QPalette::Dark));
    painter.drawRect(0, 0, w - 1, h - 1);
}

void WaveformStrip::seekTo(int x) {
    if (!dialog_.hasDictation() || duration() <= 0) return;
    dialog_.seek(timeAt(x));
}

void WaveformStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) seekTo(int(event->position().x()));
}

void WaveformStrip::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) seekTo(int(event->position().x()));
}

}  // namespace typix
