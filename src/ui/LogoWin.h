#pragma once
// The picture shown for a few seconds at start: the logo (340 by 198 pixels)
// with the product name, version and maker lines under it.  Its size is the
// picture's width + 4 by its height + 88, centred on the screen.  A left click
// closes it; the main window closes it after 7 seconds or at its own clean-up.
#include <QWidget>

namespace typix {

class LogoWin : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPictureWidth = 340;
    static constexpr int kPictureHeight = 198;

    explicit LogoWin(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace typix
