// md5, check and fix: the digests in the headers of a folder's macro files.

#include <algorithm>
#include <filesystem>

#include "cli/CliCommon.h"
#include "cli/Commands.h"
#include "macro/Md5.h"
#include "storage/CommandLine.h"
#include "storage/Paths.h"
#include "storage/SafeFile.h"
#include "storage/SavePlan.h"

namespace qm::cli {

namespace {

std::string StoredHex(const MacroFile& file) {
    return Hex(file.StoredDigest());
}

std::string ComputedHex(const MacroFile& file) {
    return Hex(Md5Digest(file.Block()));
}

bool DigestMatches(const MacroFile& file) {
    const Md5Bytes computed = Md5Digest(file.Block());
    return std::equal(computed.begin(), computed.end(), file.StoredDigest().begin());
}

std::string ShortFileMessage(const MacroOnDisk& disk) {
    return "'" + Shown(disk.path) + "' is only " + std::to_string(disk.size) +
           " bytes long; a macro file has " + std::to_string(kMacroFileSize);
}

}  // namespace

int RunMd5(const ParsedArgs& args) {
    const std::string& arg = args.operands[0];
    std::error_code ec;
    const std::filesystem::path path = PathOperand(arg);
    const std::string shown = "'" + Shown(path) + "'";
    if (std::filesystem::is_directory(path, ec)) {
        ArgumentError(shown + " is a folder, not a macro file");
        return kExitUsage;
    }
    if (!std::filesystem::exists(path, ec)) {
        ArgumentError(shown + " does not exist");
        return kExitUsage;
    }
    std::error_code cause;
    auto head = ReadFileHead(path, kMacroFileSize, &cause);
    if (!head) {
        Error("cannot read " + shown + ": " + cause.message());
        return kExitUsage;
    }
    if (head->size() < kMacroFileSize) {
        Error(shown + " is only " + std::to_string(head->size()) +
              " bytes long; a macro file has " + std::to_string(kMacroFileSize));
        return kExitUsage;
    }
    auto block = std::span<const uint8_t>(*head).subspan(kMacroBlockOffset, kMacroBlockSize);
    Out(Hex(Md5Digest(block)) + "\n");
    return FlushOut() ? kExitOk : kExitUsage;
}

// One line per file: path, present/missing/unreadable, stored digest, computed digest,
// and OK, MISMATCH or SHORT (a file cut off before its 7624 bytes).
int RunCheck(const ParsedArgs& args) {
    int status = kExitOk;
    auto worsen = [&](int s) { status = std::max(status, s); };
    for (const std::string& arg : args.operands) {
        auto folder = FolderOperand(arg);
        if (!folder) {
            worsen(kExitUsage);
            continue;
        }
        RemoveStaleTempFiles(CurrentFileSystem(), *folder);
        for (int index = 0; index < kMacroFileCount; ++index) {
            const MacroOnDisk disk = ReadMacroOnDisk(*folder, index);
            // Book 1 is always listed; the other books' files only where there is one.
            if (index >= kSetCount && disk.state == MacroOnDisk::State::Missing) continue;
            std::string line = ShownField(disk.path) + "\t";
            switch (disk.state) {
                case MacroOnDisk::State::Missing:
                    line += "missing\t-\t-\t-";
                    break;
                case MacroOnDisk::State::Unreadable:
                    line += "unreadable\t-\t-\t-";
                    Error(CannotRead(disk));
                    worsen(kExitUsage);
                    break;
                case MacroOnDisk::State::Present: {
                    line += "present\t" + StoredHex(disk.file) + "\t" + ComputedHex(disk.file);
                    if (disk.size < kMacroFileSize) {
                        line += "\tSHORT";
                        worsen(kExitProblem);
                    } else if (DigestMatches(disk.file)) {
                        line += "\tOK";
                    } else {
                        line += "\tMISMATCH";
                        worsen(kExitProblem);
                    }
                    break;
                }
            }
            Out(line + "\n");
        }
        worsen(CheckTitleFiles(*folder));
    }
    if (!FlushOut()) return kExitUsage;
    return status;
}

// Rewrites the digest of each whole macro file whose digest is wrong. The rest of the
// record goes back as it was read and the bytes past it stay, so only the 16 digest
// bytes change. A file cut short is left alone: stamping it would pass off a damaged
// file as a good one.
int RunFix(const ParsedArgs& args) {
    int status = kExitOk;
    auto worsen = [&](int s) { status = std::max(status, s); };
    for (const std::string& arg : args.operands) {
        auto folder = FolderOperand(arg);
        if (!folder) {
            worsen(kExitUsage);
            continue;
        }
        RemoveStaleTempFiles(CurrentFileSystem(), *folder);
        int fixed = 0, problems = 0;
        // Every file to mend goes into one plan: written beside, then renamed in turn.
        std::vector<std::pair<MacroOnDisk, std::string>> mending;  // with the old digest
        for (int index = 0; index < kMacroFileCount; ++index) {
            MacroOnDisk disk = ReadMacroOnDisk(*folder, index);
            if (disk.state == MacroOnDisk::State::Missing) continue;
            if (disk.state == MacroOnDisk::State::Unreadable) {
                Error(CannotRead(disk) + "; left unchanged");
                worsen(kExitUsage);
                ++problems;
                continue;
            }
            if (disk.size < kMacroFileSize) {
                Error(ShortFileMessage(disk) + "; left unchanged");
                worsen(kExitProblem);
                ++problems;
                continue;
            }
            if (DigestMatches(disk.file)) continue;
            const std::string before = StoredHex(disk.file);
            UpdateMacroDigest(disk.file);
            mending.emplace_back(std::move(disk), before);
        }
        SavePlan plan;
        // What was read goes back with its new digest, the bytes past the record included:
        // nothing is read again.
        for (auto& [disk, before] : mending)
            plan.AddFile(disk.path, ContentToWrite(disk), TextFromPath(disk.path));
        std::vector<TitleFix> titleFixes;
        worsen(PlanTitleFixes(plan, *folder, titleFixes, problems));
        const SaveReport report = plan.Run();
        for (const auto& [disk, before] : mending) {
            const std::u16string label = TextFromPath(disk.path);
            if (std::find(report.saved.begin(), report.saved.end(), label) == report.saved.end()) {
                const WriteCause cause{report.failed == label ? report.cause : std::error_code(),
                                       {}};
                Error(CannotWrite(disk.path, cause) + "; it was left unchanged");
                worsen(kExitUsage);
                ++problems;
                continue;
            }
            Out(ShownField(disk.path) + "\tfixed\t" + before + "\t" + StoredHex(disk.file) + "\n");
            ++fixed;
        }
        for (const TitleFix& fix : titleFixes) {
            const std::u16string label = TextFromPath(fix.path);
            if (std::find(report.saved.begin(), report.saved.end(), label) == report.saved.end()) {
                const WriteCause cause{report.failed == label ? report.cause : std::error_code(),
                                       {}};
                Error(CannotWrite(fix.path, cause) + "; it was left unchanged");
                worsen(kExitUsage);
                ++problems;
                continue;
            }
            Out(ShownField(fix.path) + "\tfixed\t" + fix.before + "\t" + fix.after + "\n");
            ++fixed;
        }
        if (fixed > 0 && !FolderWrittenDurably(*folder, report.folderSync)) worsen(kExitProblem);
        if (fixed == 0 && problems == 0) Note("nothing to fix in '" + Shown(*folder) + "'");
    }
    if (!FlushOut()) return kExitUsage;
    return status;
}

}  // namespace qm::cli
