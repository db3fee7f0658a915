#include "platform/linux/WineRegFormat.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstring>
#include <limits>

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

namespace {

uint64_t Mix(uint64_t x) {
    x ^= x >> 32;
    x *= 0xd6e8feb86659fd93ull;
    return x ^ (x >> 32);
}

// The hash of a folded key path that is all ASCII, eight bytes to a step. Reads up to
// seven bytes past the path, which the caller's buffer must hold.
uint64_t HashAscii(std::string_view folded) {
    uint64_t state = 0x9e3779b97f4a7c15ull;
    std::size_t i = 0;
    for (; i + 8 <= folded.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, folded.data() + i, 8);
        state = Mix(state ^ word);
    }
    uint64_t tail = 0;
    if (const std::size_t rest = folded.size() - i; rest > 0) {
        std::memcpy(&tail, folded.data() + i, 8);
        if constexpr (std::endian::native == std::endian::little)
            tail &= ~uint64_t(0) >> (64 - 8 * rest);
        else
            tail &= ~uint64_t(0) << (64 - 8 * rest);
    }
    return Mix(Mix(state ^ tail) ^ folded.size());
}

// The hash of any folded key path: the ASCII one's when it is all ASCII.
uint64_t HashFolded(std::u16string_view folded) {
    if (std::all_of(folded.begin(), folded.end(), [](char16_t c) { return c < 0x80; })) {
        std::string ascii(folded.begin(), folded.end());
        ascii.append(8, '\0');
        return HashAscii(std::string_view(ascii).substr(0, folded.size()));
    }
    uint64_t state = 0x2545f4914f6cdd1dull;
    for (char16_t c : folded) state = Mix(state ^ c);
    return Mix(state ^ folded.size());
}

constexpr uint64_t kEveryByte = 0x0101010101010101ull;

// Upper case for eight ASCII bytes at once.
uint64_t FoldAsciiWord(uint64_t word) {
    const uint64_t fromA = word + kEveryByte * (0x80 - 'a');        // high bit: >= 'a'
    const uint64_t pastZ = word + kEveryByte * (0x80 - ('z' + 1));  // high bit: > 'z'
    return word ^ (((fromA & ~pastZ) & kEveryByte * 0x80) >> 2);
}

constexpr std::size_t kFoldBuffer = 512;
// What FoldRawKey writes into, with room for whole words past the path.
using FoldBuffer = std::array<char, kFoldBuffer + 16>;

// A key line's text between its brackets, parsed and folded, when it holds plain ASCII
// and "\\" separators only; nothing otherwise (or when it is long), and the caller parses
// the path.
std::optional<std::string_view> FoldRawKey(std::string_view raw, FoldBuffer& buffer) {
    if (raw.size() > kFoldBuffer) return std::nullopt;
    char* const folded = buffer.data();
    std::size_t size = 0;
    bool separator = false;
    for (std::size_t i = 0; i < raw.size();) {
        // Eight bytes at a time up to the next "\\".
        if (i + 8 <= raw.size()) {
            uint64_t word;
            std::memcpy(&word, raw.data() + i, 8);
            if (word & kEveryByte * 0x80) return std::nullopt;
            const uint64_t x = word ^ kEveryByte * '\\';
            const uint64_t backslashes = (x - kEveryByte) & ~x & kEveryByte * 0x80;
            std::size_t plain = 8;
            if (backslashes) {
                plain = 0;
                while (static_cast<unsigned char>(raw[i + plain]) != '\\') ++plain;
            }
            if (plain > 0) {
                if (separator) {
                    folded[size++] = '\\';
                    separator = false;
                }
                const uint64_t upper = FoldAsciiWord(word);
                std::memcpy(folded + size, &upper, 8);
                size += plain;
                i += plain;
                continue;
            }
        }
        const auto c = static_cast<unsigned char>(raw[i]);
        if (c == '\\') {
            if (i + 1 >= raw.size() || raw[i + 1] != '\\') return std::nullopt;
            i += 2;
            separator = size > 0;  // empty levels do not count
            continue;
        }
        if (c >= 0x80) return std::nullopt;
        if (separator) {
            folded[size++] = '\\';
            separator = false;
        }
        folded[size++] = char(c - (unsigned(c - 'a') < 26u ? 0x20 : 0));
        ++i;
    }
    return std::string_view(folded, size);
}

