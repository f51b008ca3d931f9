#include "transfer/Status.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "app/Settings.h"
#include "support/IniFile.h"
#include "support/LDatFile.h"
#include "support/LFile.h"
#include "transfer/DropFiles.h"

namespace typix {

namespace {

const char* const kRecordSection = "file";

void deleteStatusFiles(const std::string& folder) {
    for (FolderIterator it(folder + "*.sta"); it.valid(); it.next()) {
        if (!it.isDirectory()) std::remove(it.path().c_str());
    }
}

void putLittle32(uint8_t* out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

std::string statusFileName(const std::string& statusFolder, int32_t senderId) {
    char name[32];
    std::snprintf(name, sizeof name, "s%.7ld.sta", static_cast<long>(senderId));
    return statusFolder + name;
}

bool appendStatusEntry(const std::string& statusFolder, int32_t senderId, int32_t number,
                       const std::string& status) {
    uint8_t entry[kStatusEntryBytes] = {};
    putLittle32(entry, static_cast<uint32_t>(number));
    std::memcpy(entry + 4, status.data(), std::min<size_t>(status.size(), kStatusTextBytes));
    const std::string path = statusFileName(statusFolder, senderId);
    LWriteFile file;
    if (!file.append(path)) {
        const uint8_t header[4] = {0, 0, 0, 0};
        if (!file.create(path) || file.write(header, sizeof header) != sizeof header) {
            return false;
        }
    }
    return file.write(entry, sizeof entry) == sizeof entry;
}

Status::~Status() { finish(); }

void Status::appendFolder(const std::string& folder, const char* defaultStatus) {
    for (FolderIterator it(folder + "*.dat"); it.valid(); it.next()) {
        if (it.isDirectory()) continue;
        // One read of the record gives all three keys.
        static constexpr std::string_view kKeys[] = {"senderid", "number", "status"};
        auto values = iniReadKeys(it.path(), kRecordSection, kKeys);
        const int32_t senderId = parseAtoi(values[0].value_or("0"));
        const int32_t number = parseAtoi(values[1].value_or("0"));
        appendStatusEntry(folders_.status, senderId, number, values[2].value_or(defaultStatus));
    }
}

void Status::publishToLan() {
    LDatFile settingsFile(folders_.settingsFile);
    if (!settingsFile.readFlag("settings", "lancheck", false)) return;
    // An unset LAN folder is skipped rather than taken as the root folder.
    const std::string lan = stripFolderSetting(settingsFile.readText("settings", "lanfolder", ""));
    if (lan.empty()) return;
    deleteStatusFiles(lan + "/");
    for (FolderIterator it(folders_.status + "*.sta"); it.valid(); it.next()) {
        if (!it.isDirectory()) copyIntoFolder(it.path(), lan + "/", it.name(), ExistingName::Replace);
    }
}

void Status::rebuild() {
    if (folders_.settingsFile.empty()) folders_ = BGLoad::foldersFromSettings();
    deleteStatusFiles(folders_.status);
    appendFolder(folders_.current, "List");
    appendFolder(folders_.done, "Done");
    publishToLan();
    LDatFile(folders_.settingsFile, kSettingsFileMode).writeFlag("settings", "ftpstatusupload", true);
}

Status& statusThread() {
    static Status instance;
    return instance;
}

}  // namespace typix
