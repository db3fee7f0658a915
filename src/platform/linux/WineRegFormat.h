#pragma once
// Wine's own registry file format, as in a prefix's system.reg:
//
//   WINE REGISTRY Version 2
//   ;; All keys relative to REGISTRY\\Machine
//   #arch=win64
//
//   [Software\\Wow6432Node\\PlayOnline\\InstallFolder] 1796622278
//   #time=1dd860e0c875012
//   "0001"="C:\\Program Files (x86)\\\x30c6\x30b9\x30c8\\"
//   "0007"=dword:00000001
//   "Other"=hex(7):41,00,00,00,   (a long one goes on with "\" at the line end)
//   @=str(2):"%SystemRoot%"
//
// Key paths are relative to the file's root; names and texts escape "\", quotes, control
// characters and everything outside ASCII ("\x30c6"). The document keeps every line as
// its bytes, so that a rewrite changes only the lines of the values it sets (and the time
// stamps of their keys). Key and value names compare without regard to case.

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

namespace qm {

class WineRegDocument {
  public:
    static constexpr std::string_view kHeader = "WINE REGISTRY Version 2";

    // Nothing when the bytes do not start with the header line.
    static std::optional<WineRegDocument> Parse(std::string_view bytes);
    // The file's bytes: every line not changed since Parse exactly as it was read.
    std::string Serialize() const;

    // "#arch=win64"; without that line, a "Software\Wow6432Node" key tells.
    bool IsWin64() const;

    // Text values ("...", str(n), and hex(1), hex(2), hex(7)) come back as CP932 bytes,
    // the form RegRawValue holds everywhere; other types as their bytes.
    std::optional<RegRawValue> Query(std::u16string_view key, std::u16string_view name) const;
    bool HasKey(std::u16string_view key) const;
    // Changes the line that defines the value, or adds one (and the key's section when
    // the key is new). The key's time stamps become `now`. False for an empty key path.
    bool Set(std::u16string_view key, std::u16string_view name, const RegRawValue& value,
             std::chrono::system_clock::time_point now);

    // One value line as Set writes it (a hex value may span lines joined by "\n").
    static std::string FormatValueLine(std::u16string_view name, const RegRawValue& value);
    // Text with Wine's escapes, without the surrounding quotes.
    static std::string Escape(std::u16string_view text, bool inQuotes);
    // The reverse; stops at an unescaped quote when inQuotes. *used (if given) receives
    // the number of bytes taken, the closing quote excluded.
    static std::u16string Unescape(std::string_view text, bool inQuotes,
                                   std::size_t* used = nullptr);

  private:
    bool crlf_ = false;  // the file's lines end in CR LF
    struct Section {
        std::size_t keyLine;                 // index into lines_
        std::size_t end;                     // one past its last line
        std::vector<std::u16string> levels;  // as written
    };
    struct ValueLine {
        std::u16string name;
        std::string_view data;  // what follows "="
    };

    void Index();
    static std::optional<std::vector<std::u16string>> ParseKeyLine(std::string_view line);
    static std::optional<ValueLine> ParseValueLine(std::string_view line);
    std::vector<std::size_t> SectionsOf(std::u16string_view key) const;
    // The key's own section, or else one of a key below it; end() when there is none.
    std::multimap<std::u16string, std::size_t>::const_iterator AtOrBelow(
        const std::u16string& folded) const;
    void Stamp(const Section& section, std::chrono::system_clock::time_point now);

    std::vector<std::string> lines_;  // continuation lines joined by "\n"
    std::vector<Section> sections_;
    std::multimap<std::u16string, std::size_t> byKey_;  // folded path -> section index
};

}  // namespace qm
