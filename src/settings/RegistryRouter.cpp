#include "settings/RegistryRouter.h"

#include <algorithm>

namespace qm {

void RegistryRouter::Route(std::u16string_view keyPrefix, IRegistryBackend* backend) {
    auto levels = RegKeyLevels(keyPrefix, true);
    std::erase_if(routes_, [&](const Entry& r) { return r.levels == levels; });
    if (backend) routes_.push_back({std::move(levels), backend});
}

IRegistryBackend& RegistryRouter::BackendFor(std::u16string_view key) const {
    const auto levels = RegKeyLevels(key, true);
    const Entry* best = nullptr;
    for (const auto& r : routes_) {
        if (r.levels.size() > levels.size() ||
            !std::equal(r.levels.begin(), r.levels.end(), levels.begin()))
            continue;
        if (!best || r.levels.size() > best->levels.size()) best = &r;
    }
    return best ? *best->backend : *fallback_;
}

std::optional<RegRawValue> RegistryRouter::Query(Hive hive, std::u16string_view key,
                                                 std::u16string_view name) {
    return BackendFor(key).Query(hive, key, name);
}

bool RegistryRouter::Set(Hive hive, std::u16string_view key, std::u16string_view name,
                         const RegRawValue& value) {
    return BackendFor(key).Set(hive, key, name, value);
}

void RegistryRouter::PlanSetMany(SavePlan& plan, Hive hive, std::span<const RegValueWrite> values,
                                 std::u16string_view label) {
    std::vector<std::pair<IRegistryBackend*, std::vector<RegValueWrite>>> batches;
    for (const RegValueWrite& v : values) {
        IRegistryBackend* backend = &BackendFor(v.key);
        auto it = std::find_if(batches.begin(), batches.end(),
                               [&](const auto& b) { return b.first == backend; });
        if (it == batches.end()) it = batches.insert(batches.end(), {backend, {}});
        it->second.push_back(v);
    }
    for (const auto& [backend, batch] : batches) backend->PlanSetMany(plan, hive, batch, label);
}

std::vector<StoreNotice> RegistryRouter::TakeNotice() {
    std::vector<IRegistryBackend*> stores{fallback_};
    for (const auto& r : routes_)
        if (std::find(stores.begin(), stores.end(), r.backend) == stores.end())
            stores.push_back(r.backend);
    std::vector<StoreNotice> all;
    for (auto* store : stores)
        for (StoreNotice& notice : store->TakeNotice()) all.push_back(std::move(notice));
    return all;
}

}  // namespace qm
