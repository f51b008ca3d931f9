#pragma once
// The uninstaller's progress dialog.  Started without an argument (the copy
// in the installation folder) it copies the program to the temporary folder,
// starts that copy with "/uninstall" and ends; started with an argument (the
// temporary copy) it waits 150 ms, asks "Are you sure you want to remove
// Korvel Typix from this computer?", then separately whether the dictations go
// too (default No), and removes the installation (see UninstallSession.h).
// TYPIX_ASSUME_YES=1 answers yes to the first question and takes the second
// one's default, No, unless TYPIX_REMOVE_DICTATIONS=1.  Interface thread only.
#include <QCoreApplication>
#include <string>

#include "ui/InstallDialog.h"

namespace typix {

enum class UninstallStage { StartTemporaryCopy, Remove };

class UninstallDialog : public InstallDialog {
    Q_DECLARE_TR_FUNCTIONS(typix::UninstallDialog)

public:
    UninstallDialog(InstallLocations at, UninstallStage stage, std::string selfFile);

    // The temporary copy that was started (first stage), else empty.
    const std::string& temporaryCopy() const { return temporaryCopy_; }

protected:
    int work() override;

private:
    bool confirm();
    bool confirmDeleteDictations();

    UninstallStage stage_;
    std::string selfFile_;
    std::string temporaryCopy_;
};

}  // namespace typix