// Where a key line's path ends: its last "]"; npos when it is no key line.
std::size_t KeyClose(std::string_view line) {
    if (!line.starts_with('[')) return std::string_view::npos;
    const std::size_t close = line.rfind(']');
    return close == 0 ? std::string_view::npos : close;
}

}  // namespace

void WineRegDocument::HashSlots::Reserve(std::size_t count) {
    std::size_t size = 16;
    while (size < count * 2) size *= 2;
    if (size <= entries.size()) return;
    std::vector<std::pair<uint64_t, uint32_t>> old(size);
    old.swap(entries);
    used = 0;
    for (const auto& [hash, block] : old)
        if (block) Add(hash, block, false);
}

void WineRegDocument::HashSlots::Add(uint64_t hash, std::size_t block, bool unique) {
    if ((used + 1) * 2 > entries.size()) Reserve(std::max<std::size_t>(used + 1, entries.size()));
    const std::size_t mask = entries.size() - 1;
    std::size_t i = std::size_t(hash) & mask;
    for (; entries[i].second; i = (i + 1) & mask)
        if (unique && entries[i].first == hash) return;
    entries[i] = {hash, uint32_t(block)};
    ++used;
}

template <class F>
void WineRegDocument::HashSlots::ForEach(uint64_t hash, F&& found) const {
    if (entries.empty()) return;
    const std::size_t mask = entries.size() - 1;
    for (std::size_t i = std::size_t(hash) & mask; entries[i].second; i = (i + 1) & mask)
        if (entries[i].first == hash && found(std::size_t(entries[i].second))) return;
}

std::optional<WineRegDocument> WineRegDocument::Parse(std::string_view bytes) {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    return Read(std::vector<uint8_t>(data, data + bytes.size()));
}

std::optional<WineRegDocument> WineRegDocument::Parse(std::vector<uint8_t>&& bytes) {
    return Read(std::move(bytes));
}

std::optional<WineRegDocument> WineRegDocument::Read(std::vector<uint8_t> bytes) {
    if (bytes.empty() || bytes.size() >= std::numeric_limits<uint32_t>::max()) return std::nullopt;
    const char* const data = reinterpret_cast<const char*>(bytes.data());
    const std::size_t size = bytes.size();
    // Wine writes LF; a file saved on Windows has CR LF. Lines are read without their CR,
    // so values and continuations read the same either way.
    const void* firstBreak = std::memchr(data, '\n', size);
    const std::size_t firstEnd =
        firstBreak ? std::size_t(static_cast<const char*>(firstBreak) - data) : size;
    const bool crlf = firstEnd > 0 && data[firstEnd - 1] == '\r';
    if (std::string_view(data, firstEnd - (crlf ? 1 : 0)) != kHeader) return std::nullopt;

    WineRegDocument doc;
    doc.crlf_ = crlf;
    doc.bytes_ = std::move(bytes);  // the buffer moves, `data` stays valid
    // Keys come every hundred bytes or so; room for more costs address space only.
    doc.blocks_.reserve(size / 48 + 16);
    doc.blocks_.push_back({0, uint32_t(size)});
    // Keys start their lines with "[": only those lines are looked at.
    std::size_t knownLine = std::string_view::npos;
    bool knownOpen = false;
    for (std::size_t pos = firstEnd; pos < size;) {
        const void* found = std::memchr(data + pos, '[', size - pos);
        if (!found) break;
        const std::size_t start = std::size_t(static_cast<const char*>(found) - data);
        pos = start + 1;
        if (data[start - 1] != '\n') continue;
        const bool continued = doc.Continues(start, knownLine, knownOpen);
        knownLine = start;
        knownOpen = continued;
        const void* lineBreak = std::memchr(data + start, '\n', size - start);
        std::size_t end =
            lineBreak ? std::size_t(static_cast<const char*>(lineBreak) - data) : size;
        pos = end;
        if (crlf && end > start && data[end - 1] == '\r') --end;
        const std::string_view line(data + start, end - start);
        if (const std::size_t close = KeyClose(line); !continued && close != std::string_view::npos)
            doc.AddBlock(start, line.substr(1, close - 1));
    }
    for (std::size_t b = 1; b < doc.blocks_.size(); ++b) doc.FileKey(b);
    return doc;
}

