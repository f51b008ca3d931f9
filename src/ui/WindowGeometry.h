#pragma once
// The main window's size and place: the frame can be resized and maximised,
// never below the size its controls need (the size it had when it could not
// be resized), and comes back where the typist left it.  The geometry is kept
// in the setting "windowgeometry" (the toolkit's own geometry record, base64)
// and written when the frame closes or the program quits.  A record that does
// not read leaves the frame at its natural size; one for a screen that is gone
// is moved back onto a screen by the toolkit.  Interface thread only.
#include <QObject>

class QWidget;

namespace typix {

class Settings;

class WindowGeometry : public QObject {
    Q_OBJECT
public:
    // Makes `frame` growable from its present size hint and restores the
    // stored geometry; the object is a child of `frame`.
    static WindowGeometry* attach(QWidget& frame, Settings& settings);

    void save();
    bool restore();

private:
    WindowGeometry(QWidget& frame, Settings& settings);
    bool eventFilter(QObject* watched, QEvent* event) override;

    QWidget& frame_;
    Settings& settings_;
};

}  // namespace typix
