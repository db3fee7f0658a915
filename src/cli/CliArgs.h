#pragma once
// Argument parsing for quillmor-cli: long options before, after or between the
// operands, "--" ends the options, a lone "-" is an operand (standard input or output).

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Interfaces.h"

namespace qm::cli {

struct OptionDef {
    std::string_view name;  // without the leading "--"
    bool takesValue = false;
};

struct ParsedArgs {
    std::vector<std::string> operands;
    std::map<std::string, std::string, std::less<>> values;  // flags map to ""
    bool help = false;

    bool Has(std::string_view name) const { return values.find(name) != values.end(); }
    const std::string* Value(std::string_view name) const;
};

// Fills out, or returns what is wrong with the arguments. "-h" and "--help" set help.
std::optional<std::string> ParseArgs(std::span<const std::string> args,
                                     std::span<const OptionDef> known, ParsedArgs& out);

// A decimal integer within [low, high]: digits only, an optional leading "-".
std::optional<long long> ParseInteger(std::string_view text, long long low, long long high);

// A seed: decimal digits, up to 2^64 - 1.
std::optional<uint64_t> ParseSeed(std::string_view text);

// "YYYY-MM-DD hh:mm:ss", the separator a space or a "T", each field in range.
std::optional<LocalDateTime> ParseClock(std::string_view text);

}  // namespace qm::cli
