#pragma once
// The demo game folder: "USER" with two character folders holding example macros,
// colours and a name list. The first has books 1, 2 and 40 (mcr.dat ... mcr9.dat,
// mcr10.dat ... mcr19.dat, mcr390.dat ... mcr399.dat); the second only book 1, whose
// "mcr.dat" has a damaged digest so that the compatibility warning can be seen. Both name
// some of their books in "mcr.ttl" and "mcr_2.ttl", books without files among them.

#include <filesystem>

namespace qm::demo {

inline constexpr const char* kCleanCharacter = "1a2b3c4d";
inline constexpr const char* kDamagedCharacter = "5e6f7a8b";

// Writes gameFolder/USER/<character>/... ; false when something could not be written.
bool WriteDemoGame(const std::filesystem::path& gameFolder);

}  // namespace qm::demo
