#pragma once
// Every key of the settings file's section "settings", with its encoding and
// default.  The table is the one place that knows the defaults; the typed
// accessors of Settings and `typixctl settings` both read it.
#include <string>
#include <vector>

namespace typix {

inline constexpr const char* kSettingsSection = "settings";

enum class SettingEncoding {
    Integer,  // decimal text, read by atoi rules
    Flag,     // "true" / "false"
    Level,    // decibels as "%ddB", "--dB" for off (-127)
    Text,     // as is, at most 259 characters
};

struct SettingKey {
    const char* name;
    SettingEncoding encoding;
    int defaultNumber;        // integers, levels, flags (0 or 1)
    const char* defaultText;  // text keys
};

const std::vector<SettingKey>& settingKeys();

// The key named `name` (letter case ignored), or null for an unknown name.
const SettingKey* findSettingKey(const std::string& name);

}  // namespace typix
