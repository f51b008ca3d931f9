#pragma once
// The installer's work, from the licence to starting the installed program,
// for a front end that shows it (the progress dialog) or answers for a test.
// Runs on one thread; the front end keeps its window responsive in
// chunkCopied() and tells whether the user cancelled.
//
// Order: licence; installation folder and the four data folders with
// folders.ini (values already set are kept, only missing ones are written;
// folders the installer makes are private to the user, 0700); copy of the program and the help document out of the setup
// file with the checksum; then the finishing steps: link in ~/.local/bin, menu
// entries and desktop launcher (which run that link when it is the
// installation's own, as a path with blanks defeats simple launchers), the uninstaller copy, the uninstall record (only
// when new), the .dct MIME type with the program as its default, the icons
// (SVG and PNGs),
// stale sibling launchers removed, desktop caches refreshed, the pedal rule
// where allowed, and the installed program started (not when TYPIX_NO_LAUNCH=1).
// Cancelling stops before the copy or after any 4096-byte chunk; what was done
// until then stays.
#include <string>
#include <utility>
#include <vector>

#include "app/InstallLocations.h"
#include "app/InstallPedalRule.h"

namespace typix {

inline constexpr const char* kInstallHeading = "Installing Korvel Typix";
inline constexpr const char* kInstallErrorCaption = "Install Error";
inline constexpr const char* kChecksumErrorText =
    "Installation file corrupt.\n\nA checksum error was detected in your install file, please "
    "redownload file and install again.";

class InstallFrontEnd {
public:
    virtual ~InstallFrontEnd() = default;
    virtual void setHeading(const std::string& text) = 0;
    virtual void setStep(const std::string& text) = 0;
    // The licence terms; true only when the user agreed.
    virtual bool agreeToLicence() = 0;
    // Progress 0..100 after a chunk; false when the user cancelled.
    virtual bool chunkCopied(int percent) = 0;
    virtual bool userCancelled() = 0;
    virtual void showError(const std::string& caption, const std::string& text) = 0;
};

enum class InstallOutcome {
    Installed,
    LicenceRefused,
    Cancelled,
    ChecksumError,
    CannotReadSetup,
    CannotWrite,
};

struct InstallReport {
    InstallOutcome outcome = InstallOutcome::Cancelled;
    bool uninstallRecordWritten = false;
    bool launcherWritten = false;
    int staleLaunchersRemoved = 0;
    PedalRuleResult pedalRule = PedalRuleResult::NoRights;
    bool programStarted = false;
};

struct InstallSource {
    std::string setupFile;  // the setup file's own image
    std::string iconSvg;    // the program's icon, installed for the menu and the MIME type
    // The icon as PNG images by edge in pixels (kIconSizes), for desktops and
    // tools that do not draw SVG icons.
    std::vector<std::pair<int, std::string>> iconPngs;
};

// Writes "ProgramFiles" (the installation folder) to folders.ini, and
// "DataFiles" (the installation folder too) unless it is set already, and
// creates the installation folder.  Both installer and
// uninstaller do this before their dialog runs.
bool prepareInstallFolder(const InstallLocations& at);

InstallReport runInstallation(const InstallLocations& at, const InstallSource& source,
                              InstallFrontEnd& frontEnd);

}  // namespace typix
