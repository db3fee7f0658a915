#pragma once
// A temporary folder of this process's own, for files handed to other programs: the
// backup file a drag gives to the desktop, the .reg files passed to the Wine helper.
// In the shared temporary folder another account could plant a link or a file under a
// name we would write; in a folder only we may enter, nobody can.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "storage/Reason.h"

namespace qm {

// "quillmor-<pid>-XXXXXX" in $TMPDIR (or /tmp), made with mode 0700 on first use and
// removed with its content when the process exits. Folders of this user's earlier runs
// that ended without removing theirs (killed) are removed when a new one is made.
// Nothing, with a reason, when it cannot be made.
std::optional<std::filesystem::path> PrivateTempFolder(Reason* error = nullptr);

// Writes content into the private folder under name (no separators), replacing what is
// there without following a link. The file's path, or nothing with a reason.
std::optional<std::filesystem::path> WritePrivateTempFile(std::string_view name,
                                                          std::span<const uint8_t> content,
                                                          Reason* error = nullptr);

}  // namespace qm
