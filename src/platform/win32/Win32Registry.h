#pragma once
// The real registry through the wide API, in the 32-bit view (the game is a 32-bit
// program, so on 64-bit Windows its keys live under WOW6432Node). Reads ask for read
// rights only, so an account that may not write under HKEY_LOCAL_MACHINE still finds
// the game. Text values are handed over as CP932, like everywhere else in the program.

#ifdef _WIN32

#include "platform/Registry.h"

namespace qm {

class Win32RegistryBackend : public IRegistryBackend {
  public:
    std::optional<RegRawValue> Query(Hive hive, std::u16string_view key,
                                     std::u16string_view name) override;
    bool Set(Hive hive, std::u16string_view key, std::u16string_view name,
             const RegRawValue& value) override;
};

}  // namespace qm

#endif  // _WIN32
