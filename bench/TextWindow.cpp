// The second reference of the start-up benchmark: what any window like the editor's
// must do, short of the editor's own work. A main window of the editor's size with a
// menu, one Japanese label in the editor's CJK font and a status line, Qt's Japanese
// texts, and Qt's folder picker opened once the window is drawn, as the editor opens
// it at start-up. The bare window draws no text and opens no font at all.
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyleFactory>
#include <QTimer>
#include <QTranslator>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QTranslator translator;
    if (translator.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&translator);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("Noto Sans CJK JP")});
    QApplication::setFont(font);

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("text window"));
    window.menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    window.setCentralWidget(new QLabel(QStringLiteral("マクロ　タイトル")));
    window.statusBar()->showMessage(QStringLiteral("フォルダ"));
    window.resize(708, 453);
    window.show();
    QTimer::singleShot(0, &window, [&window] {
        QFileDialog::getExistingDirectory(&window, QStringLiteral("フォルダを選択してください"),
                                          QString(), QFileDialog::ShowDirsOnly);
    });
    return app.exec();
}
