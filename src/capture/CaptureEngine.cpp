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

Reason Failure(ReasonKind kind, std::u16string_view path, std::error_code ec) {
    return Reason{.kind = kind, .cause = ec, .subject = std::u16string(path)};
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

Reason CaptureNameProblem(std::u16string_view name) {
    auto fault = [](CaptureNameFault f, std::u16string subject = {}) {
        return Reason{.kind = ReasonKind::CaptureNameUnusable,
                      .subject = std::move(subject),
                      .number = int64_t(f)};
    };
    if (name.empty()) return fault(CaptureNameFault::Empty);
    for (char16_t c : name) {
        if (c == u'/' || c == u'\\') return fault(CaptureNameFault::Separator);
        if (c == u':') return fault(CaptureNameFault::Colon);
        if (c < 0x20 || std::u16string_view(u"<>\"|?*").find(c) != std::u16string_view::npos)
            return fault(CaptureNameFault::Character, std::u16string(1, c < 0x20 ? u'?' : c));
    }
    if (name.back() == u'.' || name.back() == u' ') return fault(CaptureNameFault::BadEnd);
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
    if (device) return fault(CaptureNameFault::DeviceName, std::u16string(name));
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
        result.error = Reason{.kind = ReasonKind::ScreenNotGrabbed};
        return result;
    }

    // A fixed name that is no plain file name would make folders or fail oddly.
    if (prefs.LockCaptureName != 0) {
        if (Reason problem = CaptureNameProblem(prefs.CaptureName)) {
            problem.kind = ReasonKind::ShotNameUnusable;
            result.error = std::move(problem);
            return result;
        }
    }

    // A fresh profile has no pictures folder yet.
    const std::filesystem::path folder = PathFromText(result.file).parent_path();
    std::error_code ec;
    if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
        std::filesystem::create_directories(folder, ec);
        if (ec) {
            result.error = Failure(ReasonKind::ShotFolder, TextFromPath(folder), ec);
            return result;
        }
    }

    const bool claimName = prefs.LockCaptureName == 0;
    if (claimName) {
        result.file = ClaimFreeName(basePath, ext, ec);
        if (ec) {
            result.error = Failure(ReasonKind::ShotNotSaved, result.file, ec);
            return result;
        }
    }

    Reason error;
    result.ok =
        writer.WriteImage(image, result.file, jpeg ? ImageFileFormat::Jpeg : ImageFileFormat::Bmp,
                          ClampJpegQuality(prefs.JpegQuality), &error);
    if (!result.ok) {
        // The claimed name is still the empty file created for it.
        if (claimName) std::filesystem::remove(PathFromText(result.file), ec);
        result.error = error ? error : Failure(ReasonKind::ShotNotSaved, result.file, {});
    }
    return result;
}

}  // namespace qm
