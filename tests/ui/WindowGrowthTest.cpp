// A window that grows: the frame resizes down to its natural size and no
// further, the typing pad takes the room, the geometry comes back, the pad's
// font size, the speed as text, and the channel panel beside the window with
// one restart per level drag.
#include <QAbstractSlider>
#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>

#include "MainWindowFixture.h"
#include "ui/CommandIds.h"
#include "ui/LDBEdit.h"
#include "ui/MCDisp.h"
#include "ui/MainFrame.h"
#include "ui/PadFont.h"
#include "ui/PanelPlacement.h"
#include "ui/SettingsDialog.h"
#include "ui/TypistControls.h"

using namespace typix;
using namespace typix::uitest;

namespace {

TEST(PanelBeside, OpensRightOfTheWindowElseLeftElseAtTheScreenEdge) {
    const QRect screen(0, 0, 1280, 900);
    const QSize panel(130, 70);
    struct Case { QRect window; QPoint at; } cases[] = {
        {QRect(100, 50, 700, 600), QPoint(804, 50)},    // room on the right
        {QRect(500, 50, 700, 600), QPoint(366, 50)},    // no room right: left of it
        {QRect(60, 50, 1200, 600), QPoint(1150, 50)},   // neither: inside the right edge
        {QRect(100, -40, 700, 600), QPoint(804, 0)},    // tops aligned, kept on screen
        {QRect(100, 880, 700, 600), QPoint(804, 830)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(panelBeside(c.window, panel, screen), c.at) << c.window.x() << "," << c.window.y();
}

struct WindowGrowthTest : MainWindowFixture {
    MainFrame& frame() {
        if (!frame_) frame_ = std::make_unique<MainFrame>(settings, makeDevicePlayer());
        return *frame_;
    }
    void closeFrame() {
        frame_->close();
        frame_.reset();
    }
    void TearDown() override {
        frame_.reset();
        MainWindowFixture::TearDown();
    }
    void settle() { for (int i = 0; i < 5; ++i) QApplication::processEvents(); }
    void key(QWidget* to, int k, Qt::KeyboardModifiers mods) {
        QKeyEvent down(QEvent::KeyPress, k, mods);
        QApplication::sendEvent(to, &down);
        QKeyEvent up(QEvent::KeyRelease, k, mods);
        QApplication::sendEvent(to, &up);
    }
    std::unique_ptr<MainFrame> frame_;
};

TEST_F(WindowGrowthTest, AResizedWindowGrowsThePadAndKeepsThePanelsAbove) {
    addDictation("a");
    MainFrame& f = frame();
    f.show();
    settle();
    const QSize natural = f.size();
    EXPECT_EQ(f.minimumSize(), natural) << "never smaller than its natural size";
    EXPECT_TRUE(f.windowFlags() & Qt::WindowMaximizeButtonHint);
    QPlainTextEdit* pad = f.dialog()->typingPad();
    const QSize padBefore = pad->size();
    const QSize listBefore = f.dialog()->fileList()->size();

    f.resize(natural + QSize(120, 90));
    settle();
    EXPECT_EQ(pad->width(), padBefore.width() + 120);
    EXPECT_EQ(pad->height(), padBefore.height() + 90);
    EXPECT_EQ(f.dialog()->fileList()->size(), listBefore);

    f.resize(natural - QSize(50, 50));
    settle();
    EXPECT_EQ(f.size(), natural);
}

TEST_F(WindowGrowthTest, SizeAndPlaceComeBackAndABrokenRecordIsIgnored) {
    addDictation("a");
    QSize natural, grown;
    {
        MainFrame& f = frame();
        f.show();
        settle();
        natural = f.size();
        grown = natural + QSize(40, 30);
        f.resize(grown);
        settle();
        closeFrame();
    }
    EXPECT_FALSE(settings.windowGeometry().empty());
    EXPECT_EQ(settings.valueText(*findSettingKey("windowgeometry")), settings.windowGeometry());
    {
        MainFrame& f = frame();
        EXPECT_EQ(f.size(), grown);
        closeFrame();
    }
    settings.setWindowGeometry("not a geometry");
    EXPECT_EQ(frame().size(), natural);
}

TEST_F(WindowGrowthTest, PadFontFollowsCtrlPlusMinusZeroAndIsStored) {
    addDictation("a");
    MainDialog& d = open();
    QPlainTextEdit* pad = d.typingPad();
    PadFont* font = PadFont::of(d);
    ASSERT_NE(font, nullptr);
    const int own = font->size();
    key(pad, Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier);
    key(pad, Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_EQ(settings.padFontSize(), own + 2);
    EXPECT_EQ(QFontInfo(pad->font()).pointSize(), own + 2);
    key(pad, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(settings.padFontSize(), own + 1);
    key(pad, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(settings.padFontSize(), 0);
    EXPECT_EQ(QFontInfo(pad->font()).pointSize(), own);
    EXPECT_TRUE(pad->toPlainText().isEmpty()) << "the keys type nothing";

    for (int i = 0; i < 60; ++i) font->step(1);
    EXPECT_EQ(settings.padFontSize(), PadFont::kLargest);
    for (int i = 0; i < 60; ++i) font->step(-1);
    EXPECT_EQ(settings.padFontSize(), PadFont::kSmallest);
}

TEST_F(WindowGrowthTest, PadFontSizeInTheSettingsDialogRoundTrips) {
    addDictation("a");
    settings.setPadFontSize(14);
    MainDialog& d = open();
    EXPECT_EQ(QFontInfo(d.typingPad()->font()).pointSize(), 14) << "read at set-up";
    TypistControls* controls = TypistControls::of(d);
    ASSERT_NE(controls, nullptr);
    int shown = -1;
    controls->showSettings = [&](SettingsDialog& s) {
        auto* field = s.findChild<QSpinBox*>(QStringLiteral("padfontsize"));
        shown = field->value();
        field->setValue(18);
        s.accept();
        return true;
    };
    d.command(cmd::kSettings);
    EXPECT_EQ(shown, 14);
    EXPECT_EQ(settings.padFontSize(), 18);
    EXPECT_EQ(QFontInfo(d.typingPad()->font()).pointSize(), 18) << "applied after the dialog";

    controls->showSettings = [&](SettingsDialog& s) {
        auto* field = s.findChild<QSpinBox*>(QStringLiteral("padfontsize"));
        field->setValue(field->minimum());
        EXPECT_EQ(field->text().toStdString(), "Default");
        s.accept();
        return true;
    };
    d.command(cmd::kSettings);
    EXPECT_EQ(settings.padFontSize(), 0);
}

TEST_F(WindowGrowthTest, TheSpeedShowsAsTextBesideTheBar) {
    addDictation("a");
    settings.setFastSpeed(150);
    MainDialog& d = open();
    auto* text = d.findChild<QLabel*>(QStringLiteral("speedtext"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text().toStdString(), "100 %");
    d.speedBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(text->text().toStdString(), "80 %");
    d.command(cmd::kPlayFast);
    EXPECT_EQ(text->text().toStdString(), "150 %");
}

TEST_F(WindowGrowthTest, TheChannelPanelOpensBesideTheWindow) {
    addDictation("stereo", 2);
    MainFrame& f = frame();
    f.move(20, 20);
    f.show();
    settle();
    f.dialog()->command(cmd::kPlay);
    ASSERT_TRUE(f.dialog()->channelPanel().isOpen());
    QWidget* panel = f.dialog()->channelPanel().window();
    // The test screen is barely wider than the window: the panel goes to the
    // screen's right edge, clear of the file list at the window's left.
    QListWidget* list = f.dialog()->fileList();
    const QRect listOnScreen(list->mapToGlobal(QPoint(0, 0)), list->size());
    EXPECT_FALSE(panel->frameGeometry().intersects(listOnScreen));
    EXPECT_EQ(panel->frameGeometry().right(), f.screen()->availableGeometry().right());
}

TEST_F(WindowGrowthTest, ALevelDraggedInTheChannelPanelRestartsPlaybackOnce) {
    addDictation("stereo", 2, 8.0);
    MainDialog& d = open();
    d.command(cmd::kPlay);
    ASSERT_TRUE(playing());
    LDBEdit* level = d.channelPanel().rowLevel(0);
    ASSERT_NE(level, nullptr);
    const int startsBefore = playerStarts;
    const int x0 = level->textWidth() + 4;
    mouse(level, QEvent::MouseButtonPress, QPoint(x0, 8));
    for (int dx = 4; dx <= 40; dx += 4) mouse(level, QEvent::MouseMove, QPoint(x0 + dx, 8));
    settle();
    EXPECT_EQ(playerStarts, startsBefore) << "no restart while the button is held";
    mouse(level, QEvent::MouseButtonRelease, QPoint(x0 + 40, 8));
    ASSERT_TRUE(waitFor([&] { return playerStarts > startsBefore; }));
    settle();
    EXPECT_EQ(playerStarts, startsBefore + 1);
    EXPECT_EQ(d.channelPanel().channel(0).level, level->value());
    EXPECT_TRUE(d.isPlaying());
}

}  // namespace
