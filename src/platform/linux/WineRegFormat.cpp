#include "platform/linux/WineRegFormat.h"

#include <algorithm>
#include <cstdio>

#include "macro/Cp932.h"

namespace qm {

namespace {

// Seconds between 1601-01-01 (the start of Windows file times) and 1970-01-01.
constexpr int64_t kFileTimeEpochOffset = 11644473600;

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
}

std::u16string FoldedPath(const std::vector<std::u16string>& levels) {
    std::u16string path;
    for (const auto& level : levels) {
        if (!path.empty()) path += u'\\';
        path += RegFoldName(level);
    }
    return path;
}

std::u16string JoinKey(const std::vector<std::u16string>& levels) {
    std::u16string path;
    for (const auto& level : levels) {
        if (!path.empty()) path += u'\\';
        path += level;
    }
    return path;
}

std::string Hex(uint64_t value, int width) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%0*llx", width, static_cast<unsigned long long>(value));
    return buffer;
}

bool IsTextType(uint32_t type) {
    return type == REG_SZ_TYPE || type == 2 || type == 7;
}

std::vector<uint8_t> Utf16Bytes(std::u16string_view text) {
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
}

std::vector<uint8_t> TextAsCp932(std::u16string_view text) {
    std::vector<uint8_t> bytes = Cp932Encode(text);
    bytes.push_back(0);
    return bytes;
}

// "01,02,ff" with any blanks and line continuations between the bytes.
std::optional<std::vector<uint8_t>> ParseHexBytes(std::string_view text) {
    std::vector<uint8_t> bytes;
    std::size_t i = 0;
    auto skip = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\\' ||
                                   text[i] == '\n' || text[i] == '\r'))
            ++i;
    };
    skip();
    while (i < text.size()) {
        if (i + 1 >= text.size() || !IsHexDigit(text[i]) || !IsHexDigit(text[i + 1]))
            return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(HexValue(text[i]) * 16 + HexValue(text[i + 1])));
        i += 2;
        skip();
        if (i < text.size()) {
            if (text[i] != ',') return std::nullopt;
            ++i;
            skip();
        }
    }
    return bytes;
}

std::optional<RegRawValue> DecodeData(std::string_view data) {
    RegRawValue value;
    if (data.starts_with('"')) {
        std::size_t used = 0;
        const std::u16string text = WineRegDocument::Unescape(data.substr(1), true, &used);
        if (1 + used >= data.size()) return std::nullopt;  // no closing quote
        value.type = REG_SZ_TYPE;
        value.data = TextAsCp932(text);
        return value;
    }
    if (data.starts_with("dword:")) {
        const std::string_view digits = data.substr(6);
        if (digits.empty() || digits.size() > 8) return std::nullopt;
        uint32_t number = 0;
        for (char c : digits) {
            if (!IsHexDigit(c)) return std::nullopt;
            number = number * 16 + uint32_t(HexValue(c));
        }
        value.type = REG_DWORD_TYPE;
        for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<uint8_t>(number >> (8 * i)));
        return value;
    }
    // "hex:", "hex(N):", "str(N):"
    const bool isStr = data.starts_with("str(");
    if (!isStr && !data.starts_with("hex")) return std::nullopt;
    std::size_t colon = data.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    uint32_t type = 3;
    if (data[3] == '(') {
        const std::size_t close = data.find(')', 4);
        if (close == std::string_view::npos || close + 1 != colon || close == 4)
            return std::nullopt;
        type = 0;
        for (char c : data.substr(4, close - 4)) {
            if (!IsHexDigit(c)) return std::nullopt;
            type = type * 16 + uint32_t(HexValue(c));
        }
    } else if (isStr || colon != 3) {
        return std::nullopt;
    }
    const std::string_view rest = data.substr(colon + 1);
    value.type = type;
    if (isStr) {
        if (!rest.starts_with('"')) return std::nullopt;
        std::size_t used = 0;
        const std::u16string text = WineRegDocument::Unescape(rest.substr(1), true, &used);
        if (1 + used >= rest.size()) return std::nullopt;
        // A text of type 7 carries its inner terminators; each kind keeps its final one.
        value.data = Cp932Encode(text);
        if (value.data.empty() || value.data.back() != 0 || type != 7) value.data.push_back(0);
        return value;
    }
    auto bytes = ParseHexBytes(rest);
    if (!bytes) return std::nullopt;
    if (IsTextType(type)) {
        std::u16string text;
        for (std::size_t i = 0; i + 1 < bytes->size(); i += 2)
            text.push_back(char16_t((*bytes)[i] | ((*bytes)[i + 1] << 8)));
        value.data = Cp932Encode(text);
    } else {
        value.data = std::move(*bytes);
    }
    return value;
}

}  // namespace

