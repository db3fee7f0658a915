#pragma once
// The game inside a Wine prefix: which prefix, its registry as the store of the game's
// keys (with the regional installation resolved), and its drives for the game's paths.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/GameHost.h"
#include "platform/linux/WineRegistry.h"
#include "settings/GameRegistry.h"

namespace qm {

// The environment the prefix is looked for in.
struct WineEnvironment {
    std::optional<std::string> winePrefix;  // $WINEPREFIX
    std::optional<std::string> home;        // $HOME
    static WineEnvironment FromProcess();
};

// The value under the tool's own key that remembers the player's choice.
inline constexpr std::u16string_view kWinePrefixValue = u"WinePrefix";

class WineHost : public IGameHost {
  public:
    // toolStore is the tool's own registry: it remembers the chosen prefix, and holds the
    // game's keys while no prefix is found (as it did before prefixes were known).
    WineHost(IRegistryBackend& toolStore, IWineRegTool& tool,
             WineEnvironment environment = WineEnvironment::FromProcess(),
             WinePrefixRegistry::Options options = {});

    // Where the keys at or below the game's roots belong.
    IRegistryBackend& GameKeys() { return redirect_; }
    WinePrefixRegistry& PrefixRegistry() { return prefixRegistry_; }

    bool UsesWinePrefix() override { return true; }
    // The game's prefix: the first of $WINEPREFIX, the remembered choice and ~/.wine whose
    // system.reg holds the game's keys. A prefix without them (one Wine made by itself)
    // is not the game's: the keys stay where they were found before.
    std::u16string WinePrefix() override;
    bool ChooseWinePrefix(std::u16string_view folder, Reason* error) override;
    std::u16string LauncherPrefix(std::u16string_view launcherPath) override;
    std::u16string NativePath(std::u16string_view gamePath) override;
    std::u16string GameRoot() override;

  private:
    void Use(const std::filesystem::path& prefix);
    bool HoldsGameKeys(const std::filesystem::path& prefix);
    static bool HoldsGameKeys(IRegistryBackend& registry);

    IRegistryBackend* toolStore_;
    IWineRegTool* tool_;
    WinePrefixRegistry::Options options_;
    std::vector<std::filesystem::path> known_;  // every prefix found, in the order tried
    WinePrefixRegistry prefixRegistry_;
    GameRootRedirect redirect_;
};

// The remembered prefix from the tool's own registry; empty when none is.
std::u16string RememberedWinePrefix(IRegistryBackend& toolStore);
bool RememberWinePrefix(IRegistryBackend& toolStore, std::u16string_view folder);

}  // namespace qm
