#pragma once
// The process-wide Settings object: the data paths formed at start-up and the
// settings file "settings.ini" in the data folder, section "settings".
//
// Nothing is cached: every getter reads its key from the file at that moment
// and every setter writes it at once, so a change made by one window or thread
// is seen by the next read anywhere.  A missing file, section or key reads as
// the key's default (SettingKeys.cpp).  The file is created by the first write,
// readable by its owner only (it holds the FTP and SMTP passwords).
//
// Threads: the paths are set once by start-up before any worker runs and only
// read afterwards; the key accessors may be called from any thread.
#include <memory>
#include <string>

#include "app/Folders.h"
#include "app/SettingKeys.h"
#include "support/LDatFile.h"

namespace typix {

inline constexpr unsigned kSettingsFileMode = 0600;

class Settings {
public:
    Settings() = default;
    ~Settings();  // flushes the settings file
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    void setPaths(const FolderPaths& paths);
    const FolderPaths& paths() const { return paths_; }
    const std::string& programFolder() const { return paths_.programFolder; }
    const std::string& dataFolder() const { return paths_.dataFolder; }
    const std::string& settingsFile() const { return paths_.settingsFile; }
    const std::string& currentFiles() const { return paths_.currentFiles; }
    const std::string& doneFiles() const { return paths_.doneFiles; }
    const std::string& incomingFiles() const { return paths_.incomingFiles; }
    const std::string& statusFolder() const { return paths_.statusFolder; }

    // Generic access by key name (an unknown name reads 0, false or "" and
    // writes nothing).  Levels are signed decibels, -127 meaning off.
    int readInt(const std::string& key) const;
    bool readFlag(const std::string& key) const;
    int readLevel(const std::string& key) const;
    std::string readText(const std::string& key) const;
    bool writeInt(const std::string& key, int value);
    bool writeFlag(const std::string& key, bool value);
    bool writeLevel(const std::string& key, int level);
    bool writeText(const std::string& key, const std::string& value);

    // The value decoded as text: integers and levels in decimal, flags as
    // "true"/"false", text as is.
    std::string valueText(const SettingKey& key) const;
    // Parses `text` the same way and writes it with the key's encoding.  False
    // with `error` set when the text does not fit the encoding.
    bool setValueText(const SettingKey& key, const std::string& text, std::string* error);

    void flush() const;