bool WineRegDocument::StartsHexValue(std::string_view line) {
    const auto value = ParseValueLine(line);
    return value && value->data.starts_with("hex");
}

bool WineRegDocument::Continues(std::size_t start, std::size_t knownLine, bool knownOpen) const {
    const char* const data = reinterpret_cast<const char*>(bytes_.data());
    // A hex value goes on over the following lines while each ends with "\": look back
    // over the lines that end so for the one that starts a hex value.
    while (start > 0) {
        std::size_t end = start - 1;  // the line break before
        if (crlf_ && end > 0 && data[end - 1] == '\r') --end;
        if (end == 0 || data[end - 1] != '\\') return false;
        const std::size_t before = std::string_view(data, end).rfind('\n');
        const std::size_t lineStart = before == std::string_view::npos ? 0 : before + 1;
        if (lineStart == knownLine) return knownOpen;
        if (lineStart < end && StartsHexValue(std::string_view(data + lineStart, end - lineStart)))
            return true;
        start = lineStart;
    }
    return false;
}

bool WineRegDocument::NextLine(std::size_t start, Line& line) const {
    const char* const data = reinterpret_cast<const char*>(bytes_.data());
    const std::size_t size = bytes_.size();
    auto lineAt = [&](std::size_t from, Line& into) {
        const void* found = std::memchr(data + from, '\n', size - from);
        std::size_t end = found ? std::size_t(static_cast<const char*>(found) - data) : size;
        into.begin = uint32_t(from);
        into.next = uint32_t(found ? end + 1 : size);
        if (crlf_ && end > from && data[end - 1] == '\r') --end;
        into.end = uint32_t(end);
        return found != nullptr;
    };
    bool more = lineAt(start, line);
    if (more && Text(line).ends_with('\\') && StartsHexValue(Text(line))) {
        Line piece = line;
        while (more && Text(piece).ends_with('\\')) more = lineAt(piece.next, piece);
        line.end = piece.end;
        line.next = piece.next;
    }
    return more;
}

std::vector<WineRegDocument::Line> WineRegDocument::LinesOf(std::size_t b) const {
    const Block& block = blocks_[b];
    if (block.edited >= 0) return edits_[std::size_t(block.edited)];
    std::vector<Line> lines;
    // The file's last block ends with the line after its last line break, maybe empty.
    const bool toEnd = block.end == bytes_.size();
    for (std::size_t start = block.begin;;) {
        Line line;
        const bool more = NextLine(start, line);
        lines.push_back(line);
        if (!more || (!toEnd && line.next >= block.end)) break;
        start = line.next;
    }
    return lines;
}

std::vector<WineRegDocument::Line>& WineRegDocument::Edit(std::size_t b) {
    if (blocks_[b].edited < 0) {
        edits_.push_back(LinesOf(b));
        blocks_[b].edited = int32_t(edits_.size() - 1);
    }
    return edits_[std::size_t(blocks_[b].edited)];
}

std::string_view WineRegDocument::Text(const Line& line) const {
    if (line.owned >= 0) return owned_[std::size_t(line.owned)];
    return std::string_view(reinterpret_cast<const char*>(bytes_.data()) + line.begin,
                            line.end - line.begin);
}

