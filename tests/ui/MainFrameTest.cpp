// The frame: title, size, menu commands and their enable rules, and the
// import of a named file.
#include <QAction>
#include <QMenuBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

#include <filesystem>
#include <fstream>

#include "MainWindowFixture.h"
#include "ui/CommandIds.h"
#include "ui/HelpWindow.h"
#include "ui/MainFrame.h"

using namespace typix;
using namespace typix::uitest;

namespace {

struct MainFrameTest : MainWindowFixture {
    MainFrame& frame() {
        if (!frame_) frame_ = std::make_unique<MainFrame>(settings, makeDevicePlayer());
        return *frame_;
    }
    void TearDown() override {
        frame_.reset();
        MainWindowFixture::TearDown();
    }
    std::unique_ptr<MainFrame> frame_;
};

TEST_F(MainFrameTest, TitledAndSizedToItsClient) {
    MainFrame& f = frame();
    f.show();
    EXPECT_EQ(f.windowTitle().toStdString(), "Korvel Typix");
    EXPECT_TRUE(f.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(f.size(), f.sizeHint()) << "opens at its client's size";
    EXPECT_EQ(f.minimumSize(), f.sizeHint()) << "and never gets smaller";
    EXPECT_GT(f.maximumSize().width(), f.sizeHint().width()) << "but grows";
    QStringList menus;
    for (QAction* a : f.menuBar()->actions())
        if (a->menu()) menus << a->text();
    EXPECT_EQ(menus, (QStringList{"&File", "&Transport", "Ty&ping", "&Settings", "&Help"}));
}

TEST_F(MainFrameTest, EmptyQueueEnablesOnlyWhatNeedsNoDictation) {
    MainFrame& f = frame();
    for (int id : {cmd::kDone, cmd::kDelete, cmd::kPlay, cmd::kPlaySlow, cmd::kPlayFast,
                   cmd::kStop, cmd::kStart, cmd::kEnd, cmd::kCut, cmd::kCopyAll})
        EXPECT_FALSE(f.action(id)->isEnabled()) << id;
    for (int id : {cmd::kLoadFile, cmd::kExit, cmd::kHelpContents, cmd::kAbout})
        EXPECT_TRUE(f.action(id)->isEnabled()) << id;
}

TEST_F(MainFrameTest, LoadedDictationEnablesTransportAndFileCommands) {
    addDictation("a");
    MainFrame& f = frame();
    for (int id : {cmd::kDone, cmd::kDelete, cmd::kPlay, cmd::kStop, cmd::kEnd, cmd::kCopyAll})
        EXPECT_TRUE(f.action(id)->isEnabled()) << id;
    EXPECT_EQ(f.action(cmd::kPlay)->data().toInt(), cmd::kPlay);
    f.action(cmd::kPlay)->trigger();
    EXPECT_TRUE(waitFor([&] { return f.dialog()->isPlaying(); }));
    f.action(cmd::kStop)->trigger();
    EXPECT_TRUE(waitFor([&] { return !f.dialog()->isPlaying(); }));
}

TEST_F(MainFrameTest, ImportFileCopiesIntoIncomingBesideAWaitingFileOfThatName) {
    std::string source = root + "/from/";
    std::filesystem::create_directories(source);
    std::ofstream(source + "a b.wav") << "new";
    std::ofstream(settings.incomingFiles() + "a b.wav") << "old";
    MainFrame& f = frame();
    EXPECT_TRUE(f.importFile(source + "a b.wav"));
    std::string waiting, arrived;
    std::ifstream(settings.incomingFiles() + "a b.wav") >> waiting;
    std::ifstream(settings.incomingFiles() + "a b (2).wav") >> arrived;
    EXPECT_EQ(waiting, "old") << "a waiting arrival is never replaced";
    EXPECT_EQ(arrived, "new");
    EXPECT_FALSE(f.importFile(source + "missing.wav"));
    EXPECT_FALSE(std::filesystem::exists(settings.incomingFiles() + "missing.wav"));
}

}  // namespace

namespace {

TEST_F(MainFrameTest, HelpOpensAtItsIndexAndKnowsTheContexts) {
    MainFrame& f = frame();
    f.action(cmd::kHelpContents)->trigger();
    HelpWindow& help = HelpWindow::instance();
    EXPECT_TRUE(help.isVisible());
    EXPECT_EQ(help.currentAnchor().toStdString(), HelpWindow::kIndex);
    EXPECT_TRUE(help.browser()->toPlainText().contains("Troubleshooting sound"));
    QStringList anchors;
    for (QTextBlock b = help.browser()->document()->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) anchors << it.fragment().charFormat().anchorNames();
    // The settings dialog and the dictaphone dialog open the help at these places.
    for (const char* anchor : {"index", "context-101", "context-103", "keys", "pedals", "sound",
                               "dispatch"})
        EXPECT_TRUE(anchors.contains(HelpWindow::sectionOf(QLatin1String(anchor)))) << anchor;
    // Every link of the contents leads somewhere.
    for (QTextBlock b = help.browser()->document()->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            QString href = it.fragment().charFormat().anchorHref();
            if (href.startsWith('#')) {
                EXPECT_TRUE(anchors.contains(href.mid(1))) << href.toStdString();
            }
        }
    }
    help.close();
}

}  // namespace
