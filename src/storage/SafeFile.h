#pragma once
// Writing files the game owns so that a crash, a full disk or a power cut leaves
// either the old bytes or the new ones, never a mix.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qm {

// Reads at most maxBytes from the start of a file. Nothing when it cannot be opened.
std::optional<std::vector<uint8_t>> ReadFileHead(const std::filesystem::path& path,
                                                 std::size_t maxBytes);

// Replaces the first record.size() bytes of the file with record, keeping any bytes
// past them, by writing the whole new content beside the file, flushing it and
// renaming it over the old one. Creates the file when missing. On failure the old
// file is untouched and error (if given) holds a reason in Japanese.
bool WriteRecordFile(const std::filesystem::path& path, std::span<const uint8_t> record,
                     std::u16string* error = nullptr);

// Writes a whole new content the same safe way (no tail kept).
bool WriteWholeFile(const std::filesystem::path& path, std::span<const uint8_t> content,
                    std::u16string* error = nullptr);

// For tests: called after the temporary file is written and before the rename; returning
// false makes the write fail there, as a crash at that moment would.
void SetSafeFileFaultHook(std::function<bool(const std::filesystem::path& tempFile)> hook);

}  // namespace qm
