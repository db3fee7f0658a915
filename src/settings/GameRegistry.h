#pragma once
// The game's registry keys and its regional installations. The Japanese client keeps
// everything under "SOFTWARE\PlayOnline" with its settings under "SQUARE\FinalFantasyXI";
// the North American and European clients keep the same values under
// "SOFTWARE\PlayOnlineUS" and "SOFTWARE\PlayOnlineEU" with their settings under
// "SquareEnix\FinalFantasyXI". The program names the Japanese keys throughout;
// GameRootRedirect sends them to the installation actually present.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace qm {

inline constexpr std::u16string_view kJapaneseGameRoot = u"SOFTWARE\\PlayOnline";
// In the order they are tried when the Japanese root has no game folder.
inline constexpr std::array<std::u16string_view, 3> kGameRoots{
    kJapaneseGameRoot, u"SOFTWARE\\PlayOnlineUS", u"SOFTWARE\\PlayOnlineEU"};

// The first root whose "InstallFolder" holds a non-empty "0001"; the Japanese root when
// none does.
std::u16string_view FindGameRoot(IRegistryBackend& store);

// key with its Japanese root replaced by root (and "SQUARE" by "SquareEnix" below a
// regional root). Nothing when key is not at or below the Japanese root.
std::optional<std::u16string> GameKeyUnderRoot(std::u16string_view key, std::u16string_view root);

// Sends keys at or below the Japanese root to the same keys of the installation in use,
// chosen from the store at first use. Other keys, the regional roots named directly
// among them, pass through unchanged.
class GameRootRedirect : public IRegistryBackend {
  public:
    explicit GameRootRedirect(IRegistryBackend& store) : store_(&store) {}

    // Another store (another Wine prefix): the root is chosen again at the next use.
    void SetStore(IRegistryBackend& store);
    IRegistryBackend& Store() const { return *store_; }
    std::u16string_view Root();

    std::optional<RegRawValue> Query(Hive hive, std::u16string_view key,
                                     std::u16string_view name) override;
    bool Set(Hive hive, std::u16string_view key, std::u16string_view name,
             const RegRawValue& value) override;
    void PlanSetMany(SavePlan& plan, Hive hive, std::span<const RegValueWrite> values,
                     std::u16string_view label) override;
    std::vector<StoreNotice> TakeNotice() override { return store_->TakeNotice(); }

  private:
    std::u16string Translate(std::u16string_view key);

    IRegistryBackend* store_;
    std::optional<std::u16string_view> root_;
};

}  // namespace qm
