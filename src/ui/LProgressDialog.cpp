#include "ui/LProgressDialog.h"

#include <QApplication>
#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>

namespace typix {

// The dialog window hands its events to the owner first.
class LProgressDialog::Window : public QDialog {
public:
    Window(LProgressDialog* owner, QWidget* parent) : QDialog(parent), owner_(owner) {}

protected:
    bool event(QEvent* e) override { return owner_->dialogEvent(e) || QDialog::event(e); }
    // Cancel hides the dialog at once; run() destroys it when the work returns.
    void reject() override {
        owner_->cancelled_ = true;
        hide();
    }

private:
    LProgressDialog* owner_;
};

LProgressDialog::LProgressDialog(const QString& title, const QString& text)
    : title_(title.left(kTitleMax)), text_(text.left(kTextMax)) {}

LProgressDialog::~LProgressDialog() { delete dialog_.data(); }

bool LProgressDialog::dialogEvent(QEvent*) { return false; }

QDialog* LProgressDialog::window() const { return cancelled() ? nullptr : dialog_.data(); }

bool LProgressDialog::cancelled() const { return cancelled_ || dialog_.isNull(); }

void LProgressDialog::createWindow(QWidget* parent) {
    // No parent: disabling the parent must not disable the dialog with it.
    auto* dialog = new Window(this, nullptr);
    if (parent) dialog->move(parent->geometry().center() - QPoint(150, 50));
    dialog->setObjectName(QStringLiteral("LPROGRESSDIALOG"));
    dialog->setWindowTitle(title_);
    auto* grid = new QGridLayout(dialog);
    auto* icon = new QLabel(dialog);
    icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    grid->addWidget(icon, 0, 0, 2, 1);
    for (int i = 0; i < 2; ++i) {
        status_[i] = new QLabel(dialog);
        status_[i]->setObjectName(QString::number(100 + i));
        status_[i]->setMinimumWidth(260);
        grid->addWidget(status_[i], i, 1, 1, 2);
    }
    bar_ = new QProgressBar(dialog);
    bar_->setObjectName(QStringLiteral("102"));
    bar_->setRange(0, 100);
    bar_->setValue(0);
    grid->addWidget(bar_, 2, 0, 1, 3);
    auto* text = new QLabel(text_, dialog);
    text->setObjectName(QStringLiteral("103"));
    text->setWordWrap(true);
    grid->addWidget(text, 3, 0, 1, 2);
    auto* cancel = new QPushButton(tr("Cancel"), dialog);
    cancel->setObjectName(QStringLiteral("2"));
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    grid->addWidget(cancel, 3, 2);
    dialog_ = dialog;
}

int LProgressDialog::run(QWidget* parent) {
    if (running_) return 0;
    running_ = true;
    cancelled_ = false;
    createWindow(parent);
    dialog_->show();
    if (parent) parent->setEnabled(false);
    QApplication::processEvents();
    int result = 0;
    if (!cancelled()) result = work();
    delete dialog_.data();
    if (parent) {
        parent->setEnabled(true);
        parent->setFocus();
    }
    running_ = false;
    return result;
}

void LProgressDialog::setStatus(int line, const QString& text) {
    if (!cancelled() && (line == 0 || line == 1)) status_[line]->setText(text);
}

void LProgressDialog::setProgress(int percent) {
    if (!cancelled()) bar_->setValue(percent);
}

void LProgressDialog::pumpEvents() { QApplication::processEvents(); }

}  // namespace typix
