#include "transfer/BGLoad.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "app/Settings.h"
#include "support/FreeName.h"
#include "support/LDatFile.h"
#include "support/LFile.h"
#include "transfer/AudioSteps.h"
#include "transfer/DropFiles.h"
#include "transfer/IncomingLock.h"
#include "transfer/KeptSources.h"
#include "transfer/PackageFormat.h"

namespace typix {

namespace {

constexpr int kPassPauseMs = 2000;
constexpr int32_t kLanScanSeconds = 7;
constexpr int32_t kEmailScanSeconds = 20;
constexpr float kProgressStep = 0.04f;

PassReport::Import waveReport(const std::string& name, const std::string& base,
                              AudioOutcome outcome) {
    PassReport::Import line{name, ImportStatus::Delivered, true, base, ""};
    switch (outcome) {
        case AudioOutcome::Ok: break;
        case AudioOutcome::Undecodable:
            line.status = ImportStatus::Malformed;
            line.reason = "not a readable wave file";
            break;
        case AudioOutcome::OutputFailed:
            line.status = ImportStatus::Failed;
            line.reason = "cannot write the audio file; kept for the next pass";
            break;
        case AudioOutcome::Stopped:
            line.status = ImportStatus::Stopped;
            line.reason = "stopped";
            break;
    }
    return line;
}

}  // namespace

int64_t systemClockSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

std::string ownFolderNamed(const TransferFolders& folders, const std::string& setting) {
    const std::string folder = resolvedFolder(stripFolderSetting(setting));
    if (folder.empty()) return {};
    const size_t slash = folders.settingsFile.rfind('/');
    const std::string data =
        slash == std::string::npos ? std::string() : folders.settingsFile.substr(0, slash + 1);
    const std::pair<const char*, const std::string*> own[] = {
        {"Incoming Files", &folders.incoming}, {"Current Files", &folders.current},
        {"Done Files", &folders.done},         {"Status", &folders.status},
        {"data folder", &data}};
    for (const auto& [name, path] : own) {
        if (!path->empty() && resolvedFolder(*path) == folder) return name;
    }
    return {};
}

// The import's view of this thread: its stop test, its progress and the path
// of the open dictation under the LThread lock.
class BGLoad::Host : public ImportHost {
public:
    explicit Host(BGLoad& owner) : owner_(owner) {}
    bool importStopRequested() override { return owner_.stopNow(); }
    void importProgress(float value) override { owner_.SetProgress(value); }
    void withFileInUse(const std::function<void(const std::string&)>& action) override {
        LLock guard(owner_.lock());
        action(owner_.fileInUse_);
    }

private:
    BGLoad& owner_;
};

BGLoad::BGLoad() : clock_(systemClockSeconds) {}

BGLoad::BGLoad(TransferFolders folders, TransferClock clock)
    : folders_(std::move(folders)), clock_(std::move(clock)) {}

BGLoad::~BGLoad() { finish(); }

void BGLoad::configure(TransferFolders folders, TransferClock clock) {
    folders_ = std::move(folders);
    clock_ = std::move(clock);
}

TransferFolders BGLoad::foldersFromSettings() {
    const Settings& store = settings();
    return {store.incomingFiles(), store.currentFiles(), store.doneFiles(),
            store.statusFolder(), store.settingsFile()};
}

LLockObject& BGLoad::incomingLock() { return typix::incomingLock(); }

void BGLoad::SetFileInUse(const std::string& path) {
    LLock guard(lock());
    fileInUse_ = path;
}

void BGLoad::notice(const std::string& text) {
    report_.notices.push_back(text);
    for (const std::string& said : saidNotices_) {
        if (said == text) return;
    }
    saidNotices_.push_back(text);
    {
        LLock guard(lock());
        pendingNotices_.push_back(text);
    }
    postNotify();
}

std::vector<std::string> BGLoad::TakeNotices() {
    LLock guard(lock());
    std::vector<std::string> out;
    out.swap(pendingNotices_);
    return out;
}

bool BGLoad::refusesOwnFolder(const std::string& setting, const char* channel) {
    const std::string own = ownFolderNamed(folders_, setting);
    if (own.empty()) return false;
    notice(std::string("The ") + channel + " setting names the program's own " + own +
           " folder, so it is not scanned. Choose another folder in Settings.");
    return true;
}

bool BGLoad::stopNow() { return externalStop_.load() || stopRequested(); }

int32_t BGLoad::now32() const { return static_cast<int32_t>(clock_()); }

std::string BGLoad::readSetting(const char* key, const char* def) const {
    return LDatFile(folders_.settingsFile).readText(kSettingsSection, key, def);
}

bool BGLoad::readFlag(const char* key, bool def) const {
    return LDatFile(folders_.settingsFile).readFlag(kSettingsSection, key, def);
}

void BGLoad::SetProgress(float value) {
    float old = progress_.load();
    if (value - old > kProgressStep || value - old < -kProgressStep) {
        progress_.store(value);
        notifyCount_.fetch_add(1);
        postNotify();
    }
}

void BGLoad::run() {
    while (!stopRequested()) {
        report_ = PassReport{};
        pass();
        if (pause(kPassPauseMs)) break;
    }
}

PassReport BGLoad::runPass() {
    report_ = PassReport{};
    pass();
    return report_;
}

PassReport BGLoad::runImportPass() {
    if (folders_.settingsFile.empty()) folders_ = foldersFromSettings();
    report_ = PassReport{};
    ImportIncoming();
    SetProgress(0.0f);
    return report_;
}

void BGLoad::pass() {
    if (folders_.settingsFile.empty()) folders_ = foldersFromSettings();
    const int32_t now = now32();
    if (readFlag("ftpcheck", false)) {
        int32_t last = lastFtpCheck_.load();
        uint32_t interval = static_cast<uint32_t>(parseAtoi(readSetting("ftpinterval", "0")));
        bool due = last == 0 || (interval != 0 && (static_cast<uint32_t>(last) + interval <
                                                       static_cast<uint32_t>(now) ||
                                                   now < last));
        if (due) {
            CheckFtp();
            // A Check Now pressed during this check stays pending.
            lastFtpCheck_.compare_exchange_strong(last, now);
        }
    }
    if (readFlag("lancheck", false) &&
        (int64_t{now} > int64_t{lastLanScan_} + kLanScanSeconds || now < lastLanScan_)) {
        ScanDropFolder(readSetting("lanfolder"), 0.4f);
        lastLanScan_ = now;
    }
    if (readFlag("emailcheck", false) &&
        (int64_t{now} > int64_t{lastEmailScan_} + kEmailScanSeconds || now < lastEmailScan_)) {
        ScanDropFolder(readSetting("emailattachfolder"), 0.45f);
        lastEmailScan_ = now;
    }
    if (stopNow()) return;
    ImportIncoming();
    SetProgress(0.0f);
}

bool BGLoad::IsCompletePackage(const std::string& path) {
    LReadFile file;
    if (!file.open(path)) return false;
    uint8_t head[6];
    uint16_t version = 0xFFFF;
    ssize_t got = file.read(head, sizeof head);
    if (got >= 2) version = static_cast<uint16_t>(head[0] | (head[1] << 8));
    if (version > 1 || got < 6) return false;
    uint32_t length = static_cast<uint32_t>(head[2]) | (static_cast<uint32_t>(head[3]) << 8) |
                      (static_cast<uint32_t>(head[4]) << 16) |
                      (static_cast<uint32_t>(head[5]) << 24);
    return static_cast<int64_t>(length) == file.size();
}

bool BGLoad::ShouldDropBadFile(const std::string& name) {
    const int64_t now = now32();
    if (name == badFileName_) {
        if (now - badFileTime_ > 3600) {
            badFileName_.clear();
            return true;
        }
        return false;
    }
    if (now - badFileTime_ > 3600 || badFileTime_ > now) {
        badFileTime_ = static_cast<int32_t>(now);
        badFileName_ = name;
    }
    return false;
}

void BGLoad::ScanDropFolder(const std::string& setting, float base) {
    const std::string folder = stripFolderSetting(setting);
    if (folder.empty()) return;  // an unset folder is not scanned at all
    if (refusesOwnFolder(setting, base < 0.42f ? "LAN folder" : "e-mail attachment folder")) return;
    float weight = 0.5f;
    for (FolderIterator it(folder + "/*.dct"); it.valid() && !stopNow(); it.next()) {
        if (it.isDirectory()) continue;
        SetProgress(base + 0.05f * (1.0f - weight));
        weight *= 0.5f;
        const std::string name = it.name();
        if (!isPlainFileName(name)) {
            report_.skipped.push_back(name);
            continue;
        }
        takeFromFolder(folder, name, false);
    }
    if (!stopNow()) fetchDropFolderAudio(folder);
}

void BGLoad::takeFromFolder(const std::string& folder, const std::string& name, bool audio) {
    const std::string source = folder + "/" + name;
    struct stat info;
    if (::stat(source.c_str(), &info) != 0) return;
    KeptSources kept(KeptSources::pathBeside(folders_.settingsFile));
    const int64_t size = info.st_size, time = info.st_mtime;
    if (kept.isRemembered(source)) {
        if (kept.isUnchanged(source, size, time)) return;  // taken before, could not be deleted
        kept.forget(source);
    }
    // A package is taken once it is whole; an audio file once it has settled
    // (checked by the caller), and one that does not decode stays in Incoming.
    if (!audio && !IsCompletePackage(source)) {
        if (ShouldDropBadFile(source)) std::remove(source.c_str());
        return;
    }
    const std::string placed = copyIntoFolder(source, folders_.incoming, name);
    if (placed.empty()) {
        report_.failures.push_back(source + ": cannot be copied into Incoming Files");
        return;
    }
    report_.fetched.push_back(name);
    if (placed != name) report_.renamed.push_back(name + " as " + placed);
    if (std::remove(source.c_str()) != 0) {
        kept.remember(source, size, time);
        notice(std::string(audio ? "The audio file " : "The package ") + source +
               " could not be deleted (" + std::strerror(errno) +
               "); it was imported once and is skipped while it is unchanged.");
    }
}

void BGLoad::fetchDropFolderAudio(const std::string& folder) {
    const int64_t now = clock_();
    for (FolderIterator it(folder + "/*"); it.valid() && !stopNow(); it.next()) {
        const std::string name = it.name();
        if (it.isDirectory() || !isDropFolderAudioName(name)) continue;
        if (!isPlainFileName(name)) {
            report_.skipped.push_back(name);
            continue;
        }
        if (now - it.modificationTime() < kDropAudioSettleSeconds) continue;
        takeFromFolder(folder, name, true);
    }
}

ImportResult BGLoad::ImportPackage(const std::string& path, float start, float span) {
    Host host(*this);
    ImportResult result = importPackage(path, folders_.current, start, span, host);
    if (result.taken()) newDictation_.store(true);
    return result;
}

bool BGLoad::ImportWave(const std::string& path, float start, float span) {
    std::string base;
    return importOneWave(path, start, span, base) == AudioOutcome::Ok;
}

AudioOutcome BGLoad::importOneWave(const std::string& path, float start, float span,
                                   std::string& base) {
    size_t slash = path.rfind('/');
    const std::string stem =
        splitExtension(path.substr(slash == std::string::npos ? 0 : slash + 1)).first;
    // A hand-loaded wave never replaces a dictation of the same name (the
    // open one included): any file of the triple makes the name taken, so
    // the arrival never inherits another dictation's record or typing.
    base = freeName(stem, "", [this](const std::string& name) {
        std::error_code error;
        for (const char* extension : {".wav", ".dat", ".txt"})
            if (std::filesystem::exists(folders_.current + name + extension, error)) return true;
        return false;
    });
    if (base.empty()) return AudioOutcome::OutputFailed;
    const std::string target = folders_.current + base + ".wav";
    AudioOutcome outcome = convertWave(
        path, target, false, [this] { return stopNow(); },
        [&](int blocks) {
            SetProgress(start + static_cast<float>(1.0 - std::pow(0.95, blocks)) * span);
        });
    if (outcome == AudioOutcome::Ok) newDictation_.store(true);
    return outcome;
}

void BGLoad::importArrival(const std::string& name) {
    LLock guard(incomingLock());
    const std::string path = folders_.incoming + name;
    ImportResult result = ImportPackage(path, progress_.load(), 0.0f);
    report_.imports.push_back({name, result.status, false, result.base, result.reason});
    if (stopNow()) return;
    if (result.removesPackage()) std::remove(path.c_str());
    // The list shows each dictation as soon as it is in, not after the check.
    if (result.taken()) postNotify();
}

void BGLoad::ImportIncoming() {
    LLock guard(incomingLock());
    float weight = 1.0f;
    for (FolderIterator it(folders_.incoming + "*.dct"); it.valid() && !stopNow(); it.next()) {
        if (it.isDirectory()) continue;
        const std::string path = it.path();
        ImportResult result = ImportPackage(path, 0.5f + 0.5f * (1.0f - weight), 0.25f * weight);
        report_.imports.push_back({it.name(), result.status, false, result.base, result.reason});
        if (stopNow()) break;
        if (result.removesPackage()) std::remove(path.c_str());
        weight *= 0.5f;
    }
    for (FolderIterator it(folders_.incoming + "*.wav"); it.valid() && !stopNow(); it.next()) {
        if (it.isDirectory()) continue;
        const std::string path = it.path();
        std::string base;
        AudioOutcome outcome =
            importOneWave(path, 0.5f + 0.5f * (1.0f - weight), 0.25f * weight, base);
        report_.imports.push_back(waveReport(it.name(), base, outcome));
        if (stopNow()) break;
        // A wave that could not be written out stays for the next pass.
        if (outcome != AudioOutcome::OutputFailed) std::remove(path.c_str());
        weight *= 0.5f;
    }
    importAudioFiles(weight);
}

void BGLoad::importAudioFiles(float& weight) {
    for (FolderIterator it(folders_.incoming + "*"); it.valid() && !stopNow(); it.next()) {
        if (it.isDirectory() || !isAudioImportCandidate(it.name())) continue;
        const std::string path = it.path();
        if (undecodable_.skip(path)) continue;
        const float start = 0.5f + 0.5f * (1.0f - weight), span = 0.25f * weight;
        AudioImportResult result = importAudioFile(
            path, folders_.current, [this] { return stopNow(); },
            [&](int blocks) {
                SetProgress(start + static_cast<float>(1.0 - std::pow(0.95, blocks)) * span);
            });
        PassReport::Import line = waveReport(it.name(), result.base, result.outcome);
        line.isWave = false;
        line.base = result.base;
        if (!result.reason.empty()) line.reason = result.reason;
        if (result.outcome == AudioOutcome::Undecodable)
            line.reason += "; kept in Incoming Files";
        report_.imports.push_back(line);
        if (result.outcome == AudioOutcome::Ok) {
            newDictation_.store(true);
            std::remove(path.c_str());
        } else if (result.outcome == AudioOutcome::Undecodable) {
            undecodable_.remember(path);
        }
        if (stopNow()) break;
        weight *= 0.5f;
    }
    if (!stopNow()) undecodable_.endPass();
}

BGLoad& bgLoad() {
    static BGLoad instance;
    return instance;
}

}  // namespace typix
