// find, replace and copy: whole characters opened as documents, as the window opens them,
// and saved through the same plan.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "cli/CliCommon.h"
#include "cli/Commands.h"
#include "document/CharacterDocument.h"
#include "document/FindReplace.h"
#include "storage/Paths.h"
#include "storage/SavePlan.h"
#include "storage/Utf.h"

namespace qm::cli {

namespace {

std::string OpenErrorText(const std::filesystem::path& folder, const OpenError& error) {
    const std::string shown = "'" + Shown(folder) + "'";
    switch (error.kind) {
        case OpenError::Kind::NotAFolder:
            return shown + " is not a folder";
        case OpenError::Kind::MacroFileUnreadable: {
            const MacroOnDisk disk = ReadMacroOnDisk(folder, error.file);
            return CannotRead(disk);
        }
        case OpenError::Kind::CnfUnreadable:
            return "cannot read '" + Shown(folder / "cnf.dat") + "': " + error.cause.message();
    }
    return "cannot open " + shown;
}

std::unique_ptr<CharacterDocument> OpenFolder(const std::filesystem::path& folder) {
    auto opened = CharacterDocument::Open(TextFromPath(folder));
    if (opened.error) {
        Error(OpenErrorText(folder, *opened.error) + "; the folder was not opened");
        return nullptr;
    }
    return std::move(opened.document);
}

// Opens each FOLDER operand from `first` on and hands it, with its operand as written, to
// `use`. False when any could not be opened (each said so) or `use` returned false.
bool ForEachDocument(const ParsedArgs& args, std::size_t first,
                     const std::function<bool(const std::string&, const std::filesystem::path&,
                                              CharacterDocument&)>& use) {
    bool ok = true;
    for (std::size_t i = first; i < args.operands.size(); ++i) {
        const auto folder = FolderOperand(args.operands[i]);
        const auto document = folder ? OpenFolder(*folder) : nullptr;
        if (!document || !use(args.operands[i], *folder, *document)) ok = false;
    }
    return ok;
}

std::string FieldColumn(int field) {
    return field == 0 ? "title" : std::to_string(field);
}

// BOOK<TAB>SET<TAB>MACRO<TAB>FIELD, counted from 1.
std::string Place(const FieldRef& where) {
    return std::to_string(where.book + 1) + "\t" + std::to_string(where.set + 1) + "\t" +
           std::to_string(where.macro + 1) + "\t" + FieldColumn(where.field);
}

// "book 2 set 3 macro 4 line 5"
std::string PlaceWords(const FieldRef& where) {
    return "book " + std::to_string(where.book + 1) + " set " + std::to_string(where.set + 1) +
           " macro " + std::to_string(where.macro + 1) +
           (where.field == 0 ? std::string(" title") : " line " + std::to_string(where.field));
}

std::optional<TextPattern> PatternOperand(const ParsedArgs& args) {
    TextPattern::Error error;
    auto pattern = TextPattern::Make(Utf8ToUtf16(args.operands[0]), args.Has("regex"), &error);
    if (!pattern)
        ArgumentError(error.kind == TextPattern::Error::Kind::Empty
                          ? std::string("PATTERN is empty")
                          : "PATTERN is no regular expression: " + error.detail);
    return pattern;
}

std::string RefusalText(const RefusedReplacement& r) {
    using Reason = RefusedReplacement::Reason;
    switch (r.reason) {
        case Reason::TooLong:
            return "would be " + std::to_string(r.bytes) + " bytes, more than the " +
                   std::to_string(r.capacity) + " it can hold";
        case Reason::NoCp932Form:
            return "would hold characters the game cannot store (" + ForDisplay(r.characters) + ")";
        case Reason::TokenChanged:
            return "would change the token " + ForDisplay(r.characters);
        case Reason::NotText:
            return "holds bytes that are no text, which a replace would change";
    }
    return "cannot be replaced";
}

// Saves the document's changed files in one plan; false after an error message.
bool SaveFolder(CharacterDocument& document, const std::filesystem::path& folder) {
    SavePlan plan;
    document.PlanSave(plan, true);
    const SaveReport report = plan.Run();
    document.Saved(report);
    if (!report.AllSaved()) {
        Error("'" + Shown(folder) + "': " + SaveFailure(report));
        return false;
    }
    return WrittenDurably(folder, {{}, report.folderSync});
}

// FOLDER:BOOK:SET or FOLDER:BOOK. The folder may hold colons itself: the longer form is
// taken when its folder part is a folder.
struct CopyEnd {
    std::filesystem::path folder;
    int book = 0;
    int set = -1;  // -1: the whole book
};

std::optional<CopyEnd> CopyOperand(const std::string& arg, const char* what) {
    auto split = [](const std::string& text) -> std::optional<std::pair<std::string, std::string>> {
        const std::size_t colon = text.rfind(':');
        if (colon == std::string::npos || colon == 0) return std::nullopt;
        return std::pair{text.substr(0, colon), text.substr(colon + 1)};
    };
    auto last = split(arg);
    if (!last) {
        ArgumentError(std::string(what) + " must be FOLDER:BOOK:SET or FOLDER:BOOK, not '" + arg +
                      "'");
        return std::nullopt;
    }
    std::error_code ec;
    if (auto inner = split(last->first);
        inner && std::filesystem::is_directory(PathOperand(inner->first), ec)) {
        auto book = ParseInteger(inner->second, 1, kBookCount);
        auto set = ParseInteger(last->second, 1, kSetCount);
        if (book && set) return CopyEnd{PathOperand(inner->first), int(*book) - 1, int(*set) - 1};
    }
    auto folder = FolderOperand(last->first);
    if (!folder) return std::nullopt;
    auto book = ParseInteger(last->second, 1, kBookCount);
    if (!book) {
        ArgumentError(std::string(what) + ": BOOK must be a number from 1 to " +
                      std::to_string(kBookCount) + ", not '" + last->second + "'");
        return std::nullopt;
    }
    return CopyEnd{*folder, int(*book) - 1, -1};
}

std::string CopyEndWords(const CopyEnd& end) {
    return "book " + std::to_string(end.book + 1) +
           (end.set >= 0 ? " set " + std::to_string(end.set + 1) : std::string()) + " of '" +
           Shown(end.folder) + "'";
}

}  // namespace

int RunFind(const ParsedArgs& args) {
    auto pattern = PatternOperand(args);
    if (!pattern) return kExitUsage;
    bool matched = false;
    const bool ok = ForEachDocument(
        args, 1,
        [&](const std::string& name, const std::filesystem::path&, CharacterDocument& document) {
            const std::string prefix = name + "\t";
            std::string out;
            for (const FieldMatches& hit : FindInDocument(document, *pattern)) {
                out += prefix + Place(hit.where) + "\t" + ForDisplay(hit.text) + "\n";
                matched = true;
            }
            Out(out);
            return true;
        });
    if (!FlushOut() || !ok) return kExitUsage;
    return matched ? kExitOk : kExitProblem;
}

int RunReplace(const ParsedArgs& args) {
    auto pattern = PatternOperand(args);
    if (!pattern) return kExitUsage;
    const std::u16string replacement = Utf8ToUtf16(args.operands[1]);
    const bool dryRun = args.Has("dry-run");
    bool changed = false;
    const bool ok = ForEachDocument(
        args, 2,
        [&](const std::string& name, const std::filesystem::path& folder,
            CharacterDocument& document) {
            const ReplacePlan plan = PlanReplace(document, *pattern, replacement);
            for (const RefusedReplacement& r : plan.refused)
                Error("'" + name + "' " + PlaceWords(r.where) + ": '" + ForDisplay(r.after) + "' " +
                      RefusalText(r));
            if (!plan.refused.empty()) {
                // All or nothing per character: a half-made replace is worse than none.
                Error(std::to_string(plan.refused.size()) + " of " +
                      std::to_string(plan.refused.size() + plan.changes.size()) +
                      " changes cannot be made; nothing of '" + name + "' was written");
                return false;
            }
            std::string out;
            for (const FieldReplacement& c : plan.changes)
                out += name + "\t" + Place(c.where) + "\t" + ForDisplay(c.before) + "\t" +
                       ForDisplay(c.after) + "\n";
            Out(out);
            if (plan.changes.empty()) return true;
            changed = true;
            if (dryRun) return true;
            ApplyReplace(document, plan);
            return SaveFolder(document, folder);
        });
    if (!FlushOut() || !ok) return kExitUsage;
    return changed ? kExitOk : kExitProblem;
}

int RunCopy(const ParsedArgs& args) {
    auto from = CopyOperand(args.operands[0], "FROM");
    auto to = CopyOperand(args.operands[1], "TO");
    if (!from || !to) return kExitUsage;
    if ((from->set < 0) != (to->set < 0)) {
        ArgumentError(
            "FROM and TO must both name a set (FOLDER:BOOK:SET) or both a book "
            "(FOLDER:BOOK)");
        return kExitUsage;
    }
    std::error_code ec;
    const bool sameFolder = std::filesystem::equivalent(from->folder, to->folder, ec);
    auto target = OpenFolder(to->folder);
    if (!target) return kExitUsage;
    std::unique_ptr<CharacterDocument> other;
    if (!sameFolder) {
        other = OpenFolder(from->folder);
        if (!other) return kExitUsage;
    }
    const CharacterDocument& source = other ? *other : *target;
    if (from->set >= 0)
        target->CopySet(source, from->book, from->set, to->book, to->set);
    else
        target->CopyBook(source, from->book, to->book);
    if (!SaveFolder(*target, to->folder)) return kExitUsage;
    Note("copied " + CopyEndWords(*from) + " to " + CopyEndWords(*to));
    return kExitOk;
}

}  // namespace qm::cli
