#include "ui/InstallDialog.h"

#include <QDialog>
#include <QFile>
#include <QMessageBox>

#include <cstdio>

#include "ui/LicenceDialog.h"

static void initInstallResources() { Q_INIT_RESOURCE(InstallResources); }

namespace typix {

namespace {
// The banner under the progress bar: the product and version, then the maker.
constexpr const char* kBanner = "TYPIX v 2.02\nBrennick";
}  // namespace

InstallDialog::InstallDialog(InstallLocations at, InstallSource source)
    : LProgressDialog(QString::fromLatin1(kInstallHeading), QString::fromLatin1(kBanner)),
      at_(std::move(at)),
      source_(std::move(source)) {}

QByteArray InstallDialog::iconSvg() {
    initInstallResources();
    QFile file(QStringLiteral(":/typix/install/com.korvel.Typix.svg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int InstallDialog::work() {
    report_ = runInstallation(at_, source_, *this);
    return report_.outcome == InstallOutcome::Installed ? 1 : 0;
}

void InstallDialog::setHeading(const std::string& text) {
    setStatus(0, QString::fromStdString(text));
    pumpEvents();
}

void InstallDialog::setStep(const std::string& text) {
    setStatus(1, QString::fromStdString(text));
    pumpEvents();
}

bool InstallDialog::agreeToLicence() { return LicenceDialog::ask(window()); }

bool InstallDialog::chunkCopied(int percent) {
    setProgress(percent);
    pumpEvents();
    return !cancelled();
}

void InstallDialog::showError(const std::string& caption, const std::string& text) {
    if (assumeYes()) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return;
    }
    QMessageBox::warning(window(), QString::fromStdString(caption), QString::fromStdString(text));
}

}  // namespace typix