std::string WineRegDocument::Escape(std::u16string_view text, bool inQuotes) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool octalNext = i + 1 < text.size() && text[i + 1] >= u'0' && text[i + 1] <= u'7';
        if (c == u'\\') {
            out += "\\\\";
        } else if (c == u'"' && inQuotes) {
            out += "\\\"";
        } else if (c == u'\n') {
            out += "\\n";
        } else if (c == u'\r') {
            out += "\\r";
        } else if (c == u'\t') {
            out += "\\t";
        } else if (c == 0 && !octalNext) {
            out += "\\0";
        } else if (c < 0x20 || c >= 0x7F) {
            // Always four digits, so that a following letter cannot be taken for one.
            out += "\\x" + Hex(c, 4);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::u16string WineRegDocument::Unescape(std::string_view text, bool inQuotes, std::size_t* used) {
    std::u16string out;
    std::string plain;  // raw bytes since the last escape, UTF-8
    auto flush = [&] {
        if (plain.empty()) return;
        out += Utf8ToUtf16(plain);
        plain.clear();
    };
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"' && inQuotes) break;
        if (c != '\\' || i + 1 >= text.size()) {
            plain.push_back(c);
            ++i;
            continue;
        }
        flush();
        const char e = text[i + 1];
        i += 2;
        switch (e) {
            case 'n':
                out += u'\n';
                break;
            case 'r':
                out += u'\r';
                break;
            case 't':
                out += u'\t';
                break;
            case 'a':
                out += u'\a';
                break;
            case 'b':
                out += u'\b';
                break;
            case 'e':
                out += char16_t(0x1B);
                break;
            case 'f':
                out += u'\f';
                break;
            case 'v':
                out += u'\v';
                break;
            case 'x': {
                char16_t value = 0;
                int digits = 0;
                while (digits < 4 && i < text.size() && IsHexDigit(text[i])) {
                    value = char16_t(value * 16 + HexValue(text[i++]));
                    ++digits;
                }
                out += digits > 0 ? value : u'x';
                break;
            }
            default:
                if (e >= '0' && e <= '7') {
                    char16_t value = char16_t(e - '0');
                    for (int digits = 1;
                         digits < 3 && i < text.size() && text[i] >= '0' && text[i] <= '7';
                         ++digits)
                        value = char16_t(value * 8 + (text[i++] - '0'));
                    out += value;
                } else {
                    plain.push_back(e);  // "\\", "\"" and anything else stand for themselves
                }
        }
    }
    flush();
    if (used) *used = i;
    return out;
}

std::optional<WineRegDocument> WineRegDocument::Parse(std::string_view bytes) {
    WineRegDocument doc;
    std::vector<std::string_view> raw;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) {
            raw.push_back(bytes.substr(start));
            break;
        }
        raw.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    // Wine writes LF; a file saved on Windows has CR LF. Lines are kept without their CR
    // and get it back when written, so values and continuations read the same either way.
    doc.crlf_ = raw.front().ends_with('\r');
    if (doc.crlf_) {
        for (std::string_view& line : raw)
            if (line.ends_with('\r')) line.remove_suffix(1);
    }
    if (raw.front() != kHeader) return std::nullopt;

    doc.lines_.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        std::string line(raw[i]);
        // A hex value goes on over the following lines while each ends with "\".
        if (auto value = ParseValueLine(raw[i]); value && value->data.starts_with("hex")) {
            while (!line.empty() && line.back() == '\\' && i + 1 < raw.size()) {
                line += '\n';
                line += raw[++i];
            }
        }
        doc.lines_.push_back(std::move(line));
    }
    doc.Index();
    return doc;
}

std::string WineRegDocument::Serialize() const {
    std::size_t size = 0;
    for (const auto& line : lines_) size += line.size() + 1;
    std::string out;
    out.reserve(size);
    const std::string_view newline = crlf_ ? "\r\n" : "\n";
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i > 0) out += newline;
        if (!crlf_) {
            out += lines_[i];
            continue;
        }
        // Continued hex values hold their own line breaks.
        for (char c : lines_[i]) {
            if (c == '\n')
                out += newline;
            else
                out += c;
        }
    }
    return out;
}

