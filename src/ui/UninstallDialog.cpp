#include "ui/UninstallDialog.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QThread>

#include <cstdlib>
#include <cstring>

#include "app/UninstallSession.h"
#include "ui/LicenceDialog.h"

namespace typix {

UninstallDialog::UninstallDialog(InstallLocations at, UninstallStage stage, std::string selfFile)
    : InstallDialog(std::move(at), InstallSource{}), stage_(stage), selfFile_(std::move(selfFile)) {}

bool UninstallDialog::confirm() {
    if (assumeYes()) return true;
    QMessageBox box(QMessageBox::Critical, coreText(kUninstallCaption),
                    coreText(kUninstallQuestion), QMessageBox::Yes | QMessageBox::No,
                    window());
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool UninstallDialog::confirmDeleteDictations() {
    if (assumeYes()) {
        const char* remove = std::getenv("TYPIX_REMOVE_DICTATIONS");
        return remove && std::strcmp(remove, "1") == 0;
    }
    const QString text = coreText(kDeleteDictationsQuestion) +
                         QString::fromStdString(dataFolderList(locations().foldersIni));
    QMessageBox box(QMessageBox::Question, coreText(kUninstallCaption), text,
                    QMessageBox::Yes | QMessageBox::No, window());
    box.setObjectName(QStringLiteral("deleteDictations"));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

int UninstallDialog::work() {
    if (stage_ == UninstallStage::StartTemporaryCopy) {
        temporaryCopy_ = startTemporaryUninstaller(selfFile_);
        return temporaryCopy_.empty() ? 0 : 1;
    }
    if (cancelled()) return 0;
    // A short pause lets the uninstaller that started this copy end first.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 150) {
        pumpEvents();
        QThread::msleep(10);
    }
    if (!confirm()) return 0;
    const bool dictationsToo = confirmDeleteDictations();
    setStatus(0, tr("Removing Korvel Typix"));
    removeInstallation(locations(), selfFile_, dictationsToo);
    setProgress(100);
    return 1;
}

}  // namespace typix
