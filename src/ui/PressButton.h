#pragma once
// A push button that reports both the press and the release of the left mouse
// button, so that a scan lasts exactly as long as the button is held.  Each
// hold gives exactly one pressReport(0, id) and one pressReport(1, id), even
// when the mouse leaves the button before the release.  The normal button
// behaviour (look, clicked()) follows.  Interface thread only.
#include <QPushButton>

namespace typix {

class PressButton : public QPushButton {
    Q_OBJECT
public:
    static constexpr int kPressed = 0;
    static constexpr int kReleased = 1;

    explicit PressButton(int controlId, QWidget* parent = nullptr);
    int controlId() const { return controlId_; }
    bool isHeld() const { return held_; }

signals:
    // state: kPressed or kReleased.
    void pressReport(int state, int controlId);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void endHold();

    int controlId_;
    bool held_ = false;
};

}  // namespace typix
