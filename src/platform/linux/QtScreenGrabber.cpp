#include "platform/linux/QtScreenGrabber.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cstring>

#include "platform/linux/X11Windows.h"

namespace qm {

QtScreenGrabber::QtScreenGrabber(X11Windows* windows) : windows_(windows) {
    SetGameWindow(kGameWindowClass, kGameWindowTitle);
}

void QtScreenGrabber::SetGameWindow(std::string wmClass, std::u16string title) {
    finder_ = [wmClass = std::move(wmClass), title = std::move(title)](X11Windows& windows) {
        std::optional<X11WindowId> game = windows.FindByClass(wmClass);
        return game ? game : windows.FindByTitle(title);
    };
}

ScreenImage QtScreenGrabber::GrabGameOrScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return {};
    const QImage whole = screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    if (whole.isNull()) return {};

    QImage block = whole;
    if (windows_ != nullptr) {
        std::optional<X11WindowId> game = finder_ ? finder_(*windows_) : std::nullopt;
        const std::optional<X11Geometry> where =
            game ? windows_->ClientGeometry(*game) : std::nullopt;
        if (where) {
            // X coordinates are device pixels of the whole display; the grab is of this screen.
            const qreal ratio = screen->devicePixelRatio();
            const QPoint screenOrigin = screen->geometry().topLeft() * ratio;
            const QPoint origin = QPoint(where->x, where->y) - screenOrigin;
            // Areas outside the screen come out as zero: black.
            block = whole.copy(QRect(origin, whole.size()));
        }
    }

    ScreenImage image;
    image.width = block.width();
    image.height = block.height();
    image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
    for (int y = 0; y < image.height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(block.constScanLine(y));
        std::memcpy(image.pixels.data() + static_cast<std::size_t>(y) * image.width, row,
                    sizeof(uint32_t) * static_cast<std::size_t>(image.width));
    }
    for (uint32_t& pixel : image.pixels) pixel |= 0xff000000u;
    return image;
}

}  // namespace qm