std::string_view WineRegDocument::KeyLine(std::size_t b) const {
    const Block& block = blocks_[b];
    if (block.edited >= 0) return Text(edits_[std::size_t(block.edited)].front());
    Line line;
    NextLine(block.begin, line);
    return Text(line);
}

void WineRegDocument::Own(Line& line, std::string text) {
    if (line.owned >= 0) {
        owned_[std::size_t(line.owned)] = std::move(text);
        return;
    }
    line.owned = int32_t(owned_.size());
    owned_.push_back(std::move(text));
}

void WineRegDocument::AddBlock(std::size_t begin, std::string_view path) {
    blocks_.back().end = uint32_t(begin);
    blocks_.push_back({uint32_t(begin), uint32_t(bytes_.size())});
    const std::size_t b = blocks_.size() - 1;
    FoldBuffer buffer;
    const auto folded = FoldRawKey(path, buffer);
    blocks_[b].hash = folded ? HashAscii(*folded) : HashFolded(FoldedKeyOf(b));
}

void WineRegDocument::FileKey(std::size_t b) {
    // Kept at most half full: grown to hold every key there is when it would pass that.
    if (blocks_.size() * 2 > byKey_.size()) {
        std::size_t size = 16;
        while (size < blocks_.size() * 2) size *= 2;
        byKey_.assign(size, 0);
        for (std::size_t filed = 1; filed < b; ++filed) FileKey(filed);
    }
    const std::size_t mask = byKey_.size() - 1;
    std::size_t i = std::size_t(blocks_[b].hash) & mask;
    while (byKey_[i]) i = (i + 1) & mask;
    byKey_[i] = uint32_t(b);
}

void WineRegDocument::AddAncestors(std::size_t b) const {
    const std::string_view line = KeyLine(b);
    FoldBuffer buffer;
    if (auto folded = FoldRawKey(line.substr(1, KeyClose(line) - 1), buffer)) {
        for (std::size_t p = 0; p < folded->size(); ++p)
            if ((*folded)[p] == '\\') ancestors_.Add(HashAscii(folded->substr(0, p)), b, true);
        return;
    }
    const std::u16string folded = FoldedKeyOf(b);
    for (std::size_t p = 0; p < folded.size(); ++p)
        if (folded[p] == u'\\')
            ancestors_.Add(HashFolded(std::u16string_view(folded).substr(0, p)), b, true);
}

template <class Out>
void WineRegDocument::WriteTo(Out& out) const {
    std::size_t size = bytes_.size();
    for (const std::string& text : owned_) size += text.size() + 2;
    out.reserve(size);
    const char* const data = reinterpret_cast<const char*>(bytes_.data());
    auto put = [&](const char* from, std::size_t count) {
        const auto* begin = reinterpret_cast<const typename Out::value_type*>(from);
        out.insert(out.end(), begin, begin + count);
    };
    const std::string_view newline = crlf_ ? "\r\n" : "\n";
    const bool endsInLf = !bytes_.empty() && bytes_.back() == '\n';
    // Blocks not changed go out as read, those next to each other in one piece.
    std::size_t runBegin = 0, runEnd = 0;
    for (std::size_t b = 0; b < blocks_.size(); ++b) {
        const Block& block = blocks_[b];
        if (block.edited < 0) {
            if (runEnd != block.begin) {
                put(data + runBegin, runEnd - runBegin);
                runBegin = block.begin;
            }
            runEnd = block.end;
            continue;
        }
        put(data + runBegin, runEnd - runBegin);
        runBegin = runEnd = 0;
        const std::vector<Line>& lines = edits_[std::size_t(block.edited)];
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const Line& line = lines[i];
            const std::string_view text = Text(line);
            if (crlf_ && line.owned >= 0) {
                // Continued hex values hold their own line breaks.
                for (std::size_t from = 0; from < text.size();) {
                    const std::size_t lf = std::min(text.find('\n', from), text.size());
                    put(text.data() + from, lf - from);
                    if (lf < text.size()) put(newline.data(), newline.size());
                    from = lf + 1;
                }
            } else {
                put(text.data(), text.size());
            }
            // Its line end as read, unless it was the file's last line and now has lines
            // after it; a line Set wrote gets the file's.
            const bool last = b + 1 == blocks_.size() && i + 1 == lines.size();
            if (last || (line.next > line.end && (line.next < bytes_.size() || endsInLf)))
                put(data + line.end, line.next - line.end);
            else
                put(newline.data(), newline.size());
        }
    }
    put(data + runBegin, runEnd - runBegin);
}

