#include "ui/TimeMarks.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>
#include <climits>

#include "sound/TimeUnits.h"
#include "ui/MainDialog.h"

namespace typix {

namespace {

// Minutes and seconds are two digits below 60, so "[0:75:00.0]" is no mark.
const QRegularExpression& markPattern() {
    static const QRegularExpression pattern(
        QStringLiteral("\\[(\\d{1,5}):([0-5]\\d):([0-5]\\d)\\.(\\d)\\]"));
    return pattern;
}

}  // namespace

QString timeMarkText(int32_t time) {
    // The position text leads with a sign character (a blank for these).
    const std::string text = formatTime(std::max(time, 0));
    return QLatin1Char('[') + QString::fromStdString(text).trimmed() + QLatin1Char(']');
}

std::optional<int32_t> timeMarkAt(const QString& line, int column) {
    QRegularExpressionMatchIterator it = markPattern().globalMatch(line);
    while (it.hasNext()) {
        QRegularExpressionMatch m = it.next();
        if (column <= m.capturedStart() || column > m.capturedEnd()) continue;
        const int64_t tenths = ((m.captured(1).toLongLong() * 60 + m.captured(2).toInt()) * 60 +
                                m.captured(3).toInt()) * 10 + m.captured(4).toInt();
        // A mark past what the time unit holds (about 59 hours) is no mark.
        if (tenths * 1000 > INT32_MAX) return std::nullopt;
        return int32_t(tenths * 1000);
    }
    return std::nullopt;
}

TimeMarks::TimeMarks(MainDialog& dialog)
    : QObject(&dialog), dialog_(dialog), pad_(dialog.typingPad()) {
    setObjectName(QStringLiteral("TimeMarks"));
    pad_->installEventFilter(this);
    pad_->viewport()->installEventFilter(this);
}

TimeMarks* TimeMarks::of(const MainDialog& dialog) {
    return dialog.findChild<TimeMarks*>(QStringLiteral("TimeMarks"), Qt::FindDirectChildrenOnly);
}

void TimeMarks::insertMark() {
    if (!dialog_.hasDictation() || pad_->isReadOnly()) return;
    pad_->textCursor().insertText(timeMarkText(dialog_.position()));
}

bool TimeMarks::seekToMarkAtCursor() { return seekToMarkAt(pad_->textCursor().position()); }

bool TimeMarks::seekToMarkAt(int documentPosition) {
    if (!dialog_.hasDictation()) return false;
    const QTextBlock block = pad_->document()->findBlock(documentPosition);
    if (!block.isValid()) return false;
    std::optional<int32_t> time = timeMarkAt(block.text(), documentPosition - block.position());
    if (!time) return false;
    dialog_.seek(*time);
    return true;
}

bool TimeMarks::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pad_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::ControlModifier && key->key() == Qt::Key_T) {
            insertMark();
            return true;
        }
        if (key->modifiers() == Qt::ControlModifier && key->key() == Qt::Key_G) {
            seekToMarkAtCursor();
            return true;
        }
    }
    if (watched == pad_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        // The click lands between two characters; the mark may be on either side.
        const int at = pad_->cursorForPosition(mouse->position().toPoint()).position();
        if (seekToMarkAt(at) || seekToMarkAt(at + 1)) return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace typix
