#pragma once
// The demo game folder: "USER" with two character folders holding ten macro sets with
// example macros, colours and a name list; the second one's "mcr.dat" has a damaged
// digest so that the compatibility warning can be seen.

#include <filesystem>

namespace qm::demo {

inline constexpr const char* kCleanCharacter = "1a2b3c4d";
inline constexpr const char* kDamagedCharacter = "5e6f7a8b";

// Writes gameFolder/USER/<character>/... ; false when something could not be written.
bool WriteDemoGame(const std::filesystem::path& gameFolder);

}  // namespace qm::demo
