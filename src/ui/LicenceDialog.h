#pragma once
// The licence terms shown before anything is installed: "I Agree" or
// "I Do Not Agree".  With TYPIX_ASSUME_YES=1 in the environment the terms
// count as accepted without showing the dialog (unattended installs, tests).
#include <QDialog>

namespace typix {

class LicenceDialog : public QDialog {
    Q_OBJECT
public:
    explicit LicenceDialog(QWidget* parent = nullptr);

    static QString termsText();
    // Shows the dialog modally; true only when the user agreed.
    static bool ask(QWidget* parent);
};

// True when TYPIX_ASSUME_YES=1: the install and removal dialogs then answer
// their questions with yes and report errors on standard error, not in a box.
bool assumeYes();

}  // namespace typix
