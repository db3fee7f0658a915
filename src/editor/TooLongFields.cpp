#include "editor/TooLongFields.h"

#include "macro/Cp932.h"
#include "macro/MacroFile.h"
#include "storage/Utf.h"

namespace qm {

namespace {

std::u16string Number(std::size_t n) {
    return Utf8ToUtf16(std::to_string(n));
}

constexpr std::size_t kTitleCapacity = kTitleFieldSize - 1;
constexpr std::size_t kLineCapacity = kLineFieldSize - 1;

}  // namespace

std::vector<TooLongField> TooLongBoxes(int book, int set, int macro,
                                       const std::vector<std::u16string>& titles,
                                       const MacroLines& lines) {
    std::vector<TooLongField> fields;
    for (std::size_t m = 0; m < titles.size(); ++m) {
        const std::size_t bytes = Cp932Length(titles[m]);
        if (bytes > kTitleCapacity) fields.push_back({book, set, int(m), 0, bytes});
    }
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::size_t bytes = Cp932Length(lines[k]);
        if (bytes > kLineCapacity) fields.push_back({book, set, macro, int(k) + 1, bytes});
    }
    return fields;
}

std::u16string FieldPlace(int book, int set, int macro, int line) {
    std::u16string text = u"ブック" + Number(std::size_t(book + 1)) + u" セット" +
                          Number(std::size_t(set + 1)) + u" マクロ" +
                          Number(std::size_t(macro + 1)) + u" ";
    text += line == 0 ? std::u16string(u"タイトル") : Number(std::size_t(line)) + u"行目";
    return text;
}

std::u16string TooLongFieldsText(const std::vector<TooLongField>& fields) {
    constexpr std::size_t kShown = 10;
    std::u16string text =
        u"次の欄は長すぎるため保存されません（保存される前の内容のままです）。\r\n\r\n";
    for (std::size_t i = 0; i < fields.size() && i < kShown; ++i) {
        const TooLongField& f = fields[i];
        text += FieldPlace(f.book, f.set, f.macro, f.line) + u"：" + Number(f.bytes) +
                u" バイト（" + Number(f.line == 0 ? kTitleCapacity : kLineCapacity) +
                u" バイトまで）\r\n";
    }
    if (fields.size() > kShown) text += u"ほか " + Number(fields.size() - kShown) + u" か所\r\n";
    text += u"\r\n";
    return text;
}

std::u16string NotStoredList(const std::vector<TooLongField>& fields) {
    std::u16string text;
    for (const TooLongField& f : fields) {
        if (!text.empty()) text += u"、";
        text += FieldPlace(f.book, f.set, f.macro, f.line);
    }
    return text;
}

}  // namespace qm
