#pragma once
// Writing a captured screen image to a picture file.

#include <string>
#include <string_view>

#include "platform/Interfaces.h"

#include "storage/Reason.h"

namespace qm {

enum class ImageFileFormat { Jpeg, Bmp };

class IImageWriter {
  public:
    virtual ~IImageWriter() = default;
    // Writes the image to path, replacing any file of that name. quality (10 to 100) is used
    // for JPEG only. On failure returns false, leaves an existing file as it was, and puts a
    // reason into error (if given). Never throws.
    virtual bool WriteImage(const ScreenImage& image, std::u16string_view path,
                            ImageFileFormat format, int quality, Reason* error) = 0;
};

}  // namespace qm
