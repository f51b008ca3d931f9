#pragma once
// The program's help: an HTML document bundled with the program, shown in a
// window of its own at a named place (the index, or a context anchor such as
// "context-101").  One window serves every request and is raised again.
#include <QString>
#include <QWidget>

class QTextBrowser;

namespace typix {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kIndex = "index";

    // The window of the process (made on first use).
    static HelpWindow& instance();
    // Shows the help at `anchor` ("index", or "context-<id>").
    static void showAt(const QString& anchor);
    static void showContext(int context);
    // The section anchor that shows `anchor` (a context maps to its section).
    static QString sectionOf(const QString& anchor);

    QTextBrowser* browser() const { return browser_; }
    QString currentAnchor() const { return anchor_; }

private:
    HelpWindow();
    QTextBrowser* browser_;
    QString anchor_;
};

}  // namespace typix
