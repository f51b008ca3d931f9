#pragma once
// The installer's progress dialog: "Installing Korvel Typix", the heading and
// the current step, the copy's progress, and Cancel, which stops after the
// current 4096-byte chunk.  The work itself is runInstallation() of the core;
// this dialog shows it, asks the licence terms and reports errors in message
// boxes (on standard error with TYPIX_ASSUME_YES=1).  Interface thread only.
#include <QCoreApplication>
#include "app/InstallLocations.h"
#include "app/InstallSession.h"
#include "ui/LProgressDialog.h"

namespace typix {

class InstallDialog : public LProgressDialog, protected InstallFrontEnd {
    Q_DECLARE_TR_FUNCTIONS(typix::InstallDialog)

public:
    InstallDialog(InstallLocations at, InstallSource source);

    const InstallReport& report() const { return report_; }

    // The program's icon (SVG) from the bundled resources.
    static QByteArray iconSvg();
    // A fixed text of the installation core (heading, captions, questions) in
    // the user's language; texts made at run time come back as they are.
    static QString coreText(const std::string& text);

    // The same icon drawn as PNG images at every size of kIconSizes.
    static std::vector<std::pair<int, std::string>> iconPngs();

protected:
    int work() override;

    void setHeading(const std::string& text) override;
    void setStep(const std::string& text) override;
    bool agreeToLicence() override;
    bool chunkCopied(int percent) override;
    bool userCancelled() override { return cancelled(); }
    void showError(const std::string& caption, const std::string& text) override;

    const InstallLocations& locations() const { return at_; }

private:
    InstallLocations at_;
    InstallSource source_;
    InstallReport report_;
};

}  // namespace typix
