// The command table of quillmor-cli: usage texts, option lists and dispatch.

#include <array>
#include <cstdio>

#include "cli/CliCommon.h"
#include "cli/Commands.h"
#include "preview/ChatInterpreter.h"

namespace qm::cli {

namespace {

struct Command {
    std::string_view name;
    std::string_view usage;  // after "quillmor-cli "
    std::string_view help;   // the rest of the --help text
    std::span<const OptionDef> options;
    std::size_t minOperands;
    std::size_t maxOperands;
    int (*run)(const ParsedArgs&);
};

constexpr std::size_t kMany = std::size_t(-1);

constexpr OptionDef kNoOptions[] = {{"", false}};
constexpr OptionDef kSetOptions[] = {{"utf8", false}, {"book", true}};
constexpr OptionDef kPreviewOptions[] = {
    {"name", true}, {"seed", true}, {"clock", true}, {"book", true}};
constexpr OptionDef kFindOptions[] = {{"regex", false}};
constexpr OptionDef kReplaceOptions[] = {{"regex", false}, {"dry-run", false}};
constexpr OptionDef kChatOptions[] = {{"name", true}, {"target", true}, {"pos", true},
                                      {"tp", true},   {"seed", true},   {"clock", true}};

constexpr std::string_view kSampleOptionsHelp =
    "  --name NAME   the character's own name (default: Myname)\n"
    "  --seed N      seed of the random draws; the same seed gives the same lines\n"
    "  --clock TIME  the time /clock shows, as 2024-05-01T13:45:00 (default: now)\n";

const std::array<Command, 12>& Commands() {
    static const std::array<Command, 12> commands{{
        {"md5", "md5 FILE",
         "Prints the MD5 digest of a macro file's body: the 7600 bytes after its 24-byte\n"
         "header, as 32 upper-case hexadecimal digits. A file shorter than 7624 bytes is\n"
         "an error.\n",
         std::span(kNoOptions, 0), 1, 1, RunMd5},
        {"check", "check FOLDER...",
         "Checks the macro files of each character folder: the ten of book 1 (mcr.dat to\n"
         "mcr9.dat) always, and those of books 2-40 (mcr10.dat to mcr399.dat) that are\n"
         "there. One line per file: path, present/missing/unreadable, stored digest,\n"
         "computed digest, and OK, MISMATCH or SHORT (cut off before 7624 bytes),\n"
         "separated by tabs. Then the book title files mcr.ttl and mcr_2.ttl that are\n"
         "there, the digest over their bytes 24-343: OK, MISMATCH or SIZE (not 344\n"
         "bytes); such a file's names are not shown and it is never written.\n"
         "Exit status 1 when any present file does not check out.\n",
         std::span(kNoOptions, 0), 1, kMany, RunCheck},
        {"export", "export [--utf8] [--book N] FOLDER SET [OUT]",
         "Writes the backup text of set 1-10 of the folder, as the window's drag handle\n"
         "makes it: 140 fields (title and six lines of macros 1 to 20) each ended by\n"
         "CR LF, one more CR LF, in CP932. To OUT, or to standard output when OUT is\n"
         "missing or '-'.\n"
         "  --utf8    write UTF-8 with LF line ends instead, for reading in a terminal\n"
         "  --book N  the set of book 1-40 (default 1)\n",
         std::span(kSetOptions), 2, 3, RunExport},
        {"import", "import [--utf8] [--book N] FOLDER SET FILE",
         "Restores a backup text into set 1-10 of the folder, as a drop on the window's\n"
         "drag handle does, and writes that one macro file with a fresh digest. Fields\n"
         "too long for the game are skipped with a warning and keep their old text.\n"
         "FILE '-' reads standard input. The file is replaced in one step; bytes past\n"
         "its 7624 bytes are kept.\n"
         "  --utf8    read UTF-8 (LF or CR LF line ends) instead of CP932\n"
         "  --book N  the set of book 1-40 (default 1)\n",
         std::span(kSetOptions), 3, 3, RunImport},
        {"fix", "fix FOLDER...",
         "Rewrites the digest of every present macro file (mcr.dat to mcr399.dat, all\n"
         "40 books) whose digest is wrong, and nothing else. Prints path, 'fixed', old\n"
         "and new digest for each change. Files shorter than 7624 bytes are reported\n"
         "and left alone (exit status 1). The same for the title files mcr.ttl and\n"
         "mcr_2.ttl; one that is not 344 bytes is reported and left alone (exit status 1).\n",
         std::span(kNoOptions, 0), 1, kMany, RunFix},
        {"preview", "preview [--name NAME] [--seed N] [--clock TIME] [--book N] FOLDER SET MACRO",
         "Prints the chat log lines the window's preview paints for macro 1-20 of set\n"
         "1-10, one per line as RRGGBB<TAB>text, in the colours of the folder's cnf.dat\n"
         "and with target names from its acq.dat.\n"
         "  --book N      the set of book 1-40 (default 1)\n",
         std::span(kPreviewOptions), 3, 3, RunPreview},
        {"chat",
         "chat [--name NAME] [--target T] [--pos P] [--tp N] [--seed N] [--clock TIME] "
         "LINE...",
         "Interprets up to six macro lines in order, as one macro, and prints\n"
         "ENTRY<TAB>text for each produced line (ENTRY: the colour table entry).\n"
         "Target, position and TP are drawn as the preview draws them unless given.\n"
         "  --target T    the text of <t>\n"
         "  --pos P       the text of <pos>, e.g. (C-7)\n"
         "  --tp N        the TP of <tp>\n"
         "Put '--' before lines that start with '-'.\n",
         std::span(kChatOptions), 1, 6, RunChat},
        {"books", "books FOLDER",
         "Prints the 40 books of the folder, one per line: the book number, its title\n"
         "(empty when it has none) and the number of its macro files present, separated\n"
         "by tabs. Books 1-20 are named in mcr.ttl, books 21-40 in mcr_2.ttl; a title\n"
         "file that is not known to follow the layout is warned about, its books show\n"
         "no title, and the exit status is 1.\n",
         std::span(kNoOptions, 0), 1, 1, RunBooks},
        {"title", "title FOLDER BOOK TEXT",
         "Sets the title of book 1-40 to TEXT (in the terminal's encoding; empty TEXT\n"
         "removes it). Only that title field and the file's digest change; a missing\n"
         "title file is made. A title over 15 bytes in CP932, characters with no CP932\n"
         "form, or a title file not known to follow the layout: exit status 2, nothing\n"
         "written.\n",
         std::span(kNoOptions, 0), 3, 3, RunTitle},
        {"find", "find [--regex] PATTERN FOLDER...",
         "Finds PATTERN in the titles and lines of every book of each character folder.\n"
         "One line per field that holds it: FOLDER, BOOK, SET, MACRO, FIELD ('title' or\n"
         "the line 1-6) and the field's text, separated by tabs. Auto-translate phrases\n"
         "and bytes that are no text show as escape forms between ⟦ and ⟧; a match never\n"
         "begins or ends inside one. Exit status 0 when something matched, 1 when\n"
         "nothing did, 2 on an error.\n"
         "  --regex   PATTERN is a regular expression (ECMAScript syntax)\n",
         std::span(kFindOptions), 2, kMany, RunFind},
        {"replace", "replace [--regex] [--dry-run] PATTERN REPLACEMENT FOLDER...",
         "Replaces PATTERN by REPLACEMENT in the titles and lines of every book of each\n"
         "character folder. Every change is worked out first and printed as FOLDER,\n"
         "BOOK, SET, MACRO, FIELD, the text before and the text after, separated by tabs.\n"
         "When any result would not fit its field (8 bytes for a title, 60 for a line),\n"
         "would hold characters the game cannot store or would change a phrase, nothing\n"
         "of that folder is written and each such change is listed (exit status 2).\n"
         "Otherwise the folder's changed files are written with fresh digests, in one\n"
         "step. Exit status 0 when something was replaced, 1 when nothing matched.\n"
         "  --regex    PATTERN is a regular expression (ECMAScript syntax); REPLACEMENT\n"
         "             may use $1..$9, $& and $$\n"
         "  --dry-run  print the changes, write nothing\n",
         std::span(kReplaceOptions), 3, kMany, RunReplace},
        {"copy", "copy FROM TO",
         "Copies one set (FROM and TO as FOLDER:BOOK:SET) or a whole book of ten sets\n"
         "(FOLDER:BOOK) from one character folder to another, or within one. The target\n"
         "set's macros become the source's byte for byte, phrases and all; the target\n"
         "file's reserved bytes and any bytes past its 7624 are kept, and its digest is\n"
         "made anew. BOOK is 1-40, SET 1-10.\n",
         std::span(kNoOptions, 0), 2, 2, RunCopy},
    }};
    return commands;
}

void PrintOverview(std::FILE* to) {
    std::string text =
        "quillmor-cli - macro folder tools for the command line\n"
        "usage: quillmor-cli COMMAND [ARGS...]\n"
        "       quillmor-cli COMMAND --help\n\ncommands:\n";
    for (const Command& c : Commands()) text += "  quillmor-cli " + std::string(c.usage) + "\n";
    std::fwrite(text.data(), 1, text.size(), to);
}

int UsageError(const Command& command, std::string_view message) {
    Error(message);
    std::string line = "usage: quillmor-cli " + std::string(command.usage) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    return kExitUsage;
}

}  // namespace

int Main(std::span<const std::string> args) {
    if (args.empty()) {
        Error("no command given");
        PrintOverview(stderr);
        return kExitUsage;
    }
    const std::string& name = args[0];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintOverview(stdout);
        return FlushOut() ? kExitOk : kExitUsage;
    }
    if (name == "--version") {
        Out("quillmor-cli " + Utf8(kToolVersion) + "\n");
        return FlushOut() ? kExitOk : kExitUsage;
    }
    const Command* command = nullptr;
    for (const Command& c : Commands()) {
        if (c.name == name) command = &c;
    }
    if (!command) {
        Error("unknown command '" + name + "'");
        PrintOverview(stderr);
        return kExitUsage;
    }

    ParsedArgs parsed;
    if (auto problem = ParseArgs(args.subspan(1), command->options, parsed)) {
        return UsageError(*command, *problem);
    }
    if (parsed.help) {
        Out("usage: quillmor-cli " + std::string(command->usage) + "\n\n" +
            std::string(command->help));
        if (command->run == RunPreview || command->run == RunChat) Out(kSampleOptionsHelp);
        return FlushOut() ? kExitOk : kExitUsage;
    }
    const std::size_t n = parsed.operands.size();
    if (n < command->minOperands) return UsageError(*command, "too few arguments");
    if (n > command->maxOperands) return UsageError(*command, "too many arguments");
    const int status = command->run(parsed);
    if (status == kExitUsage && ArgumentErrorSeen()) {
        std::string line = "usage: quillmor-cli " + std::string(command->usage) + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
    }
    return status;
}

}  // namespace qm::cli
