#include "ui/CommandLine.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#include <cstring>

#include "app/Version.h"
#include "ui/RemoteCommands.h"
#include "ui/SingleInstance.h"

namespace typix {

namespace {

void print(FILE* to, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), to);
}

int sendCommand(int argc, char** argv, const QString& name) {
    if (!remoteCommandNames().contains(name)) {
        print(stderr, QStringLiteral("typix: \"%1\" is not a command; the commands are: %2\n")
                          .arg(name, remoteCommandNames().join(QStringLiteral(", "))));
        return 2;
    }
    QCoreApplication app(argc, argv);
    switch (SingleInstance::sendCommand(name)) {
        case SingleInstance::CommandResult::Ran: return 0;
        case SingleInstance::CommandResult::Unknown:
            print(stderr, QStringLiteral("typix: the running window does not know \"%1\"\n").arg(name));
            return 2;
        case SingleInstance::CommandResult::NotRunning: break;
    }
    print(stderr, QStringLiteral("typix: Korvel Typix is not running; start it first\n"));
    return 1;
}

}  // namespace

QString commandLineHelp() {
    return QStringLiteral(
               "Usage: typix [FILE]\n"
               "       typix --command NAME\n"
               "       typix --help | --version\n"
               "\n"
               "Starts Korvel Typix, or brings the running window to the front.  FILE (a\n"
               "dictation package, a wave or any audio file) is imported into Current Files.\n"
               "\n"
               "  --command NAME  sends NAME to the running window and ends; exit status 1\n"
               "                  when none runs.  Bind desktop shortcuts to these commands\n"
               "                  where system-wide keys are not available (Wayland):\n") +
           remoteCommandHelp() +
           QStringLiteral("  --help          shows this text\n"
                          "  --version       shows the program's version\n");
}

std::optional<int> runCommandLineOptions(int argc, char** argv) {
    if (argc < 2) return std::nullopt;
    const char* first = argv[1];
    if (std::strcmp(first, "--help") == 0 || std::strcmp(first, "-h") == 0) {
        print(stdout, commandLineHelp());
        return 0;
    }
    if (std::strcmp(first, "--version") == 0) {
        std::printf("typix (Korvel Typix) %s\n", kProgramVersion);
        return 0;
    }
    if (std::strcmp(first, "--command") == 0) {
        if (argc != 3) {
            std::fprintf(stderr, "usage: typix --command NAME\n");
            return 2;
        }
        return sendCommand(argc, argv, QString::fromLocal8Bit(argv[2]));
    }
    if (std::strncmp(first, "--command=", 10) == 0 && argc == 2)
        return sendCommand(argc, argv, QString::fromLocal8Bit(first + 10));
    // Any other option is a mistake, unless a file of that name exists.
    if (std::strncmp(first, "--", 2) == 0 && argc == 2 && !QFileInfo::exists(QString::fromLocal8Bit(first))) {
        std::fprintf(stderr, "typix: unknown option %s (see typix --help)\n", first);
        return 2;
    }
    return std::nullopt;
}

}  // namespace typix