    int soundOutDevice() const { return readInt("soundoutdevice"); }
    void setSoundOutDevice(int v) { writeInt("soundoutdevice", v); }
    std::string soundOutDeviceName() const { return readText("soundoutdevicename"); }
    void setSoundOutDeviceName(const std::string& v) { writeText("soundoutdevicename", v); }
    int soundOutVolume() const { return readLevel("soundoutvolume"); }
    void setSoundOutVolume(int v) { writeLevel("soundoutvolume", v); }
    int slowSpeed() const { return readInt("slowspeed"); }
    void setSlowSpeed(int v) { writeInt("slowspeed", v); }
    int fastSpeed() const { return readInt("fastspeed"); }
    void setFastSpeed(int v) { writeInt("fastspeed", v); }
    int backstep() const { return readInt("backstep"); }
    void setBackstep(int v) { writeInt("backstep", v); }
    int pedalType() const { return readInt("pedaltype"); }
    void setPedalType(int v) { writeInt("pedaltype", v); }
    bool hotKeys() const { return readFlag("hotkeys"); }
    void setHotKeys(bool v) { writeFlag("hotkeys", v); }
    bool emailCheck() const { return readFlag("emailcheck"); }
    void setEmailCheck(bool v) { writeFlag("emailcheck", v); }
    std::string emailAttachFolder() const { return readText("emailattachfolder"); }
    void setEmailAttachFolder(const std::string& v) { writeText("emailattachfolder", v); }
    bool lanCheck() const { return readFlag("lancheck"); }
    void setLanCheck(bool v) { writeFlag("lancheck", v); }
    std::string lanFolder() const { return readText("lanfolder"); }
    void setLanFolder(const std::string& v) { writeText("lanfolder", v); }
    bool ftpCheck() const { return readFlag("ftpcheck"); }
    void setFtpCheck(bool v) { writeFlag("ftpcheck", v); }
    std::string ftpServer() const { return readText("ftpserver"); }
    void setFtpServer(const std::string& v) { writeText("ftpserver", v); }
    std::string ftpUserName() const { return readText("ftpusername"); }
    void setFtpUserName(const std::string& v) { writeText("ftpusername", v); }
    std::string ftpPassword() const { return readText("ftppassword"); }
    void setFtpPassword(const std::string& v) { writeText("ftppassword", v); }
    std::string ftpDir() const { return readText("ftpdir"); }
    void setFtpDir(const std::string& v) { writeText("ftpdir", v); }
    int ftpInterval() const { return readInt("ftpinterval"); }
    void setFtpInterval(int v) { writeInt("ftpinterval", v); }
    bool ftpStatusUpload() const { return readFlag("ftpstatusupload"); }
    void setFtpStatusUpload(bool v) { writeFlag("ftpstatusupload", v); }
    std::string fileLoadDir() const { return readText("fileloaddir"); }
    void setFileLoadDir(const std::string& v) { writeText("fileloaddir", v); }
    std::string dispatchAttachDir() const { return readText("dispatchattachdir"); }
    void setDispatchAttachDir(const std::string& v) { writeText("dispatchattachdir", v); }
    std::string windowGeometry() const { return readText("windowgeometry"); }
    void setWindowGeometry(const std::string& v) { writeText("windowgeometry", v); }
    int padFontSize() const { return readInt("padfontsize"); }
    void setPadFontSize(int v) { writeInt("padfontsize", v); }
    int number() const { return readInt("number"); }
    void setNumber(int v) { writeInt("number", v); }
    int dockSoundIn() const { return readInt("docksoundin"); }
    void setDockSoundIn(int v) { writeInt("docksoundin", v); }
    std::string dockSoundInName() const { return readText("docksoundinname"); }
    void setDockSoundInName(const std::string& v) { writeText("docksoundinname", v); }
    int dockSoundInChan() const { return readInt("docksoundinchan"); }
    void setDockSoundInChan(int v) { writeInt("docksoundinchan", v); }
    int dockRecordVolume() const { return readLevel("dockrecordvolume"); }
    void setDockRecordVolume(int v) { writeLevel("dockrecordvolume", v); }
    int dockActivate() const { return readLevel("dockactivate"); }
    void setDockActivate(int v) { writeLevel("dockactivate", v); }
    std::string smtpServer() const { return readText("smtpserver"); }
    void setSmtpServer(const std::string& v) { writeText("smtpserver", v); }
    std::string smtpUser() const { return readText("smtpuser"); }
    void setSmtpUser(const std::string& v) { writeText("smtpuser", v); }
    std::string smtpPassword() const { return readText("smtppassword"); }
    void setSmtpPassword(const std::string& v) { writeText("smtppassword", v); }
    std::string smtpFrom() const { return readText("smtpfrom"); }
    void setSmtpFrom(const std::string& v) { writeText("smtpfrom", v); }
    // A CA bundle that verifies the SMTP server (a company's own CA); "" uses
    // the system's.
    bool clearVoice() const { return readFlag("clearvoice"); }
    void setClearVoice(bool v) { writeFlag("clearvoice", v); }
    std::string smtpCaFile() const { return readText("smtpcafile"); }
    // The SHA-256 fingerprint of an FTP server certificate the typist chose
    // to trust although it cannot be verified; "" for none.
    std::string ftpCertSha256() const { return readText("ftpcertsha256"); }
    void setFtpCertSha256(const std::string& v) { writeText("ftpcertsha256", v); }

private:
    LDatFile file() const { return LDatFile(paths_.settingsFile, kSettingsFileMode); }

    FolderPaths paths_;
};

// The one Settings object of the process.
Settings& settings();

}  // namespace typix
