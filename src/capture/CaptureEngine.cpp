#include "capture/CaptureEngine.h"

#include <algorithm>

#include "storage/Paths.h"
#include "settings/ToolPreferences.h"

namespace qm {

namespace {

void AppendTwoDigits(std::u16string& out, int value) {
    value = std::clamp(value, 0, 99);
    out.push_back(static_cast<char16_t>(u'0' + value / 10));
    out.push_back(static_cast<char16_t>(u'0' + value % 10));
}

void AppendFourDigits(std::u16string& out, int value) {
    value = std::clamp(value, 0, 9999);
    AppendTwoDigits(out, value / 100);
    AppendTwoDigits(out, value % 100);
}

}  // namespace

std::u16string CaptureBasePath(const ToolPreferences& prefs, const LocalDateTime& now) {
    std::u16string path = prefs.CapturePath;
    path += PathSeparator();
    if (prefs.LockCaptureName != 0) {
        path += prefs.CaptureName;
        return path;
    }
    AppendTwoDigits(path, now.month);
    AppendTwoDigits(path, now.day);
    AppendFourDigits(path, now.year);
    AppendTwoDigits(path, now.hour);
    AppendTwoDigits(path, now.minute);
    AppendTwoDigits(path, now.second);
    return path;
}

int ClampJpegQuality(int quality) {
    return std::clamp(quality, 10, 100);
}

ShotResult TakeScreenshot(std::u16string_view basePath, const ToolPreferences& prefs,
                          IScreenGrabber& screen, IImageWriter& writer) {
    const bool jpeg = prefs.SaveAsJpeg != 0;
    ShotResult result;
    result.file.assign(basePath);
    result.file += jpeg ? u".jpg" : u".bmp";

    const ScreenImage image = screen.GrabGameOrScreen();
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * image.height) {
        result.error = u"画面を取り込めませんでした。";
        return result;
    }
    std::u16string error;
    result.ok =
        writer.WriteImage(image, result.file, jpeg ? ImageFileFormat::Jpeg : ImageFileFormat::Bmp,
                          ClampJpegQuality(prefs.JpegQuality), &error);
    if (!result.ok) {
        result.error =
            error.empty() ? u"スクリーンショットを保存できませんでした: " + result.file : error;
    }
    return result;
}

}  // namespace qm
