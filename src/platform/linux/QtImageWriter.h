#pragma once
// Picture files through the toolkit's image writers (JPEG with a quality, BMP), written
// beside the target and renamed over it, so a failed write leaves the old file.

#include "platform/ImageWriter.h"

namespace qm {

class QtImageWriter : public IImageWriter {
  public:
    bool WriteImage(const ScreenImage& image, std::u16string_view path, ImageFileFormat format,
                    int quality, Reason* error) override;
};

}  // namespace qm
