#include "ui/LDBEdit.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "support/LDatFile.h"

namespace typix {

namespace {
const QColor kGreen(0, 128, 0);
const QColor kRed(192, 0, 0);
const QColor kGrey(128, 128, 128);
const QColor kThumb(192, 192, 192);
constexpr int kThumbMargin = 3;  // the repaint reaches past the 2-pixel thumb and its lines
// A line edit keeps 2 pixels each side of its text and one for the cursor;
// one more pixel keeps the rounding of fractional advances from scrolling.
constexpr int kLineEditPadding = 2 * 2 + 1 + 1;
}  // namespace

LDBEdit::LDBEdit(QWidget* parent) : QWidget(parent), text_(new QLineEdit(this)) {
    text_->setObjectName(QStringLiteral("LDBEdit.text"));
    text_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    text_->setFrame(false);
    text_->setMaxLength(6);
    text_->setTextMargins(0, 0, 1, 0);
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(text_);
    connect(text_, &QLineEdit::textEdited, this, &LDBEdit::onTextEdited);
    measureText();
    showValue();
}

void LDBEdit::measureText() {
    // The field inherits the control's font.
    QFontMetrics metrics(font());
    int widest = std::max(metrics.horizontalAdvance(QStringLiteral("-127dB")),
                          metrics.horizontalAdvance(QStringLiteral("--dB")));
    QMargins margins = text_->textMargins();
    textWidth_ = widest + margins.left() + margins.right() + kLineEditPadding;
    setMinimumSize(textWidth_ + 16, 14);
    placeTextField();
    updateGeometry();
}

void LDBEdit::setMaximum(int level) {
    maximum_ = static_cast<int8_t>(level);
    update();
}

void LDBEdit::setMinimum(int level) {
    minimum_ = static_cast<int8_t>(level);
    update();
}

void LDBEdit::setValue(int level) {
    int clamped = std::clamp(level, std::min<int>(minimum_, maximum_), int(maximum_));
    if (clamped == value_) return;
    int oldX = positionOf(value_);
    value_ = static_cast<int8_t>(clamped);
    int newX = positionOf(value_);
    int left = barLeft() + std::min(oldX, newX) - kThumbMargin;
    int right = barLeft() + std::max(oldX, newX) + kThumbMargin;
    update(QRect(left, 0, right - left + 1, height()));
}

void LDBEdit::showValue() {
    text_->setText(value_ < -126 ? QStringLiteral("--dB") : QStringLiteral("%1dB").arg(int(value_)));
}

void LDBEdit::setDrawsEdge(bool on) {
    drawsEdge_ = on;
    placeTextField();
    update();
}

int LDBEdit::barLeft() const { return textWidth_ + (drawsEdge_ ? 1 : 0); }

int LDBEdit::barWidth() const {
    int edge = drawsEdge_ ? 1 : 0;
    return std::max(1, width() - textWidth_ - 2 * edge);
}

// p = (value - minimum) * w / f with the span f at least 1.
int LDBEdit::positionOf(int level) const {
    int span = maximum_ - minimum_;
    if (span <= 0) span = 1;
    return (level - minimum_) * barWidth() / span;
}

int LDBEdit::valueAtX(int x) const {
    int a = std::max(0, x - textWidth_);
    int w = barWidth();
    return minimum_ + std::min(a, w) * (maximum_ - minimum_) / w;
}

QSize LDBEdit::sizeHint() const {
    return QSize(textWidth_ + 64, std::max(16, text_->sizeHint().height() - 4));
}

void LDBEdit::placeTextField() {
    int edge = drawsEdge_ ? 1 : 0;
    text_->setGeometry(edge, edge, textWidth_, height() - 2 * edge);
}

void LDBEdit::resizeEvent(QResizeEvent*) { placeTextField(); }

void LDBEdit::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    int edge = drawsEdge_ ? 1 : 0;
    int top = edge;
    int h = height() - 2 * edge;
    int left = barLeft();
    int w = barWidth();
    int span = std::max(1, maximum_ - minimum_);
    int p = positionOf(value_);
    int z = w * (-minimum_) / span;
    bool on = isEnabled();

    int greenEnd = std::clamp(std::min(p, z), 0, w);
    painter.fillRect(left, top, greenEnd, h, on ? kGreen : kGrey);
    int redEnd = greenEnd;
    if (value_ >= 0) {
        redEnd = std::clamp(p, greenEnd, w);
        painter.fillRect(left + greenEnd, top, redEnd - greenEnd, h, on ? kRed : kGrey);
    }
    painter.fillRect(left + redEnd, top, w - redEnd, h, on ? QColor(Qt::black) : kGrey);

    int thumb = p - 1;
    if (thumb > w - 3) thumb = w - 3;
    QRect t(left + thumb, top, 2, h);
    painter.fillRect(t, kThumb);
    painter.setPen(Qt::white);
    painter.drawLine(t.topLeft(), t.bottomLeft());
    painter.drawLine(t.topLeft(), t.topRight());
    painter.setPen(Qt::black);
    painter.drawLine(t.topRight(), t.bottomRight());
    painter.drawLine(t.bottomLeft(), t.bottomRight());

    if (drawsEdge_) {
        QRect r = rect().adjusted(0, 0, -1, -1);
        painter.setPen(Qt::black);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(Qt::white);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    }
}

void LDBEdit::setFromMouse(int x) {
    setValue(valueAtX(x));
    showValue();
    emit changed();
}

void LDBEdit::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    int x = event->position().toPoint().x();
    if (x < textWidth_ + (drawsEdge_ ? 1 : 0)) {
        // The text area only takes the focus; the value stays.
        text_->setFocus(Qt::MouseFocusReason);
        return;
    }
    dragging_ = true;
    setFromMouse(x);
}

void LDBEdit::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) setFromMouse(event->position().toPoint().x());
}

void LDBEdit::mouseReleaseEvent(QMouseEvent*) {
    if (!dragging_) return;
    dragging_ = false;
    emit dragFinished();
}

void LDBEdit::onTextEdited(const QString& text) {
    // The level reading keeps every digit and minus sign, so "--dB" is off.
    setValue(parseLevel(text.left(6).toStdString()));
    emit changed();
}

void LDBEdit::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    text_->setFocus(event->reason());
    text_->selectAll();
}

void LDBEdit::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        text_->setEnabled(isEnabled());
        update();
    }
    if (event->type() == QEvent::FontChange) {
        measureText();
        update();
    }
    QWidget::changeEvent(event);
}

}  // namespace typix
