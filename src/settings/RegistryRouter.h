#pragma once
// Sends each registry key to the storage that owns it, so that some keys (the game's)
// can live elsewhere than the tool's own. The longest matching key prefix wins,
// compared level by level without regard to case; other keys go to the fallback.

#include <string>
#include <vector>

#include "platform/Registry.h"

namespace qm {

class RegistryRouter : public IRegistryBackend {
  public:
    explicit RegistryRouter(IRegistryBackend& fallback) : fallback_(&fallback) {}

    // Keys at or below keyPrefix go to backend from now on; nullptr removes the route.
    void Route(std::u16string_view keyPrefix, IRegistryBackend* backend);
    IRegistryBackend& BackendFor(std::u16string_view key) const;

    std::optional<RegRawValue> Query(Hive hive, std::u16string_view key,
                                     std::u16string_view name) override;
    bool Set(Hive hive, std::u16string_view key, std::u16string_view name,
             const RegRawValue& value) override;
    // Each store gets its own values, as one batch.
    void PlanSetMany(SavePlan& plan, Hive hive, std::span<const RegValueWrite> values,
                     std::u16string_view label) override;
    // The notices of every store, one per line.
    std::vector<StoreNotice> TakeNotice() override;

  private:
    struct Entry {
        std::vector<std::u16string> levels;  // folded
        IRegistryBackend* backend;
    };
    IRegistryBackend* fallback_;
    std::vector<Entry> routes_;
};

}  // namespace qm
