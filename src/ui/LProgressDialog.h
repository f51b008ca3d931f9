#pragma once
// A modeless progress dialog in which a long operation runs on the interface
// thread: two status lines, a progress bar, a text and a Cancel button.
//
// run() shows the dialog, disables the parent, lets pending events through
// once, then calls work() and returns its result.  work() keeps the dialog
// responsive by calling pumpEvents() now and then; Cancel destroys the dialog,
// which work() sees as cancelled() and should answer by returning.  A second
// run() while one runs returns 0 at once.  Interface thread only.
#include <QCoreApplication>
#include <QPointer>
#include <QString>

class QDialog;
class QEvent;
class QLabel;
class QProgressBar;
class QWidget;

namespace typix {

class LProgressDialog {
    Q_DECLARE_TR_FUNCTIONS(typix::LProgressDialog)

public:
    static constexpr int kTitleMax = 47;
    static constexpr int kTextMax = 79;

    LProgressDialog(const QString& title, const QString& text);
    virtual ~LProgressDialog();
    LProgressDialog(const LProgressDialog&) = delete;
    LProgressDialog& operator=(const LProgressDialog&) = delete;

    int run(QWidget* parent);
    bool isRunning() const { return running_; }

    // The dialog while it exists (null before run() and after Cancel).
    QDialog* window() const;
    bool cancelled() const;

    // For work(): status line 0 or 1, progress 0..100, event pumping.
    void setStatus(int line, const QString& text);
    void setProgress(int percent);
    void pumpEvents();

protected:
    // The operation; runs on the interface thread while the dialog shows.
    virtual int work() = 0;
    // Every other event of the dialog window; return true to consume it.
    virtual bool dialogEvent(QEvent* event);

private:
    class Window;
    void createWindow(QWidget* parent);

    QString title_;
    QString text_;
    bool running_ = false;
    bool cancelled_ = false;
    QPointer<QDialog> dialog_;
    QLabel* status_[2] = {nullptr, nullptr};
    QProgressBar* bar_ = nullptr;
};

}  // namespace typix
