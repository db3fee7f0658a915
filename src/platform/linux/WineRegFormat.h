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
// characters and everything outside ASCII ("\x30c6"). The document keeps the file's bytes
// and writes every line it did not change back as read, so that a rewrite changes only the
// lines of the values it sets (and the time stamps of their keys). Key and value names
// compare without regard to case. A prefix's file holds tens of thousands of keys: they
// are found by a hash of their folded path, and parsed only when a look-up needs them.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

namespace qm {

class WineRegDocument {
  public:
    static constexpr std::string_view kHeader = "WINE REGISTRY Version 2";

    // Nothing when the bytes do not start with the header line (or pass 4 GiB).
    static std::optional<WineRegDocument> Parse(std::string_view bytes);
    // The same, keeping the buffer instead of a copy.
    static std::optional<WineRegDocument> Parse(std::vector<uint8_t>&& bytes);
    // The file's bytes: every line not changed since Parse exactly as it was read.
    std::string Serialize() const;
    std::vector<uint8_t> SerializeBytes() const;

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
    // A line of the file (a continued hex value is one line), or one Set wrote.
    struct Line {
        uint32_t begin = 0, end = 0;  // its text in bytes_, without the CR of a CR LF
        uint32_t next = 0;            // [end, next) is its line end as read
        int32_t owned = -1;           // index into owned_ once Set wrote it
    };
    // Block 0 holds the lines before the first key; each other block a key's line and
    // the lines up to the next key. Only a block Set changed has its lines listed; the
    // others are read from bytes_ when asked and written back as they are.
    struct Block {
        uint32_t begin = 0, end = 0;  // in bytes_
        int32_t edited = -1;          // index into edits_
        uint64_t hash = 0;            // of the key's folded path
    };
    struct ValueLine {
        std::u16string name;
        std::string_view data;  // what follows "="
    };
    // Open addressing by a hash of a folded key path; values are block numbers.
    struct HashSlots {
        std::vector<std::pair<uint64_t, uint32_t>> entries;  // block; 0: free
        std::size_t used = 0;
        void Reserve(std::size_t count);
        // `unique`: a hash already there keeps its first block.
        void Add(uint64_t hash, std::size_t block, bool unique);
        template <class F>
        void ForEach(uint64_t hash, F&& found) const;  // until found() says true
    };

    static std::optional<WineRegDocument> Read(std::vector<uint8_t> bytes);
    // Whether the line starting at `start` goes on a hex value of the lines before it.
    // knownLine is the last line asked about before, knownOpen the answer for it: the look
    // back stops there, so that a file is looked at once however its lines end.
    bool Continues(std::size_t start, std::size_t knownLine, bool knownOpen) const;
    // The line starting at `start`; true when a line follows it.
    bool NextLine(std::size_t start, Line& line) const;
    std::vector<Line> LinesOf(std::size_t block) const;
    std::vector<Line>& Edit(std::size_t block);
    std::string_view Text(const Line& line) const;
    std::string_view KeyLine(std::size_t block) const;
    // The block of the key line at `begin`, whose path in brackets is `path`.
    void AddBlock(std::size_t begin, std::string_view path);
    void AddAncestors(std::size_t block) const;
    void FileKey(std::size_t block);
    template <class Out>
    void WriteTo(Out& out) const;
    static std::optional<std::vector<std::u16string>> ParseKeyLine(std::string_view line);
    static std::optional<ValueLine> ParseValueLine(std::string_view line);
    static bool StartsHexValue(std::string_view line);
    std::u16string FoldedKeyOf(std::size_t block) const;
    std::vector<std::size_t> BlocksOf(const std::u16string& folded) const;
    // The key's own block, or else one of a key below it.
    std::optional<std::size_t> AtOrBelow(const std::u16string& folded) const;
    void Own(Line& line, std::string text);
    void Stamp(std::size_t block, std::chrono::system_clock::time_point now);

    bool crlf_ = false;           // the file's lines end in CR LF
    std::vector<uint8_t> bytes_;  // the file as read
    std::vector<Block> blocks_;
    std::vector<std::vector<Line>> edits_;
    std::vector<std::string> owned_;
    // Every key's block by Block::hash, open addressing; 0: free.
    std::vector<uint32_t> byKey_;
    // Every key's ancestors, made when a look-up first asks for a key below another.
    mutable HashSlots ancestors_;
    mutable bool ancestorsMade_ = false;
};

}  // namespace qm
