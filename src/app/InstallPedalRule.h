#pragma once
// The udev rule that lets the user at the seat read USB transcription foot
// pedals (their input event devices get the "uaccess" tag).  Placing it needs
// the rights to write the system's rules folder; without them the help
// document explains how to put it in place by hand.
#include <string>

namespace typix {

enum class PedalRuleResult { Placed, NoRights, Failed };

// The rule file's text.
std::string pedalRuleText();

// Writes the rule into `rulesFolder` when that folder exists and is writable,
// then asks udev to reload its rules when the folder is the system's.
PedalRuleResult placePedalRule(const std::string& rulesFolder);

}  // namespace typix
