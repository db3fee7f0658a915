// クイルモア: the editor's entry point. Builds the real platform services, runs the
// start-up steps and the window.

#include <QApplication>
#include <QTimer>

#include "app/MainWindow.h"
#include "app/RealPlatform.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillmor"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quillmor/icon.png")));

    qm::RealPlatform real;
    qm::wMenu window(real.platform);
    real.SetOwner(&window);
    if (!window.Form_Load()) return 0;  // another copy runs and was brought forward
    window.show();
    QTimer::singleShot(0, &window, [&window] { window.FinishStartup(); });
    return app.exec();
}
