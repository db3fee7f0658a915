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
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
    const std::string narrow(mode);
    return _wfopen(path.c_str(), std::wstring(narrow.begin(), narrow.end()).c_str());
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
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}
#endif

}  // namespace qm
