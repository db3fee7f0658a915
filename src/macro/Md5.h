#pragma once
// MD5 (RFC 1321), our own code: macro file headers carry this digest of their body.

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace qm {

using Md5Bytes = std::array<uint8_t, 16>;

// The digest in standard byte order (state words A, B, C, D, each little-endian).
Md5Bytes Md5Digest(std::span<const uint8_t> data);

// 32 upper-case hexadecimal digits, digest bytes in order.
std::u16string Md5Hex(const Md5Bytes& digest);

}  // namespace qm
