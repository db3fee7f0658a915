#include "platform/linux/QtImageWriter.h"

#include <QImage>
#include <QImageWriter>
#include <QSaveFile>
#include <QString>

namespace qm {

namespace {

bool Fail(Reason* error, std::u16string_view path, const QString& reason) {
    if (error)
        *error = Reason{.kind = ReasonKind::ShotNotSaved,
                        .subject = std::u16string(path),
                        .detail = reason.toStdU16String()};
    return false;
}

}  // namespace

bool QtImageWriter::WriteImage(const ScreenImage& image, std::u16string_view path,
                               ImageFileFormat format, int quality, Reason* error) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * image.height) {
        return Fail(error, path, QString());
    }
    // Wraps the pixels without copying; the image does not outlive this call.
    const QImage picture(reinterpret_cast<const uchar*>(image.pixels.data()), image.width,
                         image.height, image.width * 4, QImage::Format_RGB32);

    QSaveFile file(QString::fromStdU16String(std::u16string(path)));
    if (!file.open(QIODevice::WriteOnly)) return Fail(error, path, file.errorString());
    QImageWriter writer(&file, format == ImageFileFormat::Jpeg ? QByteArrayLiteral("jpeg")
                                                               : QByteArrayLiteral("bmp"));
    if (format == ImageFileFormat::Jpeg) writer.setQuality(quality);
    if (!writer.write(picture)) {
        return Fail(error, path, writer.errorString());  // the unfinished file is discarded
    }
    if (!file.commit()) return Fail(error, path, file.errorString());
    return true;
}

}  // namespace qm
