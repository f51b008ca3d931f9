// The FTP check of the incoming engine: packages down, status files up.
#include <sys/stat.h>

#include <cstdio>

#include "app/Settings.h"
#include "support/LDatFile.h"
#include "support/LFile.h"
#include "transfer/BGLoad.h"
#include "transfer/DropFiles.h"
#include "transfer/FileTransfer.h"
#include "transfer/IncomingLock.h"
#include "transfer/KeptSources.h"
#include "transfer/PackageFormat.h"

namespace typix {

bool BGLoad::openFtp(FileTransfer& ftp) {
    ftp.setStopPredicate([this] { return stopNow(); });
    ftp.setTrustedFingerprint(readSetting("ftpcertsha256"));
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
        // A certificate problem needs the typist: the check cannot succeed
        // until the certificate is trusted or plain FTP is chosen.
        if (ftp.lastFailureIsCertificate())
            notice("FTP check ended: " + ftp.lastError() +
                   ". Trust the certificate or choose ftp:// in Settings (Check Now).");
        return;
    }
    float weight = 1.0f;
    fetchPackages(ftp, weight);
    if (report_.ftpError.empty() && readFlag("ftpstatusupload", true) && !stopNow())
        publishStatusFiles(ftp, weight);
    ftp.close();
}

void BGLoad::fetchPackages(FileTransfer& ftp, float& weight) {
    // Remembered sources are told apart by server and folder.
    const std::string where = "ftp " + readSetting("ftpserver") + " " + readSetting("ftpdir") + " ";
    FileTransfer::DirIterator it;
    if (!it.first(ftp, "*.dct") && ftp.lastFailureEndedSession() && !ftp.lastError().empty()) {
        report_.ftpError = "the listing failed: " + ftp.lastError();
        return;
    }
    for (; it.valid() && !stopNow() && report_.ftpError.empty(); it.next()) {
        SetProgress(0.1f + 0.3f * (1.0f - weight));
        weight *= 0.5f;
        const std::string name = it.name();
        // A name with a path in it would land outside Incoming Files.
        if (!isPlainFileName(name)) {
            report_.skipped.push_back(name);
            continue;
        }
        fetchOne(ftp, name, where);
    }
    if (stopNow() && report_.ftpError.empty()) report_.ftpError = "stopped";
}

void BGLoad::fetchOne(FileTransfer& ftp, const std::string& name, const std::string& where) {
    const auto lost = [&](const std::string& doing) {
        if (!ftp.lastFailureEndedSession()) return false;
        report_.ftpError = stopNow() ? "stopped" : "connection lost while " + doing + ": " + ftp.lastError();
        return true;
    };
    KeptSources kept(KeptSources::pathBeside(folders_.settingsFile));
    const std::string key = where + name;
    if (kept.isRemembered(key)) {
        int64_t size = -1, time = -1;
        if (ftp.fileInfo(name, size, time) && kept.isUnchanged(key, size, time)) return;
        if (lost("examining " + name)) return;
        kept.forget(key);
    }
    const std::string temp = makeHiddenTemporary(folders_.incoming);
    if (temp.empty()) {
        report_.ftpError = "cannot write into " + folders_.incoming;
        return;
    }
    if (!ftp.getFile(name, temp)) {  // left on the host for the next check
        std::remove(temp.c_str());
        if (!lost("fetching " + name)) report_.failures.push_back(name + ": " + ftp.lastError());
        return;
    }
    if (!IsCompletePackage(temp)) {
        std::remove(temp.c_str());
        if (ShouldDropBadFile(name)) ftp.deleteFile(name);
        return;
    }
    struct stat info;
    const int64_t size = ::stat(temp.c_str(), &info) == 0 ? info.st_size : -1;
    // The package gets a name of its own in Incoming Files before the host
    // copy goes, so a waiting package of the same name is never replaced.
    std::string placed;
    {
        LLock hold(incomingLock());
        placed = moveToFreeName(temp, folders_.incoming, name);
    }
    if (placed.empty()) {
        report_.failures.push_back(name + ": cannot be placed in " + folders_.incoming);
        return;
    }
    report_.fetched.push_back(name);
    if (placed != name) report_.renamed.push_back(name + " as " + placed);
    if (!ftp.deleteFile(name)) {
        if (lost("deleting " + name)) return;
        const std::string reason = ftp.lastError();
        int64_t remoteSize = size, time = -1;
        ftp.fileInfo(name, remoteSize, time);
        kept.remember(key, remoteSize, time);
        notice("The package " + name + " could not be deleted on the FTP host (" + reason +
               "); it was imported once and is skipped while it is unchanged.");
    }
    importArrival(placed);
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
