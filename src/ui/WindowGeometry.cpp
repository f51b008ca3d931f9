#include "ui/WindowGeometry.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include "app/Settings.h"

namespace typix {

WindowGeometry::WindowGeometry(QWidget& frame, Settings& settings)
    : QObject(&frame), frame_(frame), settings_(settings) {
    setObjectName(QStringLiteral("WindowGeometry"));
}

WindowGeometry* WindowGeometry::attach(QWidget& frame, Settings& settings) {
    auto* geometry = new WindowGeometry(frame, settings);
    // The style's margins and metrics count only once the widgets are polished.
    frame.ensurePolished();
    const QSize natural = frame.sizeHint();
    frame.setMinimumSize(natural);
    frame.resize(natural);
    geometry->restore();
    frame.installEventFilter(geometry);
    connect(qApp, &QCoreApplication::aboutToQuit, geometry, &WindowGeometry::save);
    return geometry;
}

void WindowGeometry::save() {
    settings_.setWindowGeometry(frame_.saveGeometry().toBase64().toStdString());
}

bool WindowGeometry::restore() {
    const std::string stored = settings_.windowGeometry();
    if (stored.empty()) return false;
    return frame_.restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(stored)));
}

bool WindowGeometry::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &frame_ && event->type() == QEvent::Close) save();
    return QObject::eventFilter(watched, event);
}

}  // namespace typix
