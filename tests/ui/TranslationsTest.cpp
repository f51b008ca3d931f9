// The German translation: complete, true to its sources' placeholders,
// accelerators and shortcuts, up to date with the interface's sources, and
// shown by the window when the locale is German.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <filesystem>
#include <memory>

#include "MainWindowFixture.h"
#include "app/AppTestFolder.h"
#include "ui/MainFrame.h"
#include "ui/Translations.h"

using namespace typix;
using namespace typix::uitest;

namespace {

const QString kTsFile = QStringLiteral(TYPIX_SOURCE_DIR "/translations/typix_de.ts");

struct Message {
    QString context, source, translation, type;
};

std::vector<Message> readTs(const QString& path) {
    std::vector<Message> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return messages;
    QXmlStreamReader xml(&file);
    QString context;
    Message message;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) continue;
        if (xml.name() == QLatin1String("name")) context = xml.readElementText();
        else if (xml.name() == QLatin1String("message")) message = Message{context, {}, {}, {}};
        else if (xml.name() == QLatin1String("source")) message.source = xml.readElementText();
        else if (xml.name() == QLatin1String("translation")) {
            message.type = xml.attributes().value(QLatin1String("type")).toString();
            message.translation = xml.readElementText();
            messages.push_back(message);
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return messages;
}

QStringList placeholders(const QString& text) {
    QStringList found;
    static const QRegularExpression mark(QStringLiteral("%L?\\d"));
    for (auto it = mark.globalMatch(text); it.hasNext();) found << it.next().captured();
    found.sort();
    return found;
}

// One '&' before a letter marks the accelerator; "&&" is a plain ampersand.
bool hasAccelerator(QString text) {
    text.remove(QStringLiteral("&&"));
    static const QRegularExpression accelerator(QStringLiteral("&\\w"));
    return text.contains(accelerator);
}

std::string where(const Message& m) { return (m.context + " / " + m.source).toStdString(); }

TEST(Translations, EveryGermanEntryIsTranslatedAndKeepsItsMarks) {
    const std::vector<Message> messages = readTs(kTsFile);
    ASSERT_GT(messages.size(), 100u);
    for (const Message& m : messages) {
        EXPECT_TRUE(m.type.isEmpty()) << where(m) << " is " << m.type.toStdString();
        EXPECT_FALSE(m.translation.trimmed().isEmpty()) << where(m);
        EXPECT_EQ(placeholders(m.translation), placeholders(m.source)) << where(m);
        EXPECT_EQ(hasAccelerator(m.translation), hasAccelerator(m.source)) << where(m);
        EXPECT_EQ(m.translation.count(QLatin1Char('\t')), m.source.count(QLatin1Char('\t'))) << where(m);
        EXPECT_EQ(m.translation.count(QLatin1Char('\n')) > 0, m.source.count(QLatin1Char('\n')) > 0)
            << where(m);
    }
}

// lupdate over the sources into a copy of the file finds nothing new to translate.
TEST(Translations, TheInterfaceHasNoTextMissingFromTheGermanFile) {
    const QString lupdate = QStringLiteral("/usr/lib/qt6/bin/lupdate");
    if (!QFile::exists(lupdate)) GTEST_SKIP() << "qt6-l10n-tools missing";
    apptest::TestFolder tmp;
    const QString copy = QString::fromStdString(tmp.file("typix_de.ts"));
    ASSERT_TRUE(QFile::copy(kTsFile, copy));
    QProcess process;
    process.start(lupdate, {QStringLiteral("-silent"), QStringLiteral("-no-obsolete"),
                            QStringLiteral("-locations"), QStringLiteral("none"),
                            QStringLiteral("-I"), QStringLiteral(TYPIX_SOURCE_DIR "/src"),
                            QStringLiteral(TYPIX_SOURCE_DIR "/src/ui"), QStringLiteral("-ts"), copy});
    ASSERT_TRUE(process.waitForFinished(60000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    for (const Message& m : readTs(copy))
        EXPECT_TRUE(m.type.isEmpty()) << where(m) << " is " << m.type.toStdString();
}

struct GermanWindowTest : MainWindowFixture {
    void TearDown() override {
        frame.reset();
        removeTranslations(QCoreApplication::instance());
        MainWindowFixture::TearDown();
    }
    std::unique_ptr<MainFrame> frame;
};

TEST_F(GermanWindowTest, MenusAndButtonsAreGerman) {
    ASSERT_TRUE(installTranslations(QCoreApplication::instance(), QLocale(QLocale::German, QLocale::Germany)));
    frame = std::make_unique<MainFrame>(settings, makeDevicePlayer());
    QStringList menus;
    for (QAction* a : frame->menuBar()->actions())
        if (a->menu()) menus << a->text();
    EXPECT_EQ(menus.join(QLatin1Char('|')).toStdString(), "&Datei|&Wiedergabe|&Schreiben|&Einstellungen|&Hilfe");
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Korvel Typix"));
    // Within a menu, no two German entries share an accelerator letter.
    for (QAction* title : frame->menuBar()->actions()) {
        if (!title->menu()) continue;
        QStringList letters;
        for (QAction* a : title->menu()->actions()) {
            const QString text = a->text().section(QLatin1Char('\t'), 0, 0);
            const qsizetype at = text.indexOf(QLatin1Char('&'));
            if (at >= 0 && at + 1 < text.size()) letters << text.at(at + 1).toLower();
        }
        EXPECT_EQ(letters.removeDuplicates(), 0) << title->text().toStdString();
    }
}

TEST_F(GermanWindowTest, EnglishNeedsNoTranslatorAndRemovingRestoresEnglish) {
    EXPECT_FALSE(installTranslations(QCoreApplication::instance(), QLocale(QLocale::English)));
    ASSERT_TRUE(installTranslations(QCoreApplication::instance(), QLocale(QLocale::German)));
    removeTranslations(QCoreApplication::instance());
    frame = std::make_unique<MainFrame>(settings, makeDevicePlayer());
    EXPECT_EQ(frame->menuBar()->actions().first()->text(), QStringLiteral("&File"));
}

// Run by the next test in a process of its own, whose locale comes from LANG.
TEST_F(GermanWindowTest, DISABLED_SystemLocaleChild) {
    ASSERT_TRUE(installTranslations(QCoreApplication::instance()));
    frame = std::make_unique<MainFrame>(settings, makeDevicePlayer());
    EXPECT_EQ(frame->menuBar()->actions().first()->text(), QStringLiteral("&Datei"));
}

TEST(Translations, LangDeDeShowsTheGermanWindow) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANGUAGE"}) env.remove(QLatin1String(name));
    env.insert(QStringLiteral("LANG"), QStringLiteral("de_DE.UTF-8"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.start(QString::fromStdString(std::filesystem::read_symlink("/proc/self/exe").string()),
                {QStringLiteral("--gtest_also_run_disabled_tests"),
                 QStringLiteral("--gtest_filter=GermanWindowTest.DISABLED_SystemLocaleChild")});
    ASSERT_TRUE(child.waitForFinished(60000));
    const std::string output = child.readAllStandardOutput().toStdString();
    EXPECT_EQ(child.exitCode(), 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test."), std::string::npos) << output;
}

}  // namespace