std::string WineRegDocument::Serialize() const {
    std::string out;
    WriteTo(out);
    return out;
}

std::vector<uint8_t> WineRegDocument::SerializeBytes() const {
    std::vector<uint8_t> out;
    WriteTo(out);
    return out;
}

std::optional<std::vector<std::u16string>> WineRegDocument::ParseKeyLine(std::string_view line) {
    const std::size_t close = KeyClose(line);
    if (close == std::string_view::npos) return std::nullopt;
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

std::u16string WineRegDocument::FoldedKeyOf(std::size_t b) const {
    return FoldedPath(*ParseKeyLine(KeyLine(b)));
}

std::vector<std::size_t> WineRegDocument::BlocksOf(const std::u16string& folded) const {
    std::vector<std::size_t> found;
    const uint64_t hash = HashFolded(folded);
    const std::size_t mask = byKey_.size() - 1;
    for (std::size_t i = std::size_t(hash) & mask; !byKey_.empty() && byKey_[i]; i = (i + 1) & mask)
        if (blocks_[byKey_[i]].hash == hash && FoldedKeyOf(byKey_[i]) == folded)
            found.push_back(byKey_[i]);
    std::sort(found.begin(), found.end());
    return found;
}

bool WineRegDocument::IsWin64() const {
    for (const Line& header : LinesOf(0)) {
        std::string_view line = Text(header);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line == "#arch=win64") return true;
        if (line == "#arch=win32") return false;
    }
    return HasKey(u"Software\\Wow6432Node");
}

bool WineRegDocument::HasKey(std::u16string_view key) const {
    return AtOrBelow(FoldedPath(RegKeyLevels(key))).has_value();
}

std::optional<std::size_t> WineRegDocument::AtOrBelow(const std::u16string& folded) const {
    if (const std::vector<std::size_t> exact = BlocksOf(folded); !exact.empty())
        return exact.front();
    if (folded.empty()) return std::nullopt;
    // A key below it implies it.
    if (!ancestorsMade_) {
        ancestorsMade_ = true;
        for (std::size_t b = 1; b < blocks_.size(); ++b) AddAncestors(b);
    }
    const std::u16string below = folded + u'\\';
    std::optional<std::size_t> found;
    bool otherPath = false;
    ancestors_.ForEach(HashFolded(folded), [&](std::size_t b) {
        if (FoldedKeyOf(b).starts_with(below))
            found = b;
        else
            otherPath = true;
        return true;
    });
    if (found || !otherPath) return found;
    // Another path with the same hash holds the slot: look at every key.
    for (std::size_t b = 1; b < blocks_.size(); ++b)
        if (FoldedKeyOf(b).starts_with(below)) return b;
    return std::nullopt;
}

std::optional<RegRawValue> WineRegDocument::Query(std::u16string_view key,
                                                  std::u16string_view name) const {
    std::optional<std::string_view> data;
    for (std::size_t b : BlocksOf(FoldedPath(RegKeyLevels(key)))) {
        const std::vector<Line> lines = LinesOf(b);
        for (std::size_t i = 1; i < lines.size(); ++i) {
            auto value = ParseValueLine(Text(lines[i]));
            if (value && RegNamesEqual(value->name, name)) data = value->data;
        }
    }
    if (!data) return std::nullopt;
    return DecodeData(*data);
}

