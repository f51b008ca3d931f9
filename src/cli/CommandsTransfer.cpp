// typixctl commands of the incoming transfer: import, pass, status.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/Startup.h"
#include "cli/CliCommand.h"
#include "support/LFile.h"
#include "transfer/BGLoad.h"
#include "transfer/IncomingLock.h"
#include "transfer/Status.h"

namespace typix::cli {

namespace {

// One line per file the import pass took or refused; true when any was refused.
bool printImports(const PassReport& report) {
    bool rejected = false;
    for (const PassReport::Import& line : report.imports) {
        switch (line.status) {
            case ImportStatus::Delivered:
                std::printf("imported %s\n", line.base.c_str());
                break;
            case ImportStatus::Withdrawn:
                std::printf("withdrawn %s\n", line.base.c_str());
                break;
            case ImportStatus::Malformed:
                std::printf("rejected %s: %s\n", line.file.c_str(), line.reason.c_str());
                rejected = true;
                break;
            case ImportStatus::Failed:
            case ImportStatus::Stopped:
                std::printf("rejected %s: %s (kept in Incoming Files for the next pass)\n",
                            line.file.c_str(), line.reason.c_str());
                rejected = true;
                break;
        }
    }
    return rejected;
}

int runImport(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: typixctl import FILE...\n");
        return 2;
    }
    const Settings& store = startProgram();
    bool rejected = false;
    for (int i = 1; i < argc; ++i) {
        if (!copyIntoIncoming(argv[i], store.incomingFiles())) {
            std::printf("rejected %s: cannot be read or copied into %s\n", argv[i],
                        store.incomingFiles().c_str());
            rejected = true;
        }
    }
    BGLoad loader(BGLoad::foldersFromSettings());
    rejected = printImports(loader.runImportPass()) || rejected;
    return rejected ? 1 : 0;
}

int runPass(int argc, char** argv) {
    bool forceFtp = argc == 2 && std::strcmp(argv[1], "--ftp") == 0;
    if (argc > 2 || (argc == 2 && !forceFtp)) {
        std::fprintf(stderr, "usage: typixctl pass [--ftp]\n");
        return 2;
    }
    startProgram();
    BGLoad loader(BGLoad::foldersFromSettings());
    if (forceFtp) loader.forceFtpCheck();
    const PassReport report = loader.runPass();
    // Failures go to stderr, each on its own line; the exit status says
    // whether any channel failed.
    if (report.ftpChecked && report.ftpError.empty()) std::printf("ftp: checked\n");
    if (!report.ftpError.empty()) std::fprintf(stderr, "ftp: check failed: %s\n", report.ftpError.c_str());
    for (const std::string& line : report.failures) std::fprintf(stderr, "failed %s\n", line.c_str());
    for (const std::string& name : report.fetched) std::printf("fetched %s\n", name.c_str());
    for (const std::string& line : report.renamed) std::printf("renamed %s\n", line.c_str());
    for (const std::string& name : report.skipped) {
        std::printf("skipped %s: not a plain file name\n", name.c_str());
    }
    bool rejected = printImports(report);
    for (const std::string& name : report.published) std::printf("published %s\n", name.c_str());
    for (const std::string& text : report.notices) std::printf("notice: %s\n", text.c_str());
    std::fflush(stdout);
    return rejected || report.channelFailed() ? 1 : 0;
}

int runStatus(int argc, char**) {
    if (argc != 1) {
        std::fprintf(stderr, "typixctl status: takes no arguments\n");
        return 2;
    }
    const Settings& store = startProgram();
    Status status(BGLoad::foldersFromSettings());
    status.rebuild();
    for (FolderIterator it(store.statusFolder() + "*.sta"); it.valid(); it.next()) {
        std::printf("%s\n", it.name().c_str());
    }
    return 0;
}

const CliRegistrar importCommand(
    {"import",
     "  import FILE...           copies packages, waves or any audio files (MP3, M4A, Ogg,\n"
     "                           FLAC, ...) into Incoming Files and imports them: imported\n"
     "                           BASE, withdrawn BASE or rejected NAME: REASON",
     runImport});
const CliRegistrar passCommand(
    {"pass",
     "  pass [--ftp]             one pass of the incoming engine with the current settings\n"
     "                           (--ftp: check the FTP host now); prints what it did,\n"
     "                           failures on stderr; exit status 1 when a channel failed",
     runPass});
const CliRegistrar statusCommand(
    {"status", "  status                   rebuilds every sender's status file and lists them",
     runStatus});

}  // namespace

}  // namespace typix::cli
