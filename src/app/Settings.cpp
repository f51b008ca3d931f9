#include "app/Settings.h"

#include <strings.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace typix {

namespace {

const char* section() { return kSettingsSection; }

int defaultNumber(const std::string& key) {
    const SettingKey* entry = findSettingKey(key);
    return entry ? entry->defaultNumber : 0;
}

std::string defaultText(const std::string& key) {
    const SettingKey* entry = findSettingKey(key);
    return entry ? entry->defaultText : "";
}

// Whole-text decimal integer in [low, high]; false for anything else.
bool parseDecimal(const std::string& text, long low, long high, int* value) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return false;
    *value = static_cast<int>(parsed);
    return true;
}

bool reportWrite(bool written, const std::string& path, std::string* error) {
    if (!written) *error = "could not write " + path;
    return written;
}

}  // namespace

Settings::~Settings() { flush(); }

void Settings::setPaths(const FolderPaths& paths) { paths_ = paths; }

int Settings::readInt(const std::string& key) const {
    return file().readInt(section(), key, defaultNumber(key));
}

bool Settings::readFlag(const std::string& key) const {
    return file().readFlag(section(), key, defaultNumber(key) != 0);
}

int Settings::readLevel(const std::string& key) const {
    return file().readLevel(section(), key, defaultNumber(key));
}

std::string Settings::readText(const std::string& key) const {
    return file().readText(section(), key, defaultText(key));
}

bool Settings::writeInt(const std::string& key, int value) {
    return file().writeInt(section(), key, value);
}

bool Settings::writeFlag(const std::string& key, bool value) {
    return file().writeFlag(section(), key, value);
}

bool Settings::writeLevel(const std::string& key, int level) {
    return file().writeLevel(section(), key, level);
}

bool Settings::writeText(const std::string& key, const std::string& value) {
    return file().writeText(section(), key, value);
}

std::string Settings::valueText(const SettingKey& key) const {
    switch (key.encoding) {
        case SettingEncoding::Integer: return std::to_string(readInt(key.name));
        case SettingEncoding::Flag: return readFlag(key.name) ? "true" : "false";
        case SettingEncoding::Level: return std::to_string(readLevel(key.name));
        case SettingEncoding::Text: break;
    }
    return readText(key.name);
}

bool Settings::setValueText(const SettingKey& key, const std::string& text, std::string* error) {
    int number = 0;
    switch (key.encoding) {
        case SettingEncoding::Integer:
            if (!parseDecimal(text, INT_MIN, INT_MAX, &number)) {
                *error = "'" + text + "' is not a whole number";
                return false;
            }
            return reportWrite(writeInt(key.name, number), settingsFile(), error);
        case SettingEncoding::Level:
            if (!parseDecimal(text, -128, 127, &number)) {
                *error = "'" + text + "' is not a level in decibels from -128 to 127 (-127 is off)";
                return false;
            }
            return reportWrite(writeLevel(key.name, number), settingsFile(), error);
        case SettingEncoding::Flag:
            if (strcasecmp(text.c_str(), "true") != 0 && strcasecmp(text.c_str(), "false") != 0) {
                *error = "'" + text + "' is neither true nor false";
                return false;
            }
            return reportWrite(writeFlag(key.name, strcasecmp(text.c_str(), "true") == 0), settingsFile(), error);
        case SettingEncoding::Text: break;
    }
    if (text.find_first_of("\r\n") != std::string::npos) {
        *error = "the value holds a line break";
        return false;
    }
    if (text.size() > 259) {
        *error = "the value is longer than 259 characters";
        return false;
    }
    return reportWrite(writeText(key.name, text), settingsFile(), error);
}

void Settings::flush() const {
    if (!paths_.settingsFile.empty()) file().flush();
}

Settings& settings() {
    static Settings instance;
    return instance;
}

}  // namespace typix
