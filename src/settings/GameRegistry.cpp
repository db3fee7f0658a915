#include "settings/GameRegistry.h"

#include "settings/Registry.h"

namespace qm {

namespace {

constexpr std::u16string_view kInstallFolder = u"\\InstallFolder";
constexpr std::u16string_view kJapaneseMaker = u"SQUARE";
constexpr std::u16string_view kRegionalMaker = u"SquareEnix";

// The key's first `count` levels and the rest (without its separator), or nothing when
// the key has fewer levels.
std::optional<std::pair<std::u16string_view, std::u16string_view>> SplitLevels(
    std::u16string_view key, int count) {
    std::size_t end = 0;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            if (end >= key.size()) return std::nullopt;
            ++end;  // the separator
        }
        const std::size_t next = key.find(u'\\', end);
        end = next == std::u16string_view::npos ? key.size() : next;
    }
    const std::u16string_view rest = end < key.size() ? key.substr(end + 1) : u"";
    return std::make_pair(key.substr(0, end), rest);
}

}  // namespace

std::u16string_view FindGameRoot(IRegistryBackend& store) {
    for (std::u16string_view root : kGameRoots) {
        const std::u16string key = std::u16string(root) + std::u16string(kInstallFolder);
        if (!RegReadValue(store, Hive::LocalMachine, key, u"0001", REG_SZ_TYPE, u"").empty())
            return root;
    }
    return kJapaneseGameRoot;
}

std::optional<std::u16string> GameKeyUnderRoot(std::u16string_view key, std::u16string_view root) {
    const auto parts = SplitLevels(key, 2);
    if (!parts || !RegNamesEqual(parts->first, kJapaneseGameRoot)) return std::nullopt;
    std::u16string translated(root);
    std::u16string_view rest = parts->second;
    if (rest.empty()) return translated;
    translated += u'\\';
    if (!RegNamesEqual(root, kJapaneseGameRoot)) {
        const auto maker = SplitLevels(rest, 1);
        if (maker && RegNamesEqual(maker->first, kJapaneseMaker)) {
            translated += kRegionalMaker;
            rest = maker->second;
            if (rest.empty()) return translated;
            translated += u'\\';
        }
    }
    translated += rest;
    return translated;
}

void GameRootRedirect::SetStore(IRegistryBackend& store) {
    store_ = &store;
    root_.reset();
}

std::u16string_view GameRootRedirect::Root() {
    if (!root_) root_ = FindGameRoot(*store_);
    return *root_;
}

std::u16string GameRootRedirect::Translate(std::u16string_view key) {
    // The choice itself reads the Japanese key as it is; only afterwards is it redirected.
    if (auto translated = GameKeyUnderRoot(key, Root())) return *translated;
    return std::u16string(key);
}

std::optional<RegRawValue> GameRootRedirect::Query(Hive hive, std::u16string_view key,
                                                   std::u16string_view name) {
    return store_->Query(hive, Translate(key), name);
}

bool GameRootRedirect::Set(Hive hive, std::u16string_view key, std::u16string_view name,
                           const RegRawValue& value) {
    return store_->Set(hive, Translate(key), name, value);
}

void GameRootRedirect::PlanSetMany(SavePlan& plan, Hive hive, std::span<const RegValueWrite> values,
                                   std::u16string_view label) {
    std::vector<RegValueWrite> translated(values.begin(), values.end());
    for (RegValueWrite& v : translated) v.key = Translate(v.key);
    store_->PlanSetMany(plan, hive, translated, label);
}

}  // namespace qm
