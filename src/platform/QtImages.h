#pragma once
// Images the program ships. Qt code only.

#include <QImage>
#include <QImageReader>
#include <QString>

namespace qm {

// A PNG file or resource. Read with the PNG reader built into Qt: a reader left to
// detect the format loads every image format plugin first (a JPEG library among them),
// a cost at start-up for nothing.
inline QImage ReadPng(const QString& path) {
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

}  // namespace qm
