// The FTP check of the incoming engine: packages down, status files up.
#include <cstdio>

#include "app/Settings.h"
#include "support/LDatFile.h"
#include "support/LFile.h"
#include "transfer/BGLoad.h"
#include "transfer/FileTransfer.h"
#include "transfer/PackageFormat.h"

namespace typix {

bool BGLoad::openFtp(FileTransfer& ftp) {
    ftp.setStopPredicate([this] { return stopNow(); });
    if (!ftp.open()) return false;
    if (stopNow()) return false;
    SetProgress(0.05f);
    if (!ftp.connect(readSetting("ftpserver"), readSetting("ftpusername"),
                     readSetting("ftppassword"))) {
        return false;
    }
    if (stopNow()) return false;
    SetProgress(0.075f);
    return ftp.setDirectory(readSetting("ftpdir")) && !stopNow();
}

void BGLoad::CheckFtp() {
    report_.ftpChecked = true;
    SetProgress(0.025f);
    FileTransfer ftp;
    if (!openFtp(ftp)) {
        report_.ftpError = stopNow() ? "stopped" : ftp.lastError();
        if (report_.ftpError.empty()) report_.ftpError = "cannot reach the FTP host";
        return;
    }
    float weight = 1.0f;
    fetchPackages(ftp, weight);
    if (readFlag("ftpstatusupload", true) && !stopNow()) publishStatusFiles(ftp, weight);
    ftp.close();
}

void BGLoad::fetchPackages(FileTransfer& ftp, float& weight) {
    FileTransfer::DirIterator it;
    for (it.first(ftp, "*.dct"); it.valid() && !stopNow(); it.next()) {
        SetProgress(0.1f + 0.3f * (1.0f - weight));
        weight *= 0.5f;
        const std::string name = it.name();
        // A name with a path in it would land outside Incoming Files.
        if (!isPlainFileName(name)) {
            report_.skipped.push_back(name);
            continue;
        }
        const std::string local = folders_.incoming + name;
        if (!ftp.getFile(name, local)) continue;  // left on the host for the next check
        if (IsCompletePackage(local)) {
            ftp.deleteFile(name);
            report_.fetched.push_back(name);
        } else {
            std::remove(local.c_str());
            if (ShouldDropBadFile(name)) ftp.deleteFile(name);
        }
    }
}

void BGLoad::publishStatusFiles(FileTransfer& ftp, float& weight) {
    FileTransfer::DirIterator it;
    for (it.first(ftp, "*.sta"); it.valid() && !stopNow(); it.next()) {
        SetProgress(0.1f + 0.3f * (1.0f - weight));
        weight *= 0.5f;
        if (isPlainFileName(it.name())) ftp.deleteFile(it.name());
    }
    bool allSent = true;
    for (FolderIterator local(folders_.status + "*.sta"); local.valid() && !stopNow();
         local.next()) {
        SetProgress(0.1f + 0.3f * (1.0f - weight));
        weight *= 0.5f;
        if (ftp.putFile(local.path(), local.name())) {
            report_.published.push_back(local.name());
        } else {
            allSent = false;
        }
    }
    // Files that did not go up are tried again at the next check.
    if (allSent && !stopNow()) {
        LDatFile(folders_.settingsFile, kSettingsFileMode)
            .writeFlag("settings", "ftpstatusupload", false);
    }
}

}  // namespace typix
