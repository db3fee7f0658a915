#include "storage/Paths.h"

#include "storage/Utf.h"

namespace qm {

#ifdef _WIN32
std::filesystem::path PathFromText(std::u16string_view text) {
    return std::filesystem::path(std::wstring(text.begin(), text.end()));
}
std::u16string TextFromPath(const std::filesystem::path& path) {
    std::wstring w = path.wstring();
    return std::u16string(w.begin(), w.end());
}
std::u16string_view PathSeparator() {
    return u"\\";
}
#else
std::filesystem::path PathFromText(std::u16string_view text) {
    return std::filesystem::path(Utf16ToUtf8(text));
}
std::u16string TextFromPath(const std::filesystem::path& path) {
    return Utf8ToUtf16(path.native());
}
std::u16string_view PathSeparator() {
    return u"/";
}
#endif

}  // namespace qm
