#pragma once
// Typed access to registry values with the caller's default on every failure.
// The storage itself is an IRegistryBackend (the real registry on Windows, a .reg
// file of our own on Linux, an in-memory fake in tests).

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace qm {

// Reads a value. type is REG_SZ_TYPE (1) or REG_DWORD_TYPE (4) and says how the stored
// bytes are taken, whatever type they were stored with: as CP932 text up to the first
// 0 byte (a string needing 1024 bytes or more with its terminator is not read), or as
// a signed 32-bit number (at most 4 bytes, little-endian). Any failure - missing key
// or value, too long, another type code - gives the default. Never creates anything.
//
// The overload is chosen by the default. When type and default disagree, a number
// read as text gives its decimal form, and text read as a number must be a whole
// decimal number in range, or the default is returned.
int32_t RegReadValue(IRegistryBackend& reg, Hive hive, std::u16string_view key,
                     std::u16string_view name, uint32_t type, int32_t defaultValue);
std::u16string RegReadValue(IRegistryBackend& reg, Hive hive, std::u16string_view key,
                            std::u16string_view name, uint32_t type,
                            std::u16string_view defaultValue);

// Writes a value, creating every missing level of the key. REG_SZ_TYPE stores the text
// in CP932 with its terminating 0 (the empty text is one byte); REG_DWORD_TYPE stores a
// signed 32-bit number. A number written as text is its decimal form; text written as a
// number must be a whole decimal number in range. Any other type code, or text that is
// not a number, writes nothing. True exactly when the value was stored.
bool RegWriteValue(IRegistryBackend& reg, Hive hive, std::u16string_view key,
                   std::u16string_view name, uint32_t type, int32_t value);
bool RegWriteValue(IRegistryBackend& reg, Hive hive, std::u16string_view key,
                   std::u16string_view name, uint32_t type, std::u16string_view value);

// The raw forms RegWriteValue stores, for writing many values in one step
// (IRegistryBackend::SetMany): a REG_DWORD, and CP932 text with its terminator.
RegRawValue RegNumberValue(int32_t number);
RegRawValue RegTextValue(std::u16string_view text);

}  // namespace qm
