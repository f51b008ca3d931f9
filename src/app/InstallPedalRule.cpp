#include "app/InstallPedalRule.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "app/InstallDesktopEntries.h"
#include "app/InstallLocations.h"
#include "app/InstallSystemTools.h"

namespace typix {

std::string pedalRuleText() {
    return "# USB transcription foot pedals: the user at the seat may read their input\n"
           "# devices, so that Korvel Typix can follow the pedal without root rights.\n"
           "# VEC/Infinity IN-USB-1 and IN-USB-2 pedals and the pedals built on them.\n"
           "ACTION==\"add|change\", SUBSYSTEM==\"input\", KERNEL==\"event*\", "
           "ATTRS{idVendor}==\"05f3\", ATTRS{idProduct}==\"00ff\", TAG+=\"uaccess\"\n";
}

PedalRuleResult placePedalRule(const std::string& rulesFolder) {
    std::error_code error;
    if (!std::filesystem::is_directory(rulesFolder, error) ||
        ::access(rulesFolder.c_str(), W_OK) != 0)
        return PedalRuleResult::NoRights;
    if (!writeTextFile(rulesFolder + "/" + kPedalRuleName, pedalRuleText()))
        return PedalRuleResult::Failed;
    if (rulesFolder == "/etc/udev/rules.d") {
        runToolIfPresent("udevadm", {"control", "--reload-rules"});
        runToolIfPresent("udevadm", {"trigger", "--subsystem-match=input", "--action=change"});
    }
    return PedalRuleResult::Placed;
}

}  // namespace typix
