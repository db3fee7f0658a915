#pragma once
// Paths are text in the program (as the game stores them); the file system wants
// native paths. On Linux the native form is UTF-8.

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace qm {

std::filesystem::path PathFromText(std::u16string_view text);
std::u16string TextFromPath(const std::filesystem::path& path);

// std::fopen by native path: a wide path on Windows, where the narrow one would be
// taken in the ANSI code page and miss names outside it.
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);

// The platform's separator as text: "/" on Linux, "\" on Windows.
std::u16string_view PathSeparator();

}  // namespace qm
