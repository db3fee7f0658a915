// books and title: the names of a folder's macro books; and the title files' part of
// check and fix.

#include <algorithm>
#include <filesystem>

#include "cli/CliCommon.h"
#include "cli/Commands.h"
#include "editor/LostCharacters.h"
#include "macro/BookTitles.h"
#include "macro/Cp932.h"
#include "macro/Md5.h"
#include "storage/CommandLine.h"
#include "storage/Paths.h"
#include "storage/SavePlan.h"

namespace qm::cli {

namespace {

std::filesystem::path TitlePath(const std::filesystem::path& folder, int file) {
    return folder / Utf16ToUtf8(TitleFileName(file));
}

std::string Books(int file) {
    const int first = file * kBooksPerTitleFile + 1;
    return "books " + std::to_string(first) + "-" + std::to_string(first + kBooksPerTitleFile - 1);
}

// Why a title file is not used, or empty when it is.
std::string NotKnownReason(const std::filesystem::path& folder, int file,
                           const TitleFileOnDisk& disk) {
    const std::string shown = "'" + Shown(TitlePath(folder, file)) + "'";
    switch (disk.state) {
        case TitleFileState::Missing:
        case TitleFileState::Present:
            return {};
        case TitleFileState::WrongSize:
            return shown + " is " + std::to_string(disk.size) + " bytes, not " +
                   std::to_string(kTitleFileSize) +
                   ", so it is not known to follow the title file layout";
        case TitleFileState::WrongDigest:
            return shown +
                   "'s stored digest is not the MD5 of its bytes 24-343, so it is not known to "
                   "follow the title file layout";
        case TitleFileState::Unreadable:
            break;
    }
    return "cannot read " + shown;
}

}  // namespace

int CheckTitleFiles(const std::filesystem::path& folder) {
    int status = kExitOk;
    for (int f = 0; f < kTitleFileCount; ++f) {
        const TitleFileOnDisk disk = ReadTitleFile(TitlePath(folder, f));
        if (disk.state == TitleFileState::Missing) continue;
        std::string line = ArgumentFromPath(TitlePath(folder, f)) + "\t";
        if (disk.state == TitleFileState::Unreadable) {
            line += "unreadable\t-\t-\t-";
            status = std::max(status, kExitUsage);
        } else {
            line += "present\t" + Hex(disk.record.StoredDigest()) + "\t" +
                    Hex(Md5Digest(disk.record.Block()));
            line += disk.state == TitleFileState::Present     ? "\tOK"
                    : disk.state == TitleFileState::WrongSize ? "\tSIZE"
                                                              : "\tMISMATCH";
        }
        Out(line + "\n");
        if (disk.state != TitleFileState::Present) {
            status = std::max(status, kExitProblem);
            if (disk.state != TitleFileState::Unreadable)
                Note(NotKnownReason(folder, f, disk) + "; the names of " + Books(f) +
                     " are not shown, and the file is never written");
        }
    }
    return status;
}

int PlanTitleFixes(SavePlan& plan, const std::filesystem::path& folder,
                   std::vector<TitleFix>& fixes, int& problems) {
    int status = kExitOk;
    for (int f = 0; f < kTitleFileCount; ++f) {
        const std::filesystem::path path = TitlePath(folder, f);
        TitleFileOnDisk disk = ReadTitleFile(path);
        if (disk.state == TitleFileState::Missing || disk.state == TitleFileState::Present)
            continue;
        // Only a file of the right size is stamped: any other is no title file we know.
        if (disk.state != TitleFileState::WrongDigest) {
            Error(NotKnownReason(folder, f, disk) + "; left unchanged");
            status = std::max(status,
                              disk.state == TitleFileState::Unreadable ? kExitUsage : kExitProblem);
            ++problems;
            continue;
        }
        TitleFix fix{path, Hex(disk.record.StoredDigest()), {}};
        UpdateTitleDigest(disk.record);
        fix.after = Hex(disk.record.StoredDigest());
        plan.AddRecord(path, disk.record.bytes, TextFromPath(path));
        fixes.push_back(std::move(fix));
    }
    return status;
}

int RunBooks(const ParsedArgs& args) {
    auto folder = FolderOperand(args.operands[0]);
    if (!folder) return kExitUsage;
    const MacroFolderContent macros =
        ReadMacroFolder(TextFromPath(*folder) + std::u16string(PathSeparator()));
    const BookTitles titles = ReadBookTitles(*folder, &macros);
    int status = kExitOk;
    for (int f : titles.UnknownFiles()) {
        Warning(NotKnownReason(*folder, f, titles.disk[std::size_t(f)]) + "; the names of " +
                Books(f) + " are not shown");
        status = kExitProblem;
    }
    for (int book = 0; book < kBookCount; ++book) {
        int present = 0;
        for (int s = 0; s < kSetCount; ++s)
            present +=
                macros.state[std::size_t(MacroFileNumber(book, s))] == MacroFileState::Present;
        Out(std::to_string(book + 1) + "\t" + ForDisplay(titles.Title(book)) + "\t" +
            std::to_string(present) + "\n");
    }
    if (!FlushOut()) return kExitUsage;
    return status;
}

int RunTitle(const ParsedArgs& args) {
    auto folder = FolderOperand(args.operands[0]);
    auto book = NumberOperand(args.operands[1], "BOOK", kBookCount);
    if (!folder || !book) return kExitUsage;
    const std::string& arg = args.operands[2];
    const std::u16string text = Utf8ToUtf16(arg);
    if (Utf16ToUtf8(text) != arg) {
        ArgumentError("TEXT is not valid UTF-8; nothing was written");
        return kExitUsage;
    }
    if (const std::u16string lost = UnencodableCharacters(text); !lost.empty()) {
        ArgumentError("TEXT holds characters with no CP932 form (" + Utf8(lost) +
                      "); nothing was written");
        return kExitUsage;
    }
    BookTitles titles = ReadBookTitles(*folder);
    const int file = TitleFileOfBook(*book - 1);
    switch (titles.SetTitle(*book - 1, text)) {
        case TitleChange::Stored:
            break;
        case TitleChange::TooLong:
            ArgumentError("TEXT is " + std::to_string(Cp932Length(text)) +
                          " bytes in CP932; a book title holds at most " +
                          std::to_string(kBookTitleCapacity) + "; nothing was written");
            return kExitUsage;
        case TitleChange::Unknown:
            Error(NotKnownReason(*folder, file, titles.disk[std::size_t(file)]) +
                  "; nothing was written");
            return kExitUsage;
        case TitleChange::BadBook:
            return kExitUsage;  // NumberOperand has checked it
    }
    SavePlan plan;
    PlanBookTitles(plan, *folder, titles);
    const SaveReport report = plan.Run();
    const std::filesystem::path path = TitlePath(*folder, file);
    if (!report.AllSaved()) {
        Error(CannotWrite(path, {report.cause, {}}) + "; it was left unchanged");
        return kExitUsage;
    }
    if (report.saved.empty()) return kExitOk;  // it had that title already
    if (!WrittenDurably(path, {{}, report.folderSync})) return kExitProblem;
    return kExitOk;
}

}  // namespace qm::cli
