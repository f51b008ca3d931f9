#include "ui/InstallEntry.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QThread>

#include <filesystem>
#include <system_error>

#include "app/InstallLocations.h"
#include "app/InstallSession.h"
#include "ui/InstallDialog.h"
#include "ui/SingleInstance.h"
#include "ui/Translations.h"
#include "ui/UninstallDialog.h"

namespace typix {

namespace {

std::string runningExecutable() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : self.string();
}

int install(const InstallLocations& at) {
    InstallSource source;
    source.setupFile = "/proc/self/exe";
    source.iconSvg = InstallDialog::iconSvg().toStdString();
    source.iconPngs = InstallDialog::iconPngs();
    InstallDialog dialog(at, source);
    dialog.run(nullptr);
    switch (dialog.report().outcome) {
        case InstallOutcome::ChecksumError:
        case InstallOutcome::CannotReadSetup:
        case InstallOutcome::CannotWrite: return 1;
        default: return 0;
    }
}

int uninstall(const InstallLocations& at, bool isTemporaryCopy) {
    UninstallDialog dialog(at,
                           isTemporaryCopy ? UninstallStage::Remove : UninstallStage::StartTemporaryCopy,
                           runningExecutable());
    const int done = dialog.run(nullptr);
    return isTemporaryCopy || done ? 0 : 1;
}

}  // namespace

int runInstallMode(int argc, char** argv, StartMode mode) {
    QApplication app(argc, argv);
    installTranslations(&app);
    QApplication::setApplicationName(QStringLiteral("Korvel Typix"));
    QPixmap icon;
    icon.loadFromData(InstallDialog::iconSvg(), "SVG");
    if (!icon.isNull()) QApplication::setWindowIcon(QIcon(icon));
    // A running program is asked to close first, so that its typing is saved
    // and its files are free to be replaced or removed.
    if (SingleInstance::requestClose())
        QThread::msleep(mode == StartMode::Install ? 2000 : 1500);
    const InstallLocations at = userInstallLocations();
    prepareInstallFolder(at);
    if (mode == StartMode::Install) return install(at);
    return uninstall(at, argc > 1);
}

}  // namespace typix
