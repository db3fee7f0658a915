#include "capture/CaptureEngine.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "settings/ToolPreferences.h"
#include "storage/Paths.h"
#include "storage/Utf.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

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

std::u16string Reason(std::error_code ec) {
    if (ec == std::errc::permission_denied || ec == std::errc::operation_not_permitted ||
        ec == std::errc::read_only_file_system)
        return u"書き込みが許可されていません";
    if (ec == std::errc::no_space_on_device) return u"ディスクの空き容量が足りません";
    if (ec == std::errc::not_a_directory || ec == std::errc::no_such_file_or_directory)
        return u"フォルダが見つかりません";
    if (ec == std::errc::file_exists) return u"同じ名前のファイルがあります";
    return Utf8ToUtf16(ec.message());
}

std::u16string Failure(std::u16string_view what, std::u16string_view path, std::error_code ec) {
    std::u16string text(what);
    text += path;
    text += u" (" + Reason(ec) + u")";
    return text;
}

// Creates the file only when no file (nor link) of that name exists. Nothing when taken,
// the error when the name cannot be created for another reason.
std::error_code CreateNew(const std::filesystem::path& path, bool& taken) {
    taken = false;
#ifdef _WIN32
    const int fd =
        ::_wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd >= 0) {
        ::_close(fd);
        return {};
    }
#else
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd >= 0) {
        ::close(fd);
        return {};
    }
#endif
    const int err = errno;
    if (err == EEXIST) {
        taken = true;
        return {};
    }
    return std::error_code(err, std::generic_category());
}

// Claims the first free name among base + ext, base_2 + ext, base_3 + ext, ...
std::u16string ClaimFreeName(std::u16string_view base, std::u16string_view ext,
                             std::error_code& ec) {
    constexpr int kMostTries = 10000;
    for (int n = 1; n <= kMostTries; ++n) {
        std::u16string name(base);
        if (n > 1) name += u"_" + Utf8ToUtf16(std::to_string(n));
        name += ext;
        bool taken = false;
        ec = CreateNew(PathFromText(name), taken);
        if (ec) return name;
        if (!taken) return name;
    }
    ec = std::make_error_code(std::errc::file_exists);
    return std::u16string(base) + std::u16string(ext);
}

}  // namespace

std::u16string CaptureNameProblem(std::u16string_view name) {
    if (name.empty()) return u"ファイル名を入力してください。";
    for (char16_t c : name) {
        if (c == u'/' || c == u'\\')
            return u"ファイル名にフォルダの区切り（/ や \\）は使えません。";
        if (c == u':') return u"ファイル名に「:」は使えません。";
        if (c < 0x20 || std::u16string_view(u"<>\"|?*").find(c) != std::u16string_view::npos)
            return u"ファイル名に「" + std::u16string(1, c < 0x20 ? u'?' : c) +
                   u"」は使えません（< > \" | ? * と制御文字は使えません）。";
    }
    if (name.back() == u'.' || name.back() == u' ')
        return u"ファイル名の最後に「.」や空白は使えません。";
    // Windows keeps these names for devices, with any extension.
    std::u16string stem(name.substr(0, name.find(u'.')));
    while (!stem.empty() && stem.back() == u' ') stem.pop_back();
    for (char16_t& c : stem)
        if (c >= u'a' && c <= u'z') c = char16_t(c - 0x20);
    static constexpr std::u16string_view kDevices[] = {u"CON", u"PRN", u"AUX", u"NUL"};
    bool device = std::find(std::begin(kDevices), std::end(kDevices), stem) != std::end(kDevices);
    if (stem.size() == 4 && (stem.starts_with(u"COM") || stem.starts_with(u"LPT")) &&
        stem[3] >= u'1' && stem[3] <= u'9')
        device = true;
    if (device)
        return u"「" + std::u16string(name) +
               u"」は Windows が機器の名前に使うため、ファイル名にできません。";
    return {};
}

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
    const std::u16string_view ext = jpeg ? u".jpg" : u".bmp";
    ShotResult result;
    result.file.assign(basePath);
    result.file += ext;

    const ScreenImage image = screen.GrabGameOrScreen();
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * image.height) {
        result.error = u"画面を取り込めませんでした。";
        return result;
    }

    // A fixed name that is no plain file name would make folders or fail oddly.
    if (prefs.LockCaptureName != 0) {
        if (std::u16string problem = CaptureNameProblem(prefs.CaptureName); !problem.empty()) {
            result.error = u"スクリーンショットを保存できませんでした: " + problem;
            return result;
        }
    }

    // A fresh profile has no pictures folder yet.
    const std::filesystem::path folder = PathFromText(result.file).parent_path();
    std::error_code ec;
    if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
        std::filesystem::create_directories(folder, ec);
        if (ec) {
            result.error = Failure(u"スクリーンショットの保存先フォルダを作れませんでした: ",
                                   TextFromPath(folder), ec);
            return result;
        }
    }

    const bool claimName = prefs.LockCaptureName == 0;
    if (claimName) {
        result.file = ClaimFreeName(basePath, ext, ec);
        if (ec) {
            result.error = Failure(u"スクリーンショットを保存できませんでした: ", result.file, ec);
            return result;
        }
    }

    std::u16string error;
    result.ok =
        writer.WriteImage(image, result.file, jpeg ? ImageFileFormat::Jpeg : ImageFileFormat::Bmp,
                          ClampJpegQuality(prefs.JpegQuality), &error);
    if (!result.ok) {
        // The claimed name is still the empty file created for it.
        if (claimName) std::filesystem::remove(PathFromText(result.file), ec);
        result.error =
            error.empty() ? u"スクリーンショットを保存できませんでした: " + result.file : error;
    }
    return result;
}

}  // namespace qm