void WineRegDocument::Index() {
    sections_.clear();
    byKey_.clear();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (!lines_[i].starts_with('[')) continue;
        auto levels = ParseKeyLine(lines_[i]);
        if (!levels) continue;
        if (!sections_.empty()) sections_.back().end = i;
        byKey_.emplace(FoldedPath(*levels), sections_.size());
        sections_.push_back({i, lines_.size(), std::move(*levels)});
    }
}

std::optional<std::vector<std::u16string>> WineRegDocument::ParseKeyLine(std::string_view line) {
    if (!line.starts_with('[')) return std::nullopt;
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos || close == 0) return std::nullopt;
    return RegKeyLevels(Unescape(line.substr(1, close - 1), false));
}

std::optional<WineRegDocument::ValueLine> WineRegDocument::ParseValueLine(std::string_view line) {
    ValueLine value;
    std::size_t equals;
    if (line.starts_with('@')) {
        equals = 1;
    } else if (line.starts_with('"')) {
        std::size_t used = 0;
        value.name = Unescape(line.substr(1), true, &used);
        const std::size_t closing = 1 + used;
        if (closing >= line.size()) return std::nullopt;
        equals = closing + 1;
    } else {
        return std::nullopt;
    }
    if (equals >= line.size() || line[equals] != '=') return std::nullopt;
    value.data = line.substr(equals + 1);
    return value;
}

std::vector<std::size_t> WineRegDocument::SectionsOf(std::u16string_view key) const {
    std::vector<std::size_t> found;
    auto [first, last] = byKey_.equal_range(FoldedPath(RegKeyLevels(key)));
    for (auto it = first; it != last; ++it) found.push_back(it->second);
    std::sort(found.begin(), found.end());
    return found;
}

bool WineRegDocument::IsWin64() const {
    const std::size_t headerEnd = sections_.empty() ? lines_.size() : sections_.front().keyLine;
    for (std::size_t i = 0; i < headerEnd; ++i) {
        std::string_view line = lines_[i];
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line == "#arch=win64") return true;
        if (line == "#arch=win32") return false;
    }
    return HasKey(u"Software\\Wow6432Node");
}

bool WineRegDocument::HasKey(std::u16string_view key) const {
    return AtOrBelow(FoldedPath(RegKeyLevels(key))) != byKey_.end();
}

std::multimap<std::u16string, std::size_t>::const_iterator WineRegDocument::AtOrBelow(
    const std::u16string& folded) const {
    if (auto exact = byKey_.find(folded); exact != byKey_.end()) return exact;
    // A key below it implies it.
    const std::u16string below = folded + u'\\';
    auto it = byKey_.lower_bound(below);
    return it != byKey_.end() && it->first.starts_with(below) ? it : byKey_.end();
}

std::optional<RegRawValue> WineRegDocument::Query(std::u16string_view key,
                                                  std::u16string_view name) const {
    std::optional<std::string_view> data;
    for (std::size_t s : SectionsOf(key)) {
        const Section& section = sections_[s];
        for (std::size_t i = section.keyLine + 1; i < section.end; ++i) {
            auto value = ParseValueLine(lines_[i]);
            if (value && RegNamesEqual(value->name, name)) data = value->data;
        }
    }
    if (!data) return std::nullopt;
    return DecodeData(*data);
}

void WineRegDocument::Stamp(const Section& section, std::chrono::system_clock::time_point now) {
    const auto since1970 =
        std::chrono::duration_cast<std::chrono::nanoseconds>(now.time_since_epoch()).count();
    const int64_t seconds = since1970 / 1000000000;
    const uint64_t fileTime =
        uint64_t(since1970 / 100) + uint64_t(kFileTimeEpochOffset) * 10000000u;

    std::string& keyLine = lines_[section.keyLine];
    const std::size_t close = keyLine.rfind(']');
    const std::string_view after = std::string_view(keyLine).substr(close + 1);
    if (after.size() > 1 && after[0] == ' ' &&
        std::all_of(after.begin() + 1, after.end(), [](char c) { return c >= '0' && c <= '9'; }))
        keyLine = keyLine.substr(0, close + 1) + " " + std::to_string(seconds);
    for (std::size_t i = section.keyLine + 1; i < section.end; ++i) {
        if (lines_[i].starts_with("#time=")) {
            lines_[i] = "#time=" + Hex(fileTime, 1);
            break;
        }
    }
}