void WineRegDocument::Stamp(std::size_t b, std::chrono::system_clock::time_point now) {
    const auto since1970 =
        std::chrono::duration_cast<std::chrono::nanoseconds>(now.time_since_epoch()).count();
    const int64_t seconds = since1970 / 1000000000;
    const uint64_t fileTime =
        uint64_t(since1970 / 100) + uint64_t(kFileTimeEpochOffset) * 10000000u;

    std::vector<Line>& lines = Edit(b);
    const std::string_view keyLine = Text(lines.front());
    const std::size_t close = keyLine.rfind(']');
    const std::string_view after = keyLine.substr(close + 1);
    if (after.size() > 1 && after[0] == ' ' &&
        std::all_of(after.begin() + 1, after.end(), [](char c) { return c >= '0' && c <= '9'; }))
        Own(lines.front(),
            std::string(keyLine.substr(0, close + 1)) + " " + std::to_string(seconds));
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (Text(lines[i]).starts_with("#time=")) {
            Own(lines[i], "#time=" + Hex(fileTime, 1));
            break;
        }
    }
}

bool WineRegDocument::Set(std::u16string_view key, std::u16string_view name,
                          const RegRawValue& value, std::chrono::system_clock::time_point now) {
    std::vector<std::u16string> levels = RegKeyLevels(key);
    if (levels.empty()) return false;
    const std::string text = FormatValueLine(name, value);
    const std::vector<std::size_t> blocks = BlocksOf(FoldedPath(levels));
    if (!blocks.empty()) {
        // The line that gives the value its content now, if any.
        std::optional<std::pair<std::size_t, std::size_t>> defining;
        for (std::size_t b : blocks) {
            const std::vector<Line> lines = LinesOf(b);
            for (std::size_t i = 1; i < lines.size(); ++i) {
                auto v = ParseValueLine(Text(lines[i]));
                if (v && RegNamesEqual(v->name, name)) defining = {b, i};
            }
        }
        if (defining) {
            Own(Edit(defining->first)[defining->second], text);
            Stamp(defining->first, now);
            return true;
        }
        // A new value goes among the others in name order, as Wine keeps them.
        std::vector<Line>& lines = Edit(blocks.back());
        const std::u16string folded = RegFoldName(name);
        std::size_t at = 1;
        for (std::size_t i = 1; i < lines.size(); ++i) {
            if (Text(lines[i]).empty()) continue;
            auto v = ParseValueLine(Text(lines[i]));
            if (v && RegFoldName(v->name) > folded) break;
            at = i + 1;
        }
        Line added;
        Own(added, text);
        lines.insert(lines.begin() + std::ptrdiff_t(at), added);
        Stamp(blocks.back(), now);
        return true;
    }

    // A new key: spelt like its nearest existing ancestor, the rest as given.
    for (std::size_t n = levels.size() - 1; n > 0; --n) {
        const std::vector<std::u16string> ancestor(levels.begin(),
                                                   levels.begin() + std::ptrdiff_t(n));
        const std::optional<std::size_t> b = AtOrBelow(FoldedPath(ancestor));
        if (!b) continue;
        const auto spelt = ParseKeyLine(KeyLine(*b));
        std::copy_n(spelt->begin(), n, levels.begin());
        break;
    }
    // It goes at the end, after an empty line, and the file keeps its last line end.
    std::vector<Line>& before = Edit(blocks_.size() - 1);
    std::vector<Line> lines(3);
    Own(lines[0], "[" + Escape(JoinKey(levels), false) + "] 0");
    Own(lines[1], "#time=0");
    Own(lines[2], text);
    Line last;
    if (Text(before.back()).empty()) {
        last = before.back();
        before.pop_back();
    } else {
        Own(last, "");
    }
    Line empty;
    Own(empty, "");
    before.push_back(empty);
    lines.push_back(last);
    edits_.push_back(std::move(lines));
    blocks_.push_back({0, 0, int32_t(edits_.size() - 1)});
    const std::size_t b = blocks_.size() - 1;
    blocks_[b].hash = HashFolded(FoldedKeyOf(b));
    FileKey(b);
    if (ancestorsMade_) AddAncestors(b);
    Stamp(b, now);
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
