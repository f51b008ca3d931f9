// The program's own controls: decibel slider, level meter, press button,
// progress dialog.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>

#include <vector>

#include "UiTestSupport.h"
#include "ui/LDBDisplay.h"
#include "ui/LDBEdit.h"
#include "ui/LProgressDialog.h"
#include "ui/PressButton.h"

using namespace typix;
using namespace typix::uitest;

namespace {

struct DbEditFixture : ::testing::Test {
    void SetUp() override {
        edit.setMaximum(12);
        edit.setMinimum(-36);
        edit.resize(edit.textWidth() + 96, 16);
        edit.setValue(0);
        edit.showValue();
    }
    AppGuard guard;
    LDBEdit edit;
};

TEST_F(DbEditFixture, OwnerValuesAreClampedToTheRange) {
    struct Case { int set; int stored; } cases[] = {
        {20, 12}, {12, 12}, {-36, -36}, {-50, -36}, {-127, -36}, {5, 5}, {127, 12}};
    for (auto c : cases) {
        edit.setValue(c.set);
        EXPECT_EQ(edit.value(), c.stored) << "set " << c.set;
    }
}

TEST_F(DbEditFixture, ShowValueWritesDecibelText) {
    edit.setMinimum(-127);
    struct Case { int value; const char* text; } cases[] = {
        {-6, "-6dB"}, {0, "0dB"}, {12, "12dB"}, {-126, "-126dB"}, {-127, "--dB"}};
    for (auto c : cases) {
        edit.setValue(c.value);
        edit.showValue();
        EXPECT_EQ(edit.textField()->text().toStdString(), c.text);
    }
}

TEST_F(DbEditFixture, TypingReadsTheLevelClampsAndNotifies) {
    int changed = 0;
    QObject::connect(&edit, &LDBEdit::changed, [&] { ++changed; });
    struct Case { const char* typed; int stored; } cases[] = {
        {"--dB", -36}, {"-6dB", -6}, {"8", 8}, {"40dB", 12}};
    for (auto c : cases) {
        edit.textField()->clear();
        int before = changed;
        type(edit.textField(), QString::fromLatin1(c.typed));
        EXPECT_EQ(edit.value(), c.stored) << c.typed;
        EXPECT_GE(changed, before + 1) << c.typed;
        // The typed text stays as typed.
        EXPECT_EQ(edit.textField()->text().toStdString(), c.typed);
    }
}

TEST_F(DbEditFixture, PressInTextAreaNeverChangesValue) {
    int changed = 0;
    QObject::connect(&edit, &LDBEdit::changed, [&] { ++changed; });
    edit.setValue(-10);
    for (int x : {0, 5, edit.textWidth() - 1}) {
        press(&edit, QPoint(x, 8));
        release(&edit, QPoint(x, 8));
    }
    EXPECT_EQ(edit.value(), -10);
    EXPECT_EQ(changed, 0);
}

TEST_F(DbEditFixture, PressAndDragOnBarSetValueFromX) {
    // Bar of 96 pixels over a span of 48 dB: two pixels per decibel.
    int changed = 0;
    QObject::connect(&edit, &LDBEdit::changed, [&] { ++changed; });
    press(&edit, QPoint(edit.textWidth(), 8));
    EXPECT_EQ(edit.value(), -36);
    mouse(&edit, QEvent::MouseMove, QPoint(edit.textWidth() + 72, 8));
    EXPECT_EQ(edit.value(), 0);
    EXPECT_EQ(edit.textField()->text().toStdString(), "0dB");
    mouse(&edit, QEvent::MouseMove, QPoint(500, 8));
    EXPECT_EQ(edit.value(), 12);
    release(&edit, QPoint(500, 8));
    mouse(&edit, QEvent::MouseMove, QPoint(40, 8));
    EXPECT_EQ(edit.value(), 12) << "moves after the release change nothing";
    EXPECT_EQ(changed, 3);
}

TEST_F(DbEditFixture, ValueAtXFollowsIntegerFormula) {
    // value = min + min(a, w) * (max - min) / w with a = x - text width, truncated.
    int t = edit.textWidth();
    EXPECT_EQ(edit.valueAtX(t + 1), -36);
    EXPECT_EQ(edit.valueAtX(t + 3), -35);
    EXPECT_EQ(edit.valueAtX(t + 95), 11);
    EXPECT_EQ(edit.valueAtX(t + 96), 12);
}

// Whether the whole text of the field shows: a line edit that is too narrow
// scrolls, so the cursor then moves less between the ends than the text is wide.
bool textFits(QLineEdit* field) {
    field->setCursorPosition(int(field->text().size()));
    field->grab();
    int end = field->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
    field->setCursorPosition(0);
    field->grab();
    int start = field->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
    int wide = field->fontMetrics().horizontalAdvance(field->text());
    return start >= 0 && end - start >= wide - 1;
}

TEST_F(DbEditFixture, WidestReadingsFitInEveryFontSize) {
    edit.setMinimum(-127);
    edit.setDrawsEdge(true);
    for (int points : {0, 14, 24}) {
        if (points) {
            QFont f = edit.font();
            f.setPointSize(points);
            edit.setFont(f);
        }
        edit.resize(edit.sizeHint());
        for (int level : {-127, -126, -23}) {
            edit.setValue(level);
            edit.showValue();
            EXPECT_TRUE(textFits(edit.textField()))
                << edit.textField()->text().toStdString() << " at " << points << " pt, scale "
                << qgetenv("QT_SCALE_FACTOR").toStdString();
        }
    }
}

TEST(LDBDisplayTest, TenLevelsShowEightBarsClamped) {
    app();
    LDBDisplay meter;
    meter.resize(64, 16);
    std::vector<int8_t> levels = {-50, 20, 0, -36, 12, -6, 3, -127, 5, 5};
    meter.setLevels(int(levels.size()), levels.data());
    EXPECT_EQ(meter.barCount(), 8);
    std::vector<int> expected = {-36, 12, 0, -36, 12, -6, 3, -36};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(meter.level(i), expected[i]) << "bar " << i;
}

TEST(LDBDisplayTest, LevelRecordCountByteLeads) {
    app();
    LDBDisplay meter;
    uint8_t record[257] = {2, static_cast<uint8_t>(-3), 7};
    meter.setLevelRecord(record);
    EXPECT_EQ(meter.barCount(), 2);
    EXPECT_EQ(meter.level(0), -3);
    EXPECT_EQ(meter.level(1), 7);
}

TEST(LDBDisplayTest, ChangedStripCoversOnlyTheMovedPartOfOneBand) {
    app();
    LDBDisplay meter;
    meter.resize(96, 16);
    int8_t two[] = {-36, -36};
    meter.setLevels(2, two);
    // Band 1 is the lower half; -12 dB .. 0 dB is x 48 .. 72 of 96.
    QRect strip = meter.changedStrip(1, 0, -12);
    EXPECT_EQ(strip, QRect(48, 8, 24, 8));
    EXPECT_EQ(LDBDisplay::levelX(-36, 96), 0);
    EXPECT_EQ(LDBDisplay::levelX(0, 96), 72);
    EXPECT_EQ(LDBDisplay::levelX(12, 96), 96);
}

TEST(PressButtonTest, OneHoldGivesOnePressAndOneRelease) {
    app();
    PressButton button(212);
    button.resize(40, 24);
    std::vector<std::pair<int, int>> reports;
    QObject::connect(&button, &PressButton::pressReport,
                     [&](int state, int id) { reports.emplace_back(state, id); });
    press(&button, QPoint(5, 5));
    // A second press while held (another button, a repeat) reports nothing more.
    press(&button, QPoint(6, 6));
    mouse(&button, QEvent::MouseMove, QPoint(200, 200));
    release(&button, QPoint(200, 200));
    release(&button, QPoint(5, 5));
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0], std::make_pair(PressButton::kPressed, 212));
    EXPECT_EQ(reports[1], std::make_pair(PressButton::kReleased, 212));
    EXPECT_FALSE(button.isHeld());
}

