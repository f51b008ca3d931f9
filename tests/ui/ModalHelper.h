#pragma once
// Answers a modal dialog or message box from inside its own event loop, as a
// user at the screen would: once a modal widget of type T is up, `act` runs
// with it.  Scheduled before the call that opens the dialog.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <functional>

namespace typix::uitest {

template <typename T>
void whenModal(std::function<void(T*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(w);
        }
    });
    timer->start();
}

// The same for a pop-up menu.
inline void whenPopup(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (QWidget* w = QApplication::activePopupWidget()) {
            timer->stop();
            timer->deleteLater();
            act(w);
        }
    });
    timer->start();
}

// Closes the next message box, keeping its caption and text.
inline void closeNextMessageBox(QString& caption, QString& text) {
    whenModal<QMessageBox>([&caption, &text](QMessageBox* box) {
        caption = box->windowTitle();
        text = box->text();
        box->accept();
    });
}

}  // namespace typix::uitest
