#include "app/SettingKeys.h"

#include <strings.h>

namespace typix {

const std::vector<SettingKey>& settingKeys() {
    using E = SettingEncoding;
    static const std::vector<SettingKey> keys = {
        {"soundoutdevice", E::Integer, 0, ""},
        // The chosen devices by name as well (the ALSA PCM), so a card added
        // or removed does not change which device plays or records.
        {"soundoutdevicename", E::Text, 0, ""},
        {"soundoutvolume", E::Level, 0, ""},
        {"slowspeed", E::Integer, 50, ""},
        {"fastspeed", E::Integer, 150, ""},
        // Milliseconds heard again when playback starts from stopped.
        {"backstep", E::Integer, 0, ""},
        {"pedaltype", E::Integer, 0, ""},
        {"hotkeys", E::Flag, 1, ""},
        {"emailcheck", E::Flag, 0, ""},
        {"emailattachfolder", E::Text, 0, ""},
        {"lancheck", E::Flag, 0, ""},
        {"lanfolder", E::Text, 0, ""},
        {"ftpcheck", E::Flag, 0, ""},
        {"ftpserver", E::Text, 0, ""},
        {"ftpusername", E::Text, 0, ""},
        {"ftppassword", E::Text, 0, ""},
        {"ftpdir", E::Text, 0, ""},
        {"ftpinterval", E::Integer, 0, ""},
        {"ftpstatusupload", E::Flag, 1, ""},
        {"fileloaddir", E::Text, 0, ""},
        {"dispatchattachdir", E::Text, 0, ""},
        // The main window's size and place (the toolkit's record, base64) and
        // the typing pad's font size in points, 0 for the window's own.
        {"windowgeometry", E::Text, 0, ""},
        {"padfontsize", E::Integer, 0, ""},
        {"number", E::Integer, 1, ""},
        {"docksoundin", E::Integer, 0, ""},
        {"docksoundinname", E::Text, 0, ""},
        {"docksoundinchan", E::Integer, -2, ""},
        {"dockrecordvolume", E::Level, 0, ""},
        {"dockactivate", E::Level, -15, ""},
        // The mail transport: an SMTP server when set, else the system's
        // sendmail-compatible program.
        {"smtpserver", E::Text, 0, ""},
        {"smtpuser", E::Text, 0, ""},
        {"smtppassword", E::Text, 0, ""},
        {"smtpfrom", E::Text, 0, ""},
        // The certificates to trust for the SMTP server instead of the
        // system's (a PEM file), for a server with its own authority.
        {"smtpcafile", E::Text, 0, ""},
        // Playback through the clear-voice stage (rumble removed, loud and
        // quiet passages evened out).
        {"clearvoice", E::Flag, 0, ""},
    };
    return keys;
}

const SettingKey* findSettingKey(const std::string& name) {
    for (const SettingKey& key : settingKeys()) {
        if (strcasecmp(key.name, name.c_str()) == 0) return &key;
    }
    return nullptr;
}

}  // namespace typix
