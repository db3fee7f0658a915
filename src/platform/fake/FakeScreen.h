#pragma once
// A screen that yields a test's image, and an image writer that keeps what it was given
// instead of writing files.

#include <map>
#include <string>
#include <vector>

#include "platform/ImageWriter.h"
#include "platform/Interfaces.h"

namespace qm {

class FakeScreenGrabber : public IScreenGrabber {
  public:
    // A screen of the given size filled with one colour; 0 x 0 grabs nothing.
    explicit FakeScreenGrabber(int width = 1024, int height = 768, uint32_t colour = 0xff336699);

    ScreenImage GrabGameOrScreen() override;

    void SetImage(ScreenImage image) { image_ = std::move(image); }
    int GrabCount() const { return grabs_; }

  private:
    ScreenImage image_;
    int grabs_ = 0;
};

class FakeImageWriter : public IImageWriter {
  public:
    struct Write {
        std::u16string path;
        ImageFileFormat format = ImageFileFormat::Bmp;
        int quality = 0;
        int width = 0, height = 0;
    };

    bool WriteImage(const ScreenImage& image, std::u16string_view path, ImageFileFormat format,
                    int quality, Reason* error) override;

    // Every write attempted, in order, failed ones included.
    const std::vector<Write>& Writes() const { return writes_; }
    // The files as they stand: the last successful write of each path.
    const std::map<std::u16string, Write>& Files() const { return files_; }
    // Makes the following writes fail with this reason; an empty reason makes them succeed.
    void FailWith(std::u16string detail) { failure_ = std::move(detail); }  // the writer's text

  private:
    std::vector<Write> writes_;
    std::map<std::u16string, Write> files_;
    std::u16string failure_;
};

}  // namespace qm
