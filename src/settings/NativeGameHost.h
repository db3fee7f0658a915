#pragma once
// The game installed on the system the program runs on (Windows): its keys in the
// machine's registry, the regional installation resolved, and its paths as they are.

#include <string>

#include "platform/GameHost.h"
#include "settings/GameRegistry.h"

namespace qm {

class NativeGameHost : public IGameHost {
  public:
    // machine: the store of the game's keys (the 32-bit view of HKEY_LOCAL_MACHINE).
    explicit NativeGameHost(IRegistryBackend& machine) : redirect_(machine) {}

    // Where the keys at or below the game's roots belong.
    IRegistryBackend& GameKeys() { return redirect_; }

    bool UsesWinePrefix() override { return false; }
    std::u16string WinePrefix() override { return {}; }
    bool ChooseWinePrefix(std::u16string_view folder, Reason* error) override;
    std::u16string NativePath(std::u16string_view gamePath) override {
        return std::u16string(gamePath);
    }
    std::u16string GameRoot() override { return std::u16string(redirect_.Root()); }

  private:
    GameRootRedirect redirect_;
};

}  // namespace qm
