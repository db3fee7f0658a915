// クイルモア: the editor's entry point. Builds the real platform services, runs the
// start-up steps and the window.

#include <QApplication>
#include <QStyleFactory>
#include <QTimer>

#include <cstring>

#include "app/MainWindow.h"
#include "app/RealPlatform.h"
#include "platform/linux/XrandrDisplayProbe.h"

int main(int argc, char* argv[]) {
    // The editor's own helper for the bump-mapping question (see RealPlatform).
    if (argc == 2 && std::strcmp(argv[1], qm::kVertexShaderProbeOption) == 0) {
        QGuiApplication helper(argc, argv);
        return qm::PrintVertexShaderVersion();
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillmor"));
    // Fusion draws button and box colours from the palette on every desktop, which the
    // set and macro highlights rely on.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quillmor/icon.png")));

    qm::RealPlatform real;
    qm::wMenu window(real.platform);
    real.SetOwner(&window);
    if (!window.Form_Load()) return 0;  // another copy runs and was brought forward
    window.show();
    QTimer::singleShot(0, &window, [&window] { window.FinishStartup(); });
    return app.exec();
}
