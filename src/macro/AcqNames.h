#pragma once
// "acq.dat": a 24-byte header, then 16-byte CP932 name entries.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

using AcqEntry = std::array<uint8_t, 16>;
using AcqNames = std::vector<AcqEntry>;

// Reading ends on the first short read of 16 bytes, and that entry stays in the list
// (zero-padded), so a file yields one more entry than it holds whole. A missing file
// gives no entries. At most 1 MiB is read: real lists are a few kilobytes, and a huge
// or hostile file must not exhaust memory.
AcqNames ReadAcqNames(std::u16string_view folder);
// The same for a folder path in the system's own form.
AcqNames ReadAcqNamesIn(const std::filesystem::path& folder);

inline constexpr std::size_t kAcqReadLimit = 1 << 20;

}  // namespace qm
