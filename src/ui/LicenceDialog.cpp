#include "ui/LicenceDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdlib>
#include <cstring>

namespace typix {

bool assumeYes() {
    const char* value = std::getenv("TYPIX_ASSUME_YES");
    return value && std::strcmp(value, "1") == 0;
}

QString LicenceDialog::termsText() {
    return tr("Korvel Typix licence terms\n\n"
              "1. You may install and use Korvel Typix on the computers of your business, "
              "for as many users as your licence names.\n\n"
              "2. You may copy the setup file to install the program and keep one copy for "
              "safe keeping. You may not sell, rent or lend the program, and you may not take "
              "it apart beyond what the law allows.\n\n"
              "3. Dictations, typing and settings are yours; the program keeps them in your "
              "own folders and sends them only where you tell it to.\n\n"
              "4. The program is provided as it is. Korvel is not liable for lost work or "
              "other loss arising from its use, except where the law says otherwise.\n\n"
              "Choose \"I Agree\" to install Korvel Typix, or \"I Do Not Agree\" to leave "
              "without installing anything.");
}

LicenceDialog::LicenceDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("LicenceTermsDlg"));
    setWindowTitle(tr("Licence Terms"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Please read the licence terms:"), this));
    auto* terms = new QPlainTextEdit(termsText(), this);
    terms->setReadOnly(true);
    terms->setMinimumSize(420, 260);
    layout->addWidget(terms);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* agree = buttons->addButton(tr("I Agree"), QDialogButtonBox::AcceptRole);
    agree->setObjectName(QStringLiteral("agree"));
    buttons->addButton(tr("I Do Not Agree"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("disagree"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    agree->setDefault(true);
}

bool LicenceDialog::ask(QWidget* parent) {
    if (assumeYes()) return true;
    LicenceDialog dialog(parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace typix
