#pragma once
// "Check Now" in the settings: logs in to the FTP host with the given
// settings and changes to the remote folder, to tell the typist at once
// whether the check can work, whether the session is encrypted, and, for a
// certificate that cannot be verified, its fingerprint to trust.  Blocks
// (up to the session's time-outs); run it off the interface thread.
#include <functional>
#include <string>

namespace typix {

struct FtpProbeSettings {
    std::string server, user, password, directory;
    std::string trustedFingerprint;  // "ftpcertsha256"
};

struct FtpProbeResult {
    bool ok = false;
    bool encrypted = false;
    bool certificateProblem = false;  // fingerprint names the certificate
    std::string fingerprint;
    std::string error;  // for the user, when !ok
};

FtpProbeResult probeFtp(const FtpProbeSettings& settings, const std::function<bool()>& stop);

}  // namespace typix
