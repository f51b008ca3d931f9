#include "transfer/FtpProbe.h"

#include "transfer/FileTransfer.h"

namespace typix {

FtpProbeResult probeFtp(const FtpProbeSettings& settings, const std::function<bool()>& stop) {
    FtpProbeResult result;
    FileTransfer ftp;
    ftp.setStopPredicate(stop);
    ftp.setTrustedFingerprint(settings.trustedFingerprint);
    if (!ftp.open()) {
        result.error = "the FTP library could not be started";
        return result;
    }
    result.ok = ftp.connect(settings.server, settings.user, settings.password) &&
                ftp.setDirectory(settings.directory);
    result.encrypted = ftp.isEncrypted();
    result.certificateProblem = !result.ok && ftp.lastFailureIsCertificate();
    result.fingerprint = ftp.peerFingerprint();
    if (!result.ok) {
        result.error = ftp.lastError().empty() ? "the FTP host cannot be reached" : ftp.lastError();
        if (ftp.isConnected()) result.error = "the folder \"" + settings.directory + "\" cannot be opened: " + result.error;
    }
    return result;
}

}  // namespace typix
