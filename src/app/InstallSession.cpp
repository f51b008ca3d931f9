#include "app/InstallSession.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "app/Folders.h"
#include "app/InstallDesktopEntries.h"
#include "app/InstallRecord.h"
#include "app/InstallSetupFile.h"
#include "app/InstallSystemTools.h"
#include "app/UninstallSession.h"
#include "support/IniFile.h"

namespace typix {

namespace {

constexpr const char* kDataFolderNames[] = {kCurrentFilesValue, kDoneFilesValue,
                                            kIncomingFilesValue, kStatusValue};

// Writes a folders.ini value only where there is none yet: a user who moved
// the data keeps it there across a re-installation.
bool writeIfMissing(const std::string& foldersIni, const char* name, const std::string& value) {
    const std::string current = iniRead(foldersIni, kFoldersSection, name).value_or("");
    return !current.empty() || iniWrite(foldersIni, kFoldersSection, name, value);
}

// The four data folders: an absolute folder already configured is made where
// it is missing; otherwise the default inside the installation folder is made
// and recorded.
bool createDataFoldersAt(const InstallLocations& at) {
    bool ok = true;
    for (const char* name : kDataFolderNames) {
        const std::string current = iniRead(at.foldersIni, kFoldersSection, name).value_or("");
        if (!current.empty()) {
            if (current.front() == '/') createPrivateFolder(current);
            continue;
        }
        const std::string folder = at.installFolder + "/" + name;
        const bool made = createPrivateFolder(folder);
        ok = iniWrite(at.foldersIni, kFoldersSection, name, folder) && made && ok;
    }
    return ok;
}

// A copy beside the target renamed into place, so a running uninstaller is replaced.
bool copyUninstaller(const InstallLocations& at) {
    const std::string temporary = at.uninstallerFile() + ".part";
    std::error_code error;
    std::filesystem::copy_file(at.programFile(), temporary,
                               std::filesystem::copy_options::overwrite_existing, error);
    if (!error && std::rename(temporary.c_str(), at.uninstallerFile().c_str()) == 0) return true;
    std::filesystem::remove(temporary, error);
    return false;
}

// ~/.local/bin/typix, replacing an older link but never a file of someone else's.
void linkIntoBin(const InstallLocations& at) {
    std::error_code error;
    const std::filesystem::path link = at.binLink;
    const auto status = std::filesystem::symlink_status(link, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_symlink(status)) return;
    std::filesystem::create_directories(link.parent_path(), error);
    std::filesystem::remove(link, error);
    std::filesystem::create_symlink(at.programFile(), link, error);
}

InstallOutcome copyFromSetup(const InstallLocations& at, const InstallSource& source,
                             InstallFrontEnd& frontEnd) {
    SetupCopyProgress progress;
    progress.fileStarted = [&frontEnd](size_t index) {
        frontEnd.setStep(index == 0 ? kProgramFileName : kHelpFileName);
    };
    progress.chunkCopied = [&frontEnd](int percent) { return frontEnd.chunkCopied(percent); };
    switch (copySetupFiles(source.setupFile, {at.programFile(), at.helpFile()}, progress)) {
        case SetupCopyResult::Copied: return InstallOutcome::Installed;
        case SetupCopyResult::Cancelled: return InstallOutcome::Cancelled;
        case SetupCopyResult::CannotOpen: return InstallOutcome::CannotReadSetup;
        case SetupCopyResult::CannotWrite:
            frontEnd.showError(kInstallErrorCaption,
                               "Korvel Typix could not be written to \"" + at.installFolder +
                                   "\".\n\nMake sure the disk has free space and that you may "
                                   "write there, then run the setup again.");
            return InstallOutcome::CannotWrite;
        case SetupCopyResult::ChecksumError: break;
    }
    frontEnd.showError(kInstallErrorCaption, kChecksumErrorText);
    return InstallOutcome::ChecksumError;
}

void finish(const InstallLocations& at, const InstallSource& source, InstallReport& report) {
    linkIntoBin(at);
    writeMenuEntries(at);
    report.launcherWritten = writeDesktopLauncher(at);
    copyUninstaller(at);
    report.uninstallRecordWritten = writeUninstallRecordIfNew(at.uninstallRecord, at.uninstallerFile());
    writeDictationAssociation(at, source.iconSvg);
    writePngIcons(at, source.iconPngs);
    report.staleLaunchersRemoved = removeStaleLaunchers(at.desktopFolder);
    refreshDesktopCaches(at);
    report.pedalRule = placePedalRule(at.udevRulesFolder);
    // The remover takes away only a rule this installation placed.
    if (report.pedalRule == PedalRuleResult::Placed)
        iniWrite(at.uninstallRecord, kUninstallSection, kPedalRuleRecordKey,
                 at.udevRulesFolder + "/" + kPedalRuleName);
    const char* noLaunch = std::getenv("TYPIX_NO_LAUNCH");
    if (!(noLaunch && std::strcmp(noLaunch, "1") == 0))
        report.programStarted = startDetached(at.programFile(), {});
}

}  // namespace

bool prepareInstallFolder(const InstallLocations& at) {
    std::error_code error;
    const bool made = createPrivateFolder(at.installFolder);
    std::filesystem::create_directories(std::filesystem::path(at.foldersIni).parent_path(), error);
    // "ProgramFiles" says where this installation puts the program, so it is
    // always written; the data folder keeps a value the user set.
    const bool program = iniWrite(at.foldersIni, kFoldersSection, kProgramFilesValue, at.installFolder);
    const bool data = writeIfMissing(at.foldersIni, kDataFilesValue, at.installFolder);
    return program && data && made;
}

InstallReport runInstallation(const InstallLocations& at, const InstallSource& source,
                              InstallFrontEnd& frontEnd) {
    InstallReport report;
    frontEnd.setHeading(kInstallHeading);
    frontEnd.setStep("Licence terms");
    if (!frontEnd.agreeToLicence()) {
        report.outcome = InstallOutcome::LicenceRefused;
        return report;
    }
    frontEnd.setStep("Data folders");
    createDataFoldersAt(at);
    if (frontEnd.userCancelled()) return report;
    report.outcome = copyFromSetup(at, source, frontEnd);
    if (report.outcome != InstallOutcome::Installed) return report;
    frontEnd.setStep("Finalizing");
    finish(at, source, report);
    return report;
}

}  // namespace typix
