#include "ui/HelpWindow.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/UiResources.h"

namespace typix {

HelpWindow::HelpWindow() : QWidget(nullptr, Qt::Window), browser_(new QTextBrowser(this)) {
    initUiResources();
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(tr("Korvel Typix Help"));
    setAttribute(Qt::WA_QuitOnClose, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    browser_->setOpenExternalLinks(true);
    browser_->setSource(QUrl(QStringLiteral("qrc:/typix/help/typix-help.html")));
    resize(fontMetrics().averageCharWidth() * 90, fontMetrics().height() * 40);
}

HelpWindow& HelpWindow::instance() {
    static HelpWindow* window = new HelpWindow;
    return *window;
}

void HelpWindow::showAt(const QString& anchor) {
    HelpWindow& w = instance();
    w.anchor_ = anchor;
    w.browser_->scrollToAnchor(sectionOf(anchor));
    w.show();
    w.raise();
    w.activateWindow();
}

// The help contexts other windows ask for, and the sections that answer them.
QString HelpWindow::sectionOf(const QString& anchor) {
    if (anchor == QLatin1String("context-101")) return QStringLiteral("settings");
    if (anchor == QLatin1String("context-103")) return QStringLiteral("dictaphone");
    return anchor;
}

void HelpWindow::showContext(int context) { showAt(QStringLiteral("context-%1").arg(context)); }

}  // namespace typix
