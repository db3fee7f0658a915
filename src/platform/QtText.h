#pragma once
// Text crosses between the core (std::u16string) and Qt (QString) as the same UTF-16
// units, so caret positions and lengths mean the same on both sides. Qt code only.

#include <QString>
#include <string>
#include <string_view>

namespace qm {

inline QString Q(std::u16string_view s) {
    return QString::fromUtf16(s.data(), qsizetype(s.size()));
}
inline std::u16string U(const QString& s) {
    return s.toStdU16String();
}

}  // namespace qm
