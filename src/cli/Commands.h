#pragma once
// The subcommands of quillmor-cli. Each takes its parsed arguments (operand counts
// already checked) and returns the exit status.

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

// The whole program: argv without the program name.
int Main(std::span<const std::string> args);

}  // namespace qm::cli
