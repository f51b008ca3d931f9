#include "ui/RemoteCommands.h"

#include <QListWidget>

#include <algorithm>

#include "ui/CommandIds.h"
#include "ui/MainDialog.h"

namespace typix {

namespace {

// 2 s in 1/10000 s, the step of the hot keys F7 and F8.
constexpr int32_t kSkipStep = 20000;

struct Command {
    const char* name;
    const char* help;
    void (*run)(MainDialog& d);
};

void selectNext(MainDialog& d) {
    QListWidget* list = d.fileList();
    const int next = list->currentRow() + 1;
    if (next < list->count()) list->setCurrentRow(next);
}

const Command kCommands[] = {
    {"play", "play at the current speed", [](MainDialog& d) { d.command(cmd::kPlay); }},
    {"stop", "stop", [](MainDialog& d) { d.stop(); }},
    {"toggle", "play when stopped, stop when playing",
     [](MainDialog& d) { d.isPlaying() ? d.stop() : d.command(cmd::kPlay); }},
    {"slow", "play at the slow speed", [](MainDialog& d) { d.command(cmd::kPlaySlow); }},
    {"fast", "play at the fast speed", [](MainDialog& d) { d.command(cmd::kPlayFast); }},
    {"back", "2 seconds back", [](MainDialog& d) { d.seek(std::max(d.position() - kSkipStep, 0)); }},
    {"ahead", "2 seconds ahead", [](MainDialog& d) { d.seek(d.position() + kSkipStep); }},
    {"start", "go to the start", [](MainDialog& d) { d.goToStart(); }},
    {"end", "go to the end", [](MainDialog& d) { d.goToEnd(); }},
    {"done", "file the dictation as Done", [](MainDialog& d) { d.command(cmd::kDone); }},
    {"next", "select the next dictation in the list", selectNext},
};

}  // namespace

const QStringList& remoteCommandNames() {
    static const QStringList names = [] {
        QStringList all;
        for (const Command& c : kCommands) all << QLatin1String(c.name);
        return all;
    }();
    return names;
}

QString remoteCommandHelp() {
    QString text;
    for (const Command& c : kCommands)
        text += QStringLiteral("                    %1%2\n").arg(QLatin1String(c.name), -8).arg(QLatin1String(c.help));
    return text;
}

QString desktopShortcutHowTo() {
    return QStringLiteral(
        "Bind the desktop's own shortcuts to commands such as \"typix --command toggle\" "
        "(play, stop, toggle, slow, fast, back, ahead, start, end, done, next). GNOME: "
        "Settings > Keyboard > View and Customise Shortcuts > Custom Shortcuts. KDE: "
        "System Settings > Shortcuts > Add New > Command or Script.");
}

bool runRemoteCommand(MainDialog& dialog, const QString& name) {
    for (const Command& c : kCommands) {
        if (name == QLatin1String(c.name)) {
            c.run(dialog);
            return true;
        }
    }
    return false;
}

}  // namespace typix