bool WineRegDocument::Set(std::u16string_view key, std::u16string_view name,
                          const RegRawValue& value, std::chrono::system_clock::time_point now) {
    std::vector<std::u16string> levels = RegKeyLevels(key);
    if (levels.empty()) return false;
    const std::string line = FormatValueLine(name, value);
    const std::vector<std::size_t> sections = SectionsOf(key);
    if (!sections.empty()) {
        // The line that gives the value its content now, if any.
        std::optional<std::size_t> defining;
        std::size_t definingSection = sections.back();
        for (std::size_t s : sections) {
            for (std::size_t i = sections_[s].keyLine + 1; i < sections_[s].end; ++i) {
                auto v = ParseValueLine(lines_[i]);
                if (v && RegNamesEqual(v->name, name)) {
                    defining = i;
                    definingSection = s;
                }
            }
        }
        if (defining) {
            lines_[*defining] = line;
            Stamp(sections_[definingSection], now);
            return true;
        }
        // A new value goes among the others in name order, as Wine keeps them.
        const Section& section = sections_[sections.back()];
        const std::u16string folded = RegFoldName(name);
        std::size_t at = section.keyLine + 1;
        for (std::size_t i = section.keyLine + 1; i < section.end; ++i) {
            if (lines_[i].empty()) continue;
            auto v = ParseValueLine(lines_[i]);
            if (v && RegFoldName(v->name) > folded) break;
            at = i + 1;
        }
        lines_.insert(lines_.begin() + std::ptrdiff_t(at), line);
        Index();
        Stamp(sections_[sections.back()], now);
        return true;
    }

    // A new key: spelt like its nearest existing ancestor, the rest as given.
    for (std::size_t n = levels.size() - 1; n > 0; --n) {
        const std::vector<std::u16string> ancestor(levels.begin(),
                                                   levels.begin() + std::ptrdiff_t(n));
        const auto it = AtOrBelow(FoldedPath(ancestor));
        if (it == byKey_.end()) continue;
        std::copy_n(sections_[it->second].levels.begin(), n, levels.begin());
        break;
    }
    const bool finalNewline = !lines_.empty() && lines_.back().empty();
    std::vector<std::string> added{"", "[" + Escape(JoinKey(levels), false) + "] 0", "#time=0",
                                   line};
    if (!finalNewline) added.emplace_back();
    const std::size_t at = finalNewline ? lines_.size() - 1 : lines_.size();
    lines_.insert(lines_.begin() + std::ptrdiff_t(at), added.begin(), added.end());
    Index();
    Stamp(sections_[SectionsOf(key).back()], now);
    return true;
}

std::string WineRegDocument::FormatValueLine(std::u16string_view name, const RegRawValue& value) {
    std::string line = name.empty() ? std::string("@") : "\"" + Escape(name, true) + "\"";
    line += '=';
    if (value.type == REG_DWORD_TYPE && value.data.size() == 4) {
        uint32_t number = 0;
        for (int i = 0; i < 4; ++i) number |= uint32_t(value.data[std::size_t(i)]) << (8 * i);
        return line + "dword:" + Hex(number, 8);
    }
    if ((value.type == REG_SZ_TYPE || value.type == 2) && !value.data.empty() &&
        value.data.back() == 0 &&
        std::find(value.data.begin(), value.data.end() - 1, uint8_t{0}) == value.data.end() - 1) {
        const std::u16string text =
            Cp932Decode(std::span<const uint8_t>(value.data.data(), value.data.size() - 1));
        const std::string quoted = "\"" + Escape(text, true) + "\"";
        return line + (value.type == REG_SZ_TYPE ? quoted : "str(2):" + quoted);
    }
    const std::vector<uint8_t> bytes =
        IsTextType(value.type) ? Utf16Bytes(Cp932Decode(value.data)) : value.data;
    line += value.type == 3 ? std::string("hex:") : "hex(" + Hex(value.type, 1) + "):";
    std::size_t column = line.size();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        line += Hex(bytes[i], 2);
        column += 2;
        if (i + 1 < bytes.size()) {
            line += ',';
            ++column;
            if (column > 76) {
                line += "\\\n  ";
                column = 2;
            }
        }
    }
    return line;
}

}  // namespace qm
