#pragma once
// The subcommands of quillmor-cli. Each takes its parsed arguments (operand counts
// already checked) and returns the exit status.

#include <filesystem>
#include <string>
#include <vector>

#include "cli/CliArgs.h"

namespace qm::cli {

int RunMd5(const ParsedArgs& args);
int RunCheck(const ParsedArgs& args);
int RunFix(const ParsedArgs& args);
int RunExport(const ParsedArgs& args);
int RunImport(const ParsedArgs& args);
int RunPreview(const ParsedArgs& args);
int RunChat(const ParsedArgs& args);
int RunFind(const ParsedArgs& args);
int RunReplace(const ParsedArgs& args);
int RunCopy(const ParsedArgs& args);
int RunBooks(const ParsedArgs& args);
int RunTitle(const ParsedArgs& args);

}  // namespace qm::cli

namespace qm {
class SavePlan;
}

namespace qm::cli {

// The title files' part of check: a line for each one there; returns the exit status.
int CheckTitleFiles(const std::filesystem::path& folder);
// The title files' part of fix: adds a fresh digest for each 344-byte one whose digest is
// wrong to the plan; reports the others (counted in problems) and returns the exit status.
struct TitleFix {
    std::filesystem::path path;
    std::string before, after;  // digests
};
int PlanTitleFixes(SavePlan& plan, const std::filesystem::path& folder,
                   std::vector<TitleFix>& fixes, int& problems);

// The whole program: argv without the program name.
int Main(std::span<const std::string> args);

}  // namespace qm::cli
