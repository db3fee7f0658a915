#include "cli/CliArgs.h"

#include <algorithm>
#include <charconv>

namespace qm::cli {

const std::string* ParsedArgs::Value(std::string_view name) const {
    auto it = values.find(name);
    return it == values.end() ? nullptr : &it->second;
}

std::optional<std::string> ParseArgs(std::span<const std::string> args,
                                     std::span<const OptionDef> known, ParsedArgs& out) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            out.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            out.help = true;
            continue;
        }
        if (arg.rfind("--", 0) != 0) return "unknown option " + arg;
        std::string_view body = std::string_view(arg).substr(2);
        std::optional<std::string> inlineValue;
        if (auto eq = body.find('='); eq != std::string_view::npos) {
            inlineValue = std::string(body.substr(eq + 1));
            body = body.substr(0, eq);
        }
        auto def = std::find_if(known.begin(), known.end(),
                                [&](const OptionDef& s) { return s.name == body; });
        if (def == known.end()) return "unknown option --" + std::string(body);
        if (!def->takesValue) {
            if (inlineValue) return "option --" + std::string(body) + " takes no value";
            out.values[std::string(body)] = "";
        } else if (inlineValue) {
            out.values[std::string(body)] = *inlineValue;
        } else if (i + 1 < args.size()) {
            out.values[std::string(body)] = args[++i];
        } else {
            return "option --" + std::string(body) + " needs a value";
        }
    }
    return std::nullopt;
}

std::optional<long long> ParseInteger(std::string_view text, long long low, long long high) {
    if (text.empty()) return std::nullopt;
    // from_chars would accept neither "+" nor spaces, which is what we want; it does
    // stop early at a non-digit, so insist that it consumed everything.
    long long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (value < low || value > high) return std::nullopt;
    return value;
}

std::optional<uint64_t> ParseSeed(std::string_view text) {
    if (text.empty() || text[0] == '-') return std::nullopt;
    uint64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<LocalDateTime> ParseClock(std::string_view text) {
    // Fixed widths: YYYY-MM-DD?hh:mm:ss
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' ||
        (text[10] != ' ' && text[10] != 'T') || text[13] != ':' || text[16] != ':') {
        return std::nullopt;
    }
    auto field = [&](std::size_t pos, std::size_t len, long long low,
                     long long high) -> std::optional<long long> {
        std::string_view part = text.substr(pos, len);
        if (!std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            return std::nullopt;
        }
        return ParseInteger(part, low, high);
    };
    auto year = field(0, 4, 1, 9999), month = field(5, 2, 1, 12), day = field(8, 2, 1, 31),
         hour = field(11, 2, 0, 23), minute = field(14, 2, 0, 59), second = field(17, 2, 0, 59);
    if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (*year % 4 == 0 && *year % 100 != 0) || *year % 400 == 0;
    const int maxDay = *month == 2 ? (leap ? 29 : 28) : kDays[*month - 1];
    if (*day > maxDay) return std::nullopt;
    return LocalDateTime{int(*year), int(*month),  int(*day),
                         int(*hour), int(*minute), int(*second)};
}

}  // namespace qm::cli
