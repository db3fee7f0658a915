#include "app/WindowStyle.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>

#include "platform/QtImages.h"

namespace qm {

namespace {

// Fusion, but with the arrow of the menu bar's overflow button read as PNG. Every menu
// bar asks for that arrow when it is made; Fusion reads it through QIcon, which lets Qt
// load every image format plugin (JPEG, TIFF, WebP ... with their libraries) to guess
// the format. Before the window is first shown that is wasted time; the same files read
// as PNG give the same icon.
class WindowStyle : public QProxyStyle {
  public:
    WindowStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option,
                       const QWidget* widget) const override {
        if (icon != SP_ToolBarHorizontalExtensionButton)
            return QProxyStyle::standardIcon(icon, option, widget);
        const Qt::LayoutDirection direction =
            option ? option->direction : QGuiApplication::layoutDirection();
        const QString name =
            QStringLiteral(":/qt-project.org/styles/commonstyle/images/toolbar-ext-h-") +
            (direction == Qt::RightToLeft ? QStringLiteral("rtl-%1.png")
                                          : QStringLiteral("%1.png"));
        QIcon arrow;
        for (int size : {8, 16, 32}) {
            const QImage image = ReadPng(name.arg(size));
            if (!image.isNull()) arrow.addPixmap(QPixmap::fromImage(image));
        }
        return arrow.isNull() ? QProxyStyle::standardIcon(icon, option, widget) : arrow;
    }
};

}  // namespace

QStyle* NewWindowStyle() {
    return new WindowStyle;
}

}  // namespace qm
