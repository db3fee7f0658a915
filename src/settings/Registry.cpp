#include "settings/Registry.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "macro/Cp932.h"

namespace qm {

namespace {

// Room the text read has, terminator included; a longer string is not read.
constexpr std::size_t kTextBufferBytes = 1024;

std::optional<std::u16string> QueryText(IRegistryBackend& reg, Hive hive, std::u16string_view key,
                                        std::u16string_view name) {
    auto raw = reg.Query(hive, key, name);
    if (!raw) return std::nullopt;
    const auto& data = raw->data;
    const bool terminated = !data.empty() && data.back() == 0;
    const std::size_t needed = data.size() + (terminated ? 0 : 1);
    if (needed >= kTextBufferBytes) return std::nullopt;
    const auto end = std::find(data.begin(), data.end(), uint8_t{0});
    return Cp932Decode(std::span<const uint8_t>(data.data(), end - data.begin()));
}

std::optional<int32_t> QueryNumber(IRegistryBackend& reg, Hive hive, std::u16string_view key,
                                   std::u16string_view name) {
    auto raw = reg.Query(hive, key, name);
    if (!raw || raw->data.size() > 4) return std::nullopt;
    uint32_t bits = 0;
    for (std::size_t i = 0; i < raw->data.size(); ++i) bits |= uint32_t{raw->data[i]} << (8 * i);
    return static_cast<int32_t>(bits);
}

std::u16string DecimalText(int32_t value) {
    const std::string s = std::to_string(value);
    return std::u16string(s.begin(), s.end());
}

// A whole decimal number with an optional sign and surrounding blanks, in 32-bit range.
std::optional<int32_t> ParseDecimal(std::u16string_view text) {
    const auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    std::string ascii;
    for (char16_t c : text) {
        if (c > 0x7F) return std::nullopt;
        ascii.push_back(static_cast<char>(c));
    }
    if (!ascii.empty() && ascii.front() == '+') ascii.erase(0, 1);
    int32_t value = 0;
    const char* first = ascii.data();
    const char* last = first + ascii.size();
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ascii.empty() || ec != std::errc() || ptr != last) return std::nullopt;
    return value;
}

}  // namespace

RegRawValue RegTextValue(std::u16string_view text) {
    RegRawValue v;
    v.type = REG_SZ_TYPE;
    v.data = Cp932Encode(text);
    v.data.push_back(0);
    return v;
}

RegRawValue RegNumberValue(int32_t number) {
    RegRawValue v;
    v.type = REG_DWORD_TYPE;
    const auto bits = static_cast<uint32_t>(number);
    for (int i = 0; i < 4; ++i) v.data.push_back(static_cast<uint8_t>(bits >> (8 * i)));
    return v;
}

int32_t RegReadValue(IRegistryBackend& reg, Hive hive, std::u16string_view key,
                     std::u16string_view name, uint32_t type, int32_t defaultValue) {
    if (type == REG_DWORD_TYPE) return QueryNumber(reg, hive, key, name).value_or(defaultValue);
    if (type == REG_SZ_TYPE) {
        if (auto text = QueryText(reg, hive, key, name))
            return ParseDecimal(*text).value_or(defaultValue);
    }
    return defaultValue;
}

std::u16string RegReadValue(IRegistryBackend& reg, Hive hive, std::u16string_view key,
                            std::u16string_view name, uint32_t type,
                            std::u16string_view defaultValue) {
    if (type == REG_SZ_TYPE) {
        if (auto text = QueryText(reg, hive, key, name)) return *text;
    } else if (type == REG_DWORD_TYPE) {
        if (auto number = QueryNumber(reg, hive, key, name)) return DecimalText(*number);
    }
    return std::u16string(defaultValue);
}

bool RegWriteValue(IRegistryBackend& reg, Hive hive, std::u16string_view key,
                   std::u16string_view name, uint32_t type, int32_t value) {
    if (type == REG_DWORD_TYPE) return reg.Set(hive, key, name, RegNumberValue(value));
    if (type == REG_SZ_TYPE) return reg.Set(hive, key, name, RegTextValue(DecimalText(value)));
    return false;
}

bool RegWriteValue(IRegistryBackend& reg, Hive hive, std::u16string_view key,
                   std::u16string_view name, uint32_t type, std::u16string_view value) {
    if (type == REG_SZ_TYPE) return reg.Set(hive, key, name, RegTextValue(value));
    if (type == REG_DWORD_TYPE) {
        if (auto number = ParseDecimal(value))
            return reg.Set(hive, key, name, RegNumberValue(*number));
    }
    return false;
}

}  // namespace qm
