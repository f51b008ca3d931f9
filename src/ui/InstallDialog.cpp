#include "ui/InstallDialog.h"

#include <QBuffer>
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>
#include <string_view>

#include "app/UninstallSession.h"
#include "app/Version.h"
#include "ui/LicenceDialog.h"

static void initInstallResources() { Q_INIT_RESOURCE(InstallResources); }

namespace typix {

namespace {

// The fixed texts of the installation core that the dialogs show, named here
// for the translation tools (the core itself holds them in English only).
constexpr const char* kCoreTexts[] = {
    QT_TRANSLATE_NOOP("typix::InstallDialog", "Installing Korvel Typix"),
    QT_TRANSLATE_NOOP("typix::InstallDialog", "Install Error"),
    QT_TRANSLATE_NOOP("typix::InstallDialog",
                      "Installation file corrupt.\n\nA checksum error was detected in your "
                      "install file, please redownload file and install again."),
    QT_TRANSLATE_NOOP("typix::InstallDialog", "Uninstall Korvel Typix"),
    QT_TRANSLATE_NOOP("typix::InstallDialog",
                      "Are you sure you want to remove Korvel Typix from this computer?"),
    QT_TRANSLATE_NOOP("typix::InstallDialog",
                      "Also delete your dictations, typing and settings?\n\nOnly the files "
                      "Korvel Typix made in its data folders are deleted; anything else in them "
                      "stays. Choose No to keep them for a later installation.\n\nData folders:"),
};
static_assert(std::string_view(kCoreTexts[0]) == kInstallHeading);
static_assert(std::string_view(kCoreTexts[1]) == kInstallErrorCaption);
static_assert(std::string_view(kCoreTexts[2]) == kChecksumErrorText);
static_assert(std::string_view(kCoreTexts[3]) == kUninstallCaption);
static_assert(std::string_view(kCoreTexts[4]) == kUninstallQuestion);
static_assert(std::string_view(kCoreTexts[5]) == kDeleteDictationsQuestion);

// The banner under the progress bar: the product and version, then the maker.
QString banner() {
    return QStringLiteral("TYPIX v %1\nBrennick").arg(QString::fromLatin1(kProgramVersion));
}
}  // namespace

InstallDialog::InstallDialog(InstallLocations at, InstallSource source)
    : LProgressDialog(coreText(kInstallHeading), banner()),
      at_(std::move(at)),
      source_(std::move(source)) {}

QByteArray InstallDialog::iconSvg() {
    initInstallResources();
    QFile file(QStringLiteral(":/typix/install/com.korvel.Typix.svg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::vector<std::pair<int, std::string>> InstallDialog::iconPngs() {
    std::vector<std::pair<int, std::string>> pngs;
    QSvgRenderer renderer(iconSvg());
    if (!renderer.isValid()) return pngs;
    for (int size : kIconSizes) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, size, size));
        painter.end();
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (image.save(&buffer, "PNG")) pngs.emplace_back(size, png.toStdString());
    }
    return pngs;
}

QString InstallDialog::coreText(const std::string& text) {
    return QCoreApplication::translate("typix::InstallDialog", text.c_str());
}

int InstallDialog::work() {
    report_ = runInstallation(at_, source_, *this);
    return report_.outcome == InstallOutcome::Installed ? 1 : 0;
}

void InstallDialog::setHeading(const std::string& text) {
    setStatus(0, coreText(text));
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
    QMessageBox::warning(window(), coreText(caption), coreText(text));
}

}  // namespace typix
