#include "platform/linux/RegFileFormat.h"

#include <algorithm>

#include "macro/Cp932.h"

namespace qm {

namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string_view TrimLeft(std::u16string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::u16string_view Trim(std::u16string_view s) {
    s = TrimLeft(s);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::vector<std::u16string_view> SplitLines(std::u16string_view text) {
    std::vector<std::u16string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

bool StartsWithFolded(std::u16string_view s, std::u16string_view prefix) {
    return s.size() >= prefix.size() && RegNamesEqual(s.substr(0, prefix.size()), prefix);
}

// A quoted text starting at s[0] == '"'; \\ and \" are escapes, any other backslash is
// itself. Returns the text and the count of units consumed, closing quote included.
std::optional<std::pair<std::u16string, std::size_t>> ReadQuoted(std::u16string_view s) {
    std::u16string out;
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (s[i] == u'"') return std::make_pair(out, i + 1);
        if (s[i] == u'\\' && i + 1 < s.size() && (s[i + 1] == u'\\' || s[i + 1] == u'"')) ++i;
        out.push_back(s[i]);
    }
    return std::nullopt;
}

std::u16string Quote(std::u16string_view s) {
    std::u16string out = u"\"";
    for (char16_t c : s) {
        if (c == u'\\' || c == u'"') out.push_back(u'\\');
        out.push_back(c);
    }
    out.push_back(u'"');
    return out;
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

std::optional<uint32_t> ParseHexNumber(std::u16string_view s, std::size_t maxDigits) {
    if (s.empty() || s.size() > maxDigits) return std::nullopt;
    uint32_t v = 0;
    for (char16_t c : s) {
        int d = HexDigit(c);
        if (d < 0) return std::nullopt;
        v = v * 16 + static_cast<uint32_t>(d);
    }
    return v;
}

bool IsTextType(uint32_t type) {
    return type == 1 || type == 2 || type == 7;
}

// In the file, text types given as bytes are UTF-16LE; in memory they are CP932.
std::vector<uint8_t> Utf16BytesToCp932(const std::vector<uint8_t>& bytes) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    return Cp932Encode(text);
}

std::vector<uint8_t> Cp932ToUtf16Bytes(const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> out;
    for (char16_t c : Cp932Decode(bytes)) {
        out.push_back(static_cast<uint8_t>(c & 0xFF));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    return out;
}

// The data after "=": "text", dword:n, hex:.., hex(t):... Nothing when not understood.
std::optional<RegRawValue> ParseData(std::u16string_view data) {
    data = Trim(data);
    RegRawValue v;
    if (!data.empty() && data.front() == u'"') {
        auto quoted = ReadQuoted(data);
        if (!quoted || !Trim(data.substr(quoted->second)).empty()) return std::nullopt;
        v.type = REG_SZ_TYPE;
        v.data = Cp932Encode(quoted->first);
        v.data.push_back(0);
        return v;
    }
    if (StartsWithFolded(data, u"dword:")) {
        auto n = ParseHexNumber(Trim(data.substr(6)), 8);
        if (!n) return std::nullopt;
        v.type = REG_DWORD_TYPE;
        for (int i = 0; i < 4; ++i) v.data.push_back(static_cast<uint8_t>(*n >> (8 * i)));
        return v;
    }
    if (!StartsWithFolded(data, u"hex")) return std::nullopt;
    data.remove_prefix(3);
    v.type = 3;
    if (!data.empty() && data.front() == u'(') {
        auto close = data.find(u')');
        if (close == std::u16string_view::npos) return std::nullopt;
        auto type = ParseHexNumber(data.substr(1, close - 1), 8);
        if (!type) return std::nullopt;
        v.type = *type;
        data.remove_prefix(close + 1);
    }
    if (data.empty() || data.front() != u':') return std::nullopt;
    data.remove_prefix(1);
    std::u16string digits;  // the byte list without blanks and line continuations
    for (char16_t c : data) {
        if (!IsBlank(c) && c != u'\\' && c != u'\r' && c != u'\n') digits.push_back(c);
    }
    std::u16string_view rest = digits;
    while (!rest.empty()) {
        auto comma = rest.find(u',');
        auto item = rest.substr(0, comma);
        auto byte = ParseHexNumber(item, 2);
        if (!byte) {
            if (comma == std::u16string_view::npos && item.empty()) break;  // trailing comma
            return std::nullopt;
        }
        v.data.push_back(static_cast<uint8_t>(*byte));
        if (comma == std::u16string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    if (IsTextType(v.type)) v.data = Utf16BytesToCp932(v.data);
    return v;
}

bool IsUtf8Continuation(uint8_t b) {
    return (b & 0xC0) == 0x80;
}

std::optional<std::u16string> DecodeUtf8Strict(std::span<const uint8_t> b) {
    std::u16string out;
    std::size_t i = 0;
    while (i < b.size()) {
        uint32_t c = b[i];
        std::size_t extra = 0;
        uint32_t min = 0;
        if (c < 0x80) {
        } else if ((c & 0xE0) == 0xC0) {
            c &= 0x1F, extra = 1, min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            c &= 0x0F, extra = 2, min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            c &= 0x07, extra = 3, min = 0x10000;
        } else {
            return std::nullopt;
        }
        for (std::size_t k = 1; k <= extra; ++k) {
            if (i + k >= b.size() || !IsUtf8Continuation(b[i + k])) return std::nullopt;
            c = (c << 6) | (b[i + k] & 0x3F);
        }
        if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
        i += extra + 1;
    }
    return out;
}

std::optional<std::u16string> DecodeUtf16Le(std::span<const uint8_t> b) {
    if (b.size() % 2 != 0) return std::nullopt;
    std::u16string out;
    out.reserve(b.size() / 2);
    for (std::size_t i = 0; i < b.size(); i += 2)
        out.push_back(static_cast<char16_t>(b[i] | (b[i + 1] << 8)));
    return out;
}

// Whether the parser joins the next line to this one (see the byte lists in Parse).
bool EndsWithContinuation(std::u16string_view text) {
    const std::size_t lastBreak = text.find_last_of(u"\r\n");
    const auto last = Trim(lastBreak == text.npos ? text : text.substr(lastBreak + 1));
    return !last.empty() && last.back() == u'\\';
}

}  // namespace

std::optional<std::u16string> DecodeRegFileBytes(std::span<const uint8_t> bytes) {
    std::optional<std::u16string> text;
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        text = DecodeUtf16Le(bytes.subspan(2));
    } else if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        text = DecodeUtf8Strict(bytes.subspan(3));
    } else if (bytes.size() >= 2 && bytes[0] != 0 && bytes[1] == 0) {
        text = DecodeUtf16Le(bytes);
    } else {
        text = DecodeUtf8Strict(bytes);
    }
    // A 0 unit never belongs in this text format; it means binary damage.
    if (text && text->find(u'\0') != std::u16string::npos) return std::nullopt;
    return text;
}

std::vector<uint8_t> EncodeRegFileText(std::u16string_view text) {
    std::vector<uint8_t> out{0xFF, 0xFE};
    out.reserve(2 + text.size() * 2);
    for (char16_t c : text) {
        out.push_back(static_cast<uint8_t>(c & 0xFF));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    return out;
}

RegFileDocument::Line RegFileDocument::ParseKeyLine(std::u16string_view text) {
    Line line;
    line.text = std::u16string(text);
    line.kind = Kind::BrokenKey;
    auto t = Trim(text);
    if (t.size() < 2 || t.front() != u'[' || t.back() != u']') return line;
    auto inner = t.substr(1, t.size() - 2);
    line.kind = Kind::Key;
    if (!inner.empty() && inner.front() == u'-') {
        line.kind = Kind::DeleteKey;
        inner.remove_prefix(1);
    }
    auto sep = inner.find(u'\\');
    auto hive = inner.substr(0, sep);
    line.localMachine = RegNamesEqual(hive, u"HKEY_LOCAL_MACHINE") || RegNamesEqual(hive, u"HKLM");
    if (sep != std::u16string_view::npos) line.keyPath = RegKeyLevels(inner.substr(sep + 1), true);
    return line;
}

std::optional<RegFileDocument> RegFileDocument::Parse(std::u16string_view text) {
    const auto physical = SplitLines(text);
    std::size_t i = 0;
    while (i < physical.size() && Trim(physical[i]).empty()) ++i;
    RegFileDocument doc;
    if (i == physical.size()) return doc;
    if (Trim(physical[i]) != kHeader) return std::nullopt;
    ++i;
    int section = -1;
    for (; i < physical.size(); ++i) {
        const auto t = TrimLeft(physical[i]);
        if (!t.empty() && t.front() == u'[') {
            Line key = ParseKeyLine(physical[i]);
            section = key.kind == Kind::Key && key.localMachine ? int(doc.lines_.size()) : -1;
            doc.lines_.push_back(std::move(key));
            continue;
        }
        Line line;
        line.text = std::u16string(physical[i]);
        if (t.empty() || (t.front() != u'"' && t.front() != u'@')) {
            doc.lines_.push_back(std::move(line));
            continue;
        }
        std::size_t pos = 1;
        std::u16string name;
        if (t.front() == u'"') {
            auto quoted = ReadQuoted(t);
            if (!quoted) {
                doc.lines_.push_back(std::move(line));
                continue;
            }
            name = std::move(quoted->first);
            pos = quoted->second;
        }
        auto afterName = TrimLeft(t.substr(pos));
        if (afterName.empty() || afterName.front() != u'=') {
            doc.lines_.push_back(std::move(line));
            continue;
        }
        auto data = TrimLeft(afterName.substr(1));
        std::u16string joined(data);
        if (StartsWithFolded(data, u"hex")) {
            // Byte lists go on over the following lines while a line ends with "\".
            while (EndsWithContinuation(physical[i]) && i + 1 < physical.size()) {
                ++i;
                line.text += u"\r\n";
                line.text += physical[i];
                joined += u"\r\n";
                joined += physical[i];
            }
        }
        line.section = section;
        line.name = std::move(name);
        if (Trim(joined) == u"-") {
            line.kind = Kind::DeleteValue;
        } else if (auto value = ParseData(joined)) {
            line.kind = Kind::Value;
            line.value = std::move(*value);
        } else {
            line.section = -1;
        }
        doc.lines_.push_back(std::move(line));
    }
    return doc;
}

std::u16string RegFileDocument::Serialize() const {
    std::u16string out(kHeader);
    out += u"\r\n";
    for (const auto& line : lines_) {
        out += line.text;
        out += u"\r\n";
    }
    return out;
}

int RegFileDocument::DefiningLine(const std::vector<std::u16string>& keyPath,
                                  std::u16string_view name) const {
    int found = -1;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto& line = lines_[i];
        if (line.kind == Kind::DeleteKey) {
            if (line.localMachine && line.keyPath.size() <= keyPath.size() &&
                std::equal(line.keyPath.begin(), line.keyPath.end(), keyPath.begin()))
                found = -1;
        } else if ((line.kind == Kind::Value || line.kind == Kind::DeleteValue) &&
                   line.section >= 0 && lines_[line.section].keyPath == keyPath &&
                   RegNamesEqual(line.name, name)) {
            found = line.kind == Kind::Value ? int(i) : -1;
        }
    }
    return found;
}

std::optional<RegRawValue> RegFileDocument::Query(std::u16string_view key,
                                                  std::u16string_view name) const {
    const int i = DefiningLine(RegKeyLevels(key, true), name);
    if (i < 0) return std::nullopt;
    return lines_[i].value;
}

void RegFileDocument::Set(std::u16string_view key, std::u16string_view name,
                          const RegRawValue& value) {
    const auto keyPath = RegKeyLevels(key, true);
    if (int i = DefiningLine(keyPath, name); i >= 0) {
        lines_[i].text = FormatValueLine(lines_[i].name, value);
        lines_[i].value = value;
        return;
    }
    Line line;
    line.kind = Kind::Value;
    line.name = std::u16string(name);
    line.value = value;
    line.text = FormatValueLine(name, value);

    // The key's last section takes the value, unless a later [-key] would delete it.
    int section = -1;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto& l = lines_[i];
        if (l.kind == Kind::Key && l.localMachine && l.keyPath == keyPath) section = int(i);
        if (l.kind == Kind::DeleteKey && section >= 0 && l.localMachine &&
            l.keyPath.size() <= keyPath.size() &&
            std::equal(l.keyPath.begin(), l.keyPath.end(), keyPath.begin()))
            section = -1;
    }
    if (section >= 0) {
        std::size_t at = section + 1;
        for (std::size_t j = section + 1; j < lines_.size(); ++j) {
            const Kind kind = lines_[j].kind;
            if (kind == Kind::Key || kind == Kind::DeleteKey || kind == Kind::BrokenKey) break;
            if (!Trim(lines_[j].text).empty()) at = j + 1;
        }
        // A byte list whose last line still ends with "\" (a file cut short) would take
        // the new line for its continuation: a blank line ends the list first.
        std::vector<Line> added;
        if (at > 0 && EndsWithContinuation(lines_[at - 1].text)) added.emplace_back();
        line.section = section;
        added.push_back(std::move(line));
        for (auto& l : lines_)
            if (l.section >= int(at)) l.section += int(added.size());
        lines_.insert(lines_.begin() + at, std::make_move_iterator(added.begin()),
                      std::make_move_iterator(added.end()));
        return;
    }
    if (lines_.empty() || !Trim(lines_.back().text).empty()) lines_.push_back(Line{});
    Line keyLine;
    keyLine.kind = Kind::Key;
    keyLine.localMachine = true;
    keyLine.keyPath = keyPath;
    keyLine.text = u"[HKEY_LOCAL_MACHINE";
    for (const auto& level : RegKeyLevels(key)) keyLine.text += u"\\" + level;
    keyLine.text += u"]";
    line.section = int(lines_.size());
    lines_.push_back(std::move(keyLine));
    lines_.push_back(std::move(line));
}

std::u16string RegFileDocument::FormatValueLine(std::u16string_view name,
                                                const RegRawValue& value) {
    std::u16string out = name.empty() ? std::u16string(u"@") : Quote(name);
    out += u"=";
    const auto& data = value.data;
    if (value.type == REG_SZ_TYPE && !data.empty() && data.back() == 0 &&
        std::find(data.begin(), data.end() - 1, uint8_t{0}) == data.end() - 1) {
        auto text = Cp932Decode(std::span<const uint8_t>(data.data(), data.size() - 1));
        // Line breaks cannot be written inside a quoted text; such text goes as bytes.
        if (text.find_first_of(u"\r\n") == std::u16string::npos) return out + Quote(text);
    }
    static constexpr char16_t kHex[] = u"0123456789abcdef";
    if (value.type == REG_DWORD_TYPE && data.size() == 4) {
        out += u"dword:";
        for (int i = 3; i >= 0; --i) {
            out.push_back(kHex[data[i] >> 4]);
            out.push_back(kHex[data[i] & 15]);
        }
        return out;
    }
    if (value.type == 3) {
        out += u"hex:";
    } else {
        out += u"hex(";
        std::u16string digits;
        uint32_t t = value.type;
        do {
            digits.insert(digits.begin(), kHex[t & 15]);
            t >>= 4;
        } while (t != 0);
        out += digits + u"):";
    }
    const auto bytes = IsTextType(value.type) ? Cp932ToUtf16Bytes(data) : data;
    std::size_t lineLength = out.size();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out.push_back(kHex[bytes[i] >> 4]);
        out.push_back(kHex[bytes[i] & 15]);
        lineLength += 2;
        if (i + 1 == bytes.size()) break;
        out.push_back(u',');
        ++lineLength;
        if (lineLength >= 76) {  // wrapped as the registry editor wraps its exports
            out += u"\\\r\n  ";
            lineLength = 2;
        }
    }
    return out;
}

}  // namespace qm
