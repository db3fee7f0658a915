#pragma once
// Writing files the game owns so that a crash, a full disk or a power cut leaves
// either the old bytes or the new ones, never a mix: the new content is staged in a
// temporary file beside the target, flushed, and renamed over it. Every operation goes
// through the current file system (storage/FileSystem.h).

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include "storage/FileSystem.h"
#include "storage/Reason.h"

namespace qm {

// Reads at most maxBytes from the start of a regular file. Nothing when it cannot be
// read (cause, if given, says why: NotRegularFileError for a device, pipe or folder).
std::optional<std::vector<uint8_t>> ReadFileHead(const std::filesystem::path& path,
                                                 std::size_t maxBytes,
                                                 std::error_code* cause = nullptr);

// The bytes past a record that a rewrite keeps; a file longer than its record by more is
// refused (TooLongFileError): it is none of the game's, and reading it could exhaust
// memory.
inline constexpr std::size_t kMaxBytesPastRecord = std::size_t(1) << 20;

// What a write tells beyond true or false: the system's reason for a failure, or, after
// a success, why the folder could not be synced (the file may not survive a power cut).
struct WriteCause {
    std::error_code failure;
    std::error_code folderSync;
};

// Replaces the first record.size() bytes of the file with record, keeping any bytes
// past them, by writing the whole new content beside the file, flushing it and
// renaming it over the old one. Creates the file when missing. On failure the old
// file is untouched and error (if given) says why.
bool WriteRecordFile(const std::filesystem::path& path, std::span<const uint8_t> record,
                     Reason* error = nullptr, WriteCause* cause = nullptr);

// Writes a whole new content the same safe way (no tail kept).
bool WriteWholeFile(const std::filesystem::path& path, std::span<const uint8_t> content,
                    Reason* error = nullptr, WriteCause* cause = nullptr);

// For tests: called after the temporary file is written and before the rename; returning
// false makes the write fail there, as a crash at that moment would.
void SetSafeFileFaultHook(std::function<bool(const std::filesystem::path& tempFile)> hook);

// A file's first bytes as the program last read or wrote them, so that a save can leave
// alone a file it would not change (and its time stamp with it).
struct StoredHead {
    bool present = false;        // the file was there
    std::vector<uint8_t> bytes;  // at most a record's worth
    bool Holds(std::span<const uint8_t> record) const {
        return present && bytes.size() == record.size() &&
               std::equal(bytes.begin(), bytes.end(), record.begin());
    }
};

// The steps the writers above and the save plan share.

// The file a write to `path` replaces: a link is followed to the file it names, and the
// link stays.
std::error_code ResolveReplacedFile(const std::filesystem::path& path,
                                    std::filesystem::path& target);

// What a replacement needs to know about its target before anything is written, or why
// it cannot be replaced: a folder in its place, a file nobody may write (a player's way
// of protecting it), a folder that does not exist.
struct ReplaceCheck {
    std::optional<FileStat> existing;  // the file being replaced, when there is one
};
std::error_code CheckReplaceable(IFileSystem& fs, const std::filesystem::path& target,
                                 bool folderMayBeMissing, ReplaceCheck& out);

// The whole new content of a record file: record followed by whatever the file holds
// past record.size() bytes (nothing when it is missing).
std::error_code ComposeRecordFile(IFileSystem& fs, const std::filesystem::path& target,
                                  std::span<const uint8_t> record, std::vector<uint8_t>& content);

struct StagedFile {
    std::filesystem::path target;
    std::filesystem::path temp;
};
// Removes the temporary files in the folder that runs of this program left when they were
// killed (their process is gone). Every write and every scan of a folder does this once.
void RemoveStaleTempFiles(IFileSystem& fs, const std::filesystem::path& folder);
// True for a temporary file of this program whose run is gone, for a scan that lists the
// folder anyway.
bool IsStaleTempFile(const ListedEntry& entry);

// Creates a new temporary file beside target (with the permissions of the file it
// replaces) and writes content into it. Flushing and closing it are the caller's (a plan
// flushes many files at once). On failure no temporary file is left.
std::error_code BeginStagedFile(IFileSystem& fs, const std::filesystem::path& target,
                                const ReplaceCheck& check, std::span<const uint8_t> content,
                                StagedFile& out, WriteHandle& file);
// Renames the staged file over its target. On failure the temporary file is removed.
std::error_code CommitStagedFile(IFileSystem& fs, const StagedFile& staged);
void DiscardStagedFile(IFileSystem& fs, const StagedFile& staged);

}  // namespace qm
