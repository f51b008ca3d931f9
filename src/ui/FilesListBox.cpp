#include "ui/FilesListBox.h"

#include <QMouseEvent>

#include "store/TypingFile.h"
#include "ui/CommandIds.h"

namespace typix {

namespace {
constexpr int kBaseNameRole = Qt::UserRole + 1;

// Text for display: a name that is not valid UTF-8 came from an 8-bit
// sender or share and is shown as Windows-1252, as typing files are read;
// the entry itself keeps the exact bytes.
QString shown(const std::string& bytes) {
    const std::string utf8 = isValidUtf8(bytes) ? bytes : windows1252ToUtf8(bytes);
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}
}  // namespace

FilesListBox::FilesListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Every entry is one line of text: the list lays out thousands of them
    // without measuring each one.
    setUniformItemSizes(true);
}

std::span<const CommandMenuItem> FilesListBox::menuItems() {
    static const CommandMenuItem items[] = {
        {QT_TRANSLATE_NOOP("typix::MainDialog", "&Load Dictation File\tF3"), cmd::kLoadFile},
        {QT_TRANSLATE_NOOP("typix::MainDialog",
            "&Dispatch (Reply with Typing)\tCtrl+D"), cmd::kDispatch},
        {QT_TRANSLATE_NOOP("typix::MainDialog", "Do&ne (No reply)\tCtrl+N"), cmd::kDone},
        {QT_TRANSLATE_NOOP("typix::MainDialog", "&Delete\tCtrl+Del"), cmd::kDelete},
        {QT_TRANSLATE_NOOP("typix::MainDialog", "Recover &Old Files\tCtrl+O"), cmd::kRecover},
    };
    return items;
}

QListWidgetItem* FilesListBox::addEntry(QListWidget* list, const std::string& text,
                                        const std::string& base) {
    auto* item = new QListWidgetItem(shown(text));
    item->setData(kBaseNameRole, QByteArray(base.data(), qsizetype(base.size())));
    list->addItem(item);
    return item;
}

std::string FilesListBox::baseOf(const QListWidgetItem* item) {
    return item ? item->data(kBaseNameRole).toByteArray().toStdString() : std::string();
}

int FilesListBox::rowOf(const QListWidget* list, const std::string& base) {
    for (int row = 0; row < list->count(); ++row)
        if (baseOf(list->item(row)) == base) return row;
    return -1;
}

void FilesListBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        // The entry under the mouse is selected (and loaded) before the menu.
        if (QListWidgetItem* item = itemAt(event->position().toPoint())) setCurrentItem(item);
        event->accept();
        return;
    }
    QListWidget::mousePressEvent(event);
}

}  // namespace typix
