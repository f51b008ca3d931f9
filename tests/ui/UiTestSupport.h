#pragma once
// Shared helpers for the window tests: one QApplication for the whole test
// program (offscreen platform), and synthetic mouse and key input.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace typix::uitest {

inline QApplication& app() {
    static int argc = 1;
    static char name[] = "typix_test_ui";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
    return *static_cast<QApplication*>(QApplication::instance());
}

// Put first among a fixture's members so the application exists before any widget.
struct AppGuard {
    AppGuard() { app(); }
};

inline void mouse(QWidget* w, QEvent::Type type, QPoint at,
                  Qt::MouseButton button = Qt::LeftButton) {
    Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

inline void press(QWidget* w, QPoint at) { mouse(w, QEvent::MouseButtonPress, at); }
inline void release(QWidget* w, QPoint at) { mouse(w, QEvent::MouseButtonRelease, at); }

// Types text as key presses, as a user would.
inline void type(QWidget* w, const QString& text) {
    for (QChar c : text) {
        QKeyEvent down(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &down);
        QKeyEvent up(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &up);
    }
}

inline void key(QWidget* w, int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent down(QEvent::KeyPress, k, mods);
    QApplication::sendEvent(w, &down);
    QKeyEvent up(QEvent::KeyRelease, k, mods);
    QApplication::sendEvent(w, &up);
}

}  // namespace typix::uitest
