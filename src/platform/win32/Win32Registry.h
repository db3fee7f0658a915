#pragma once
// The real registry through the wide API. The program names every key under
// HKEY_LOCAL_MACHINE; each backend places those keys under one real root:
//  - Machine32: HKEY_LOCAL_MACHINE in the 32-bit view. The game is a 32-bit program, so
//    on 64-bit Windows its keys live under SOFTWARE\WOW6432Node, which a 64-bit program
//    reaches only through that view.
//  - CurrentUser: HKEY_CURRENT_USER, for the tool's own settings, which every account
//    may write without elevation.
// Reads ask for read rights only, so an account that may not write under
// HKEY_LOCAL_MACHINE still finds the game. A write the system refuses fails with its
// reason, told once through TakeNotice. Text values are handed over as CP932, like
// everywhere else in the program.

#ifdef _WIN32

#include "platform/Registry.h"

namespace qm {

class Win32RegistryBackend : public IRegistryBackend {
  public:
    enum class Root { Machine32, CurrentUser };
    explicit Win32RegistryBackend(Root root) : root_(root) {}

    std::optional<RegRawValue> Query(Hive hive, std::u16string_view key,
                                     std::u16string_view name) override;
    bool Set(Hive hive, std::u16string_view key, std::u16string_view name,
             const RegRawValue& value) override;
    std::vector<StoreNotice> TakeNotice() override;

    // Why the last failed write failed, in Japanese; empty after a success.
    const Reason& LastError() const { return lastError_; }

  private:
    void Failed(std::u16string_view key, long code);

    Root root_;
    Reason lastError_;
    std::vector<StoreNotice> notice_;
    Reason noticed_;  // the last trouble told, so a lasting one is told once
};

}  // namespace qm

#endif  // _WIN32
