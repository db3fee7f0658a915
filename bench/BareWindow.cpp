// The reference of the start-up benchmark: a Qt Widgets program that shows one empty
// main window and does nothing else.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("bare window"));
    window.show();
    return app.exec();
}
