#include "platform/fake/FakeScreen.h"

namespace qm {

FakeScreenGrabber::FakeScreenGrabber(int width, int height, uint32_t colour) {
    if (width > 0 && height > 0) {
        image_.width = width;
        image_.height = height;
        image_.pixels.assign(static_cast<std::size_t>(width) * height, colour);
    }
}

ScreenImage FakeScreenGrabber::GrabGameOrScreen() {
    ++grabs_;
    return image_;
}

bool FakeImageWriter::WriteImage(const ScreenImage& image, std::u16string_view path,
                                 ImageFileFormat format, int quality, Reason* error) {
    Write write{std::u16string(path), format, quality, image.width, image.height};
    writes_.push_back(write);
    if (!failure_.empty()) {
        if (error)
            *error =
                Reason{.kind = ReasonKind::ShotNotSaved, .subject = write.path, .detail = failure_};
        return false;
    }
    files_[write.path] = write;
    return true;
}

}  // namespace qm
