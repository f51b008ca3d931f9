// The waveform strip in the main window: its envelope arrives from the scan,
// the length stands beside the position, and a click or drag seeks.
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>

#include "MainWindowFixture.h"
#include "sound/TimeUnits.h"
#include "ui/CommandIds.h"
#include "ui/WaveformStrip.h"

using namespace typix;
using namespace typix::uitest;

namespace {

struct WaveformStripTest : MainWindowFixture {
    static void mouse(QWidget* w, QEvent::Type type, int x, Qt::MouseButtons held) {
        const QPointF at(x, w->height() / 2);
        QMouseEvent event(type, at, w->mapToGlobal(at),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                          Qt::NoModifier);
        QApplication::sendEvent(w, &event);
    }
    static void click(QWidget* w, int x) {
        mouse(w, QEvent::MouseButtonPress, x, Qt::LeftButton);
        mouse(w, QEvent::MouseButtonRelease, x, Qt::NoButton);
    }
    // The fixture's dictations are 11025 Hz: 110 frames a bucket.
    static size_t buckets(double seconds) { return size_t(std::ceil(11025 * seconds / 110)); }

    WaveformStrip& shownStrip(MainDialog& d) {
        d.show();
        d.resize(900, d.height());
        WaveformStrip* strip = d.waveformStrip();
        EXPECT_NE(strip, nullptr);
        EXPECT_EQ(d.control(cmd::kWaveformStrip), strip);
        return *strip;
    }
};

TEST_F(WaveformStripTest, AClickAtAQuarterOfItsWidthSeeksToAQuarterOfTheDuration) {
    addDictation("a", 1, 8.0);
    MainDialog& d = open();
    WaveformStrip& strip = shownStrip(d);
    ASSERT_GE(strip.width(), 100);
    const int32_t duration = d.duration();
    ASSERT_EQ(duration, 80000);
    const int32_t onePixel = duration / strip.width() + 1;

    click(&strip, strip.width() / 4);
    EXPECT_NEAR(d.position(), duration / 4, onePixel);
    EXPECT_EQ(strip.columnOf(d.position()), strip.width() / 4) << "the line is drawn where it was clicked";

    // Playing, the click moves playback there.
    d.command(cmd::kPlay);
    ASSERT_TRUE(playing());
    click(&strip, strip.width() * 3 / 4);
    const int32_t frame = d.player().position();
    EXPECT_NEAR(framesToTime(frame, 11025), duration * 3 / 4, onePixel + 2000);
    EXPECT_TRUE(d.isPlaying());
}

TEST_F(WaveformStripTest, ADragSeeksAsItGoesAndStaysWithinTheDictation) {
    addDictation("a", 1, 4.0);
    MainDialog& d = open();
    WaveformStrip& strip = shownStrip(d);
    mouse(&strip, QEvent::MouseButtonPress, 10, Qt::LeftButton);
    for (int x : {strip.width() / 2, strip.width() + 50, -30}) {
        mouse(&strip, QEvent::MouseMove, x, Qt::LeftButton);
        EXPECT_EQ(d.position(), strip.timeAt(x)) << x;
    }
    EXPECT_EQ(d.position(), 0) << "left of the strip is the start";
    mouse(&strip, QEvent::MouseButtonRelease, -30, Qt::NoButton);
    mouse(&strip, QEvent::MouseMove, strip.width() / 2, Qt::NoButton);
    EXPECT_EQ(d.position(), 0) << "moving without a button does not seek";
}

TEST_F(WaveformStripTest, TheEnvelopeArrivesAndTheLengthStandsBesideThePosition) {
    addDictation("a", 1, 6.0);
    addDictation("b", 2, 2.5);
    MainDialog& d = open();
    WaveformStrip& strip = shownStrip(d);
    auto* length = qobject_cast<QLabel*>(d.control(cmd::kLengthText));
    ASSERT_NE(length, nullptr);
    EXPECT_EQ(length->parentWidget(), d.control(cmd::kPositionText)->parentWidget());
    // Whichever comes first in the queue, then the other: nothing of the
    // first is left on the strip.
    for (int row : {0, 1}) {
        d.fileList()->setCurrentRow(row);
        const bool isA = d.currentDictation().ends_with("/a.wav");
        const double seconds = isA ? 6.0 : 2.5;
        ASSERT_TRUE(waitFor([&] { return strip.scannedFrames() == int32_t(11025 * seconds); })) << row;
        EXPECT_EQ(strip.peakCount(), buckets(seconds)) << row;
        EXPECT_EQ(length->text().toStdString(), isA ? "/ 0:00:06.0" : "/ 0:00:02.5");
        // The fixture's tone is at 16000 of 32767.
        int16_t highest = 0;
        for (const WaveformPeak& p : strip.peaks()) highest = std::max(highest, p.high);
        EXPECT_NEAR(highest, 16000, 20);
    }
}

TEST_F(WaveformStripTest, WithoutADictationItShowsNothingAndDoesNotSeek) {
    MainDialog& d = open();
    WaveformStrip& strip = shownStrip(d);
    click(&strip, strip.width() / 2);
    EXPECT_EQ(d.position(), 0);
    EXPECT_EQ(strip.peakCount(), 0u);
    EXPECT_EQ(qobject_cast<QLabel*>(d.control(cmd::kLengthText))->text().toStdString(), "/ 0:00:00.0");
}

}  // namespace
