// The typix program: start-up chooses the mode from the executable's name.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow frame;
    frame.setWindowTitle(QStringLiteral("Korvel Typix"));
    frame.show();
    return app.exec();
}