TEST(PressButtonTest, RightButtonReportsNothing) {
    app();
    PressButton button(213);
    int reports = 0;
    QObject::connect(&button, &PressButton::pressReport, [&](int, int) { ++reports; });
    mouse(&button, QEvent::MouseButtonPress, QPoint(2, 2), Qt::RightButton);
    mouse(&button, QEvent::MouseButtonRelease, QPoint(2, 2), Qt::RightButton);
    EXPECT_EQ(reports, 0);
}

struct CountingProgress : LProgressDialog {
    CountingProgress() : LProgressDialog(QString(60, 'T'), QStringLiteral("Working")) {}
    int work() override {
        ++calls;
        inner = run(nullptr);  // a nested run while one runs returns 0 at once
        for (int i = 0; i < 5; ++i) {
            setProgress(i * 20);
            if (cancelAt == i) window()->reject();
            pumpEvents();
            if (cancelled()) return -1;
        }
        return 42;
    }
    int calls = 0;
    int inner = -99;
    int cancelAt = -1;
};

TEST(LProgressDialogTest, RunReturnsWorkResultAndRestoresParent) {
    app();
    QWidget parent;
    CountingProgress dialog;
    EXPECT_EQ(dialog.run(&parent), 42);
    EXPECT_EQ(dialog.calls, 1);
    EXPECT_EQ(dialog.inner, 0);
    EXPECT_TRUE(parent.isEnabled());
    EXPECT_FALSE(dialog.isRunning());
}

TEST(LProgressDialogTest, CancelStopsTheWork) {
    app();
    CountingProgress dialog;
    dialog.cancelAt = 2;
    EXPECT_EQ(dialog.run(nullptr), -1);
    EXPECT_TRUE(dialog.cancelled());
}

}  // namespace
