#pragma once
// A decibel slider with a text field at its left end, as wide as the widest
// reading ("-127dB", "--dB") in the control's font, so the sign always shows.
//
// The value, maximum and minimum are signed bytes in whole decibels; -127 (and
// anything below -126) means "off" and reads "--dB".  The owner sets the range
// after construction; setValue() clamps into it.  The bar right of the text
// field shows the level in green up to 0 dB, red above, black for the rest,
// with a small light grey thumb.  A press on the bar (and a drag while the
// button is held) sets the value from the x position; typing in the text field
// sets it from the text.  Both emit changed() after the value was stored.
// Interface thread only.
#include <QWidget>

class QLineEdit;

namespace typix {

class LDBEdit : public QWidget {
    Q_OBJECT
public:
    explicit LDBEdit(QWidget* parent = nullptr);

    int value() const { return value_; }
    int maximum() const { return maximum_; }
    int minimum() const { return minimum_; }
    void setMaximum(int level);
    void setMinimum(int level);

    // Clamps to minimum..maximum, stores, repaints the part of the bar that changed.
    void setValue(int level);
    // Writes the value into the text field ("--dB" below -126, else "%ddB").
    void showValue();

    // Draw the control's own one-pixel 3-D edge, content inside it.
    void setDrawsEdge(bool on);
    bool drawsEdge() const { return drawsEdge_; }

    QLineEdit* textField() const { return text_; }
    // Width of the text field in the current font.
    int textWidth() const { return textWidth_; }
    // Width of the bar area right of the text field (at least 1).
    int barWidth() const;
    // The value the bar would take for a press at x (control coordinates).
    int valueAtX(int x) const;
    // Whether the mouse button is held on the bar (changes keep coming).
    bool isDragging() const { return dragging_; }

    QSize sizeHint() const override;

signals:
    // A change made by the user: mouse or typing.
    void changed();
    // The mouse button that set the value from the bar was released.
    void dragFinished();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void onTextEdited(const QString& text);
    void setFromMouse(int x);
    int barLeft() const;
    int positionOf(int level) const;
    void placeTextField();
    void measureText();

    QLineEdit* text_;
    int textWidth_ = 0;
    int8_t value_ = 0;
    int8_t maximum_ = 12;
    int8_t minimum_ = -36;
    bool drawsEdge_ = false;
    bool dragging_ = false;
};

}  // namespace typix
