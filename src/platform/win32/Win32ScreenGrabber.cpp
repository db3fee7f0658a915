#ifdef _WIN32

#include "platform/win32/Win32ScreenGrabber.h"

#include "platform/win32/Win32Windows.h"

#include <windows.h>

#include <cstring>

namespace qm {

ScreenImage Win32ScreenGrabber::GrabGameOrScreen() {
    ScreenImage image;
    HWND game = FindGameWindow();  // null: the whole screen's DC
    HDC source = GetDC(game);
    if (source == nullptr) return image;

    // The size of the whole display, whatever the size of the game window.
    const int width = GetDeviceCaps(source, HORZRES);
    const int height = GetDeviceCaps(source, VERTRES);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    void* bits = nullptr;
    HDC canvas = CreateCompatibleDC(source);
    HBITMAP bitmap =
        canvas ? CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    if (bitmap != nullptr && bits != nullptr && width > 0 && height > 0) {
        HGDIOBJ old = SelectObject(canvas, bitmap);
        if (BitBlt(canvas, 0, 0, width, height, source, 0, 0, SRCCOPY)) {
            GdiFlush();
            image.width = width;
            image.height = height;
            image.pixels.resize(static_cast<std::size_t>(width) * height);
            std::memcpy(image.pixels.data(), bits, image.pixels.size() * sizeof(uint32_t));
            for (uint32_t& pixel : image.pixels) pixel |= 0xff000000u;  // BGRA bytes, opaque
        }
        SelectObject(canvas, old);
    }
    if (bitmap) DeleteObject(bitmap);
    if (canvas) DeleteDC(canvas);
    ReleaseDC(game, source);
    return image;
}

}  // namespace qm

#endif  // _WIN32
