#pragma once
// Shared pieces of the quillmor-cli subcommands: exit codes, writing to the standard
// streams, and reading the macro files of a character folder.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include <string_view>
#include <vector>
#include "storage/SavePlan.h"

#include "cli/CliArgs.h"
#include "macro/MacroFile.h"
#include "macro/MacroFolder.h"
#include "storage/SafeFile.h"

namespace qm::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitProblem = 1;  // a check found something wrong
inline constexpr int kExitUsage = 2;    // bad arguments or an input that cannot be read

// Data goes to standard output; messages to standard error, each prefixed with the
// program name and ended with a newline.
void Out(std::string_view text);
void OutBytes(std::span<const uint8_t> bytes);
// False when standard output could not take everything (closed pipe, full disk).
bool FlushOut();
void Error(std::string_view message);
void Warning(std::string_view message);
void Note(std::string_view message);
// An error in the arguments themselves: the caller ends with the usage line.
void ArgumentError(std::string_view message);
bool ArgumentErrorSeen();

// UTF-8 for the terminal. Control characters become their visible pictures (U+2400 +
// code) so that a field holding a line break or a tab cannot break the one-line-per-
// item output that scripts read.
std::string ForDisplay(std::u16string_view text);
std::string Utf8(std::u16string_view text);

// Upper-case hexadecimal, two digits per byte.
std::string Hex(std::span<const uint8_t> bytes);

// A set or macro number operand, 1 to high; reports an argument error itself.
std::optional<int> NumberOperand(const std::string& text, const char* what, int high);

// The --book option as a book index (0 for book 1, the default); reports an argument
// error itself.
std::optional<int> BookOption(const ParsedArgs& args);

// Paths travel as the system's own bytes, from the command line to the system calls; a
// name that is no UTF-8 still names its file. Only messages make text of them.
std::filesystem::path PathOperand(const std::string& arg);
// The path for a message: UTF-8, with bytes that are no UTF-8 shown as U+FFFD.
std::string Shown(const std::filesystem::path& path);

// The folder operand, or nothing after an error message when it is not an existing folder.
std::optional<std::filesystem::path> FolderOperand(const std::string& arg);

// One macro file of a folder as it is on disk (ReadMacroFolderFile, for messages).
struct MacroOnDisk {
    enum class State { Missing, Present, Unreadable };
    State state = State::Missing;
    std::filesystem::path path;
    std::size_t size = 0;       // bytes read, at most 7624
    MacroFile file;             // zero-filled past size
    std::vector<uint8_t> tail;  // the bytes past the record, read with it
    std::string problem;        // Unreadable: why
};
// "cannot read 'PATH': why", for an unreadable one.
std::string CannotRead(const MacroOnDisk& disk);
// index: the file number, book index × 10 + set index (MacroFolder.h).
MacroOnDisk ReadMacroOnDisk(const std::filesystem::path& folder, int index);

// The record followed by the bytes read past it.
std::vector<uint8_t> ContentToWrite(const MacroOnDisk& disk);

// WriteMacroFile for a path in the system's own form: a fresh digest, the bytes past the
// record as they were read kept. False with a reason on failure.
bool WriteMacroOnDisk(MacroOnDisk& disk, WriteCause& cause);

// "could not write 'PATH': why" for a failed write. After a successful one, warns when the
// folder could not be synced and returns false then (the file may not survive a power cut).
std::string CannotWrite(const std::filesystem::path& path, const WriteCause& cause);
// Why a save failed or was refused, in English: the part, and the reason.
std::string SaveFailure(const SaveReport& report);
bool WrittenDurably(const std::filesystem::path& path, const WriteCause& cause);
// The same for several files of one folder.
bool FolderWrittenDurably(const std::filesystem::path& folder, std::error_code folderSync);

// True when the path names the stream standard output is, and that stream is a pipe or
// a terminal ("/dev/stdout" in a pipeline): it is written as it is, not replaced.
bool IsStandardOutputStream(const std::filesystem::path& path);

// A path as one field of a tab-separated line: control characters (a line break in a
// folder's name) shown as their pictures, as ForDisplay does.
std::string ShownField(const std::filesystem::path& path);

// The whole of standard input, refusing more than limit bytes. Nothing after an error
// message.
std::optional<std::vector<uint8_t>> ReadStandardInput(std::size_t limit);

}  // namespace qm::cli
