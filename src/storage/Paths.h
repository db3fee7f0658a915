#pragma once
// Paths are text in the program (as the game stores them); the file system wants
// native paths. On Linux the native form is UTF-8.

#include <filesystem>
#include <string>
#include <string_view>

namespace qm {

std::filesystem::path PathFromText(std::u16string_view text);
std::u16string TextFromPath(const std::filesystem::path& path);

// The platform's separator as text: "/" on Linux, "\" on Windows.
std::u16string_view PathSeparator();

}  // namespace qm
