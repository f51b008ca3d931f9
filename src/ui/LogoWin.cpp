#include "ui/LogoWin.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>

#include "app/Version.h"
#include "ui/UiResources.h"

namespace typix {

LogoWin::LogoWin(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    initUiResources();
    setObjectName(QStringLiteral("LogoWin"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFixedSize(kPictureWidth + 4, kPictureHeight + 88);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
}

void LogoWin::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    QSvgRenderer logo(QStringLiteral(":/typix/logo.svg"));
    logo.render(&p, QRectF(2, 2, kPictureWidth, kPictureHeight));

    QRect text(6, kPictureHeight + 6, kPictureWidth - 8, 78);
    QFont name(QStringLiteral("Sans Serif"));
    name.setPixelSize(16);
    name.setBold(true);
    p.setFont(name);
    p.setPen(palette().windowText().color());
    p.drawText(text, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Korvel Typix"));

    QFont body = font();
    p.setFont(body);
    QRect lines = text.adjusted(0, 22, 0, 0);
    p.drawText(lines, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               tr("Version %1 for Linux\nTranscription player for typists\n"
                  "Made by the Korvel Typix developers")
                   .arg(QString::fromLatin1(kProgramVersion)));
    // The same licence as the package's copyright file and the AppStream data.
    p.drawText(lines, Qt::AlignRight | Qt::AlignBottom, tr("Proprietary software"));
    p.setPen(Qt::darkGray);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void LogoWin::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) close();
}

}  // namespace typix
