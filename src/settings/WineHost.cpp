#include "settings/WineHost.h"

#include <cstdlib>

#include "macro/Cp932.h"
#include "platform/linux/WinePrefix.h"
#include "settings/Registry.h"
#include "settings/ToolPreferences.h"
#include "storage/Paths.h"

namespace qm {

namespace {
std::optional<std::string> Variable(const char* name) {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return std::string(value);
}
}  // namespace

WineEnvironment WineEnvironment::FromProcess() {
    return {Variable("WINEPREFIX"), Variable("HOME")};
}

std::u16string RememberedWinePrefix(IRegistryBackend& toolStore) {
    auto raw = toolStore.Query(Hive::LocalMachine, kPreferencesKey, kWinePrefixValue);
    if (!raw) return {};
    // A folder name CP932 cannot spell is kept as UTF-8 bytes.
    if (raw->type == 3) return Utf8ToUtf16(std::string(raw->data.begin(), raw->data.end()));
    return RegReadValue(toolStore, Hive::LocalMachine, kPreferencesKey, kWinePrefixValue,
                        REG_SZ_TYPE, u"");
}

bool RememberWinePrefix(IRegistryBackend& toolStore, std::u16string_view folder) {
    if (Cp932Decode(Cp932Encode(folder)) == folder)
        return RegWriteValue(toolStore, Hive::LocalMachine, kPreferencesKey, kWinePrefixValue,
                             REG_SZ_TYPE, folder);
    const std::string utf8 = Utf16ToUtf8(folder);
    RegRawValue raw;
    raw.type = 3;
    raw.data.assign(utf8.begin(), utf8.end());
    return toolStore.Set(Hive::LocalMachine, kPreferencesKey, kWinePrefixValue, raw);
}

WineHost::WineHost(IRegistryBackend& toolStore, IWineRegTool& tool, WineEnvironment environment,
                   WinePrefixRegistry::Options options)
    : toolStore_(&toolStore),
      tool_(&tool),
      options_(options),
      prefixRegistry_(tool, std::move(options)),
      redirect_(toolStore) {
    known_ = WinePrefixCandidates(
        environment.winePrefix ? environment.winePrefix->c_str() : nullptr,
        environment.home ? environment.home->c_str() : nullptr, RememberedWinePrefix(toolStore));
    // Asked of the store that will serve the prefix found, so that its system.reg is read
    // once at start-up.
    for (const auto& prefix : known_) {
        prefixRegistry_.SetPrefix(prefix);
        if (HoldsGameKeys(prefixRegistry_)) {
            redirect_.SetStore(prefixRegistry_);
            return;
        }
        // What a prefix that is not the game's had to say about its registry is not news.
        prefixRegistry_.TakeNotice();
    }
    prefixRegistry_.SetPrefix({});
}

bool WineHost::HoldsGameKeys(const std::filesystem::path& prefix) {
    WinePrefixRegistry registry(*tool_, options_);
    registry.SetPrefix(prefix);
    return HoldsGameKeys(registry);
}

bool WineHost::HoldsGameKeys(IRegistryBackend& registry) {
    for (std::u16string_view root : kGameRoots) {
        const std::u16string key = std::u16string(root) + u"\\InstallFolder";
        if (!RegReadValue(registry, Hive::LocalMachine, key, u"0001", REG_SZ_TYPE, u"").empty())
            return true;
    }
    return false;
}

void WineHost::Use(const std::filesystem::path& prefix) {
    prefixRegistry_.SetPrefix(prefix);
    redirect_.SetStore(prefixRegistry_);
}

std::u16string WineHost::WinePrefix() {
    return TextFromPath(prefixRegistry_.Prefix());
}

bool WineHost::ChooseWinePrefix(std::u16string_view folder, Reason* error) {
    const std::filesystem::path prefix = PathFromText(folder);
    if (!IsWinePrefix(prefix)) {
        if (error)
            *error = Reason{.kind = ReasonKind::NotAWinePrefix, .subject = std::u16string(folder)};
        return false;
    }
    std::erase(known_, prefix);
    known_.insert(known_.begin(), prefix);
    if (HoldsGameKeys(prefix)) Use(prefix);
    // Not remembered (the settings file cannot be written): used for this run all the
    // same, and the store's own notice tells why.
    RememberWinePrefix(*toolStore_, folder);
    return true;
}

std::u16string WineHost::LauncherPrefix(std::u16string_view launcherPath) {
    if (!prefixRegistry_.Prefix().empty()) return TextFromPath(prefixRegistry_.Prefix());
    const std::filesystem::path folder = PathFromText(launcherPath).parent_path();
    for (const auto& prefix : known_)
        if (DrivesReach(prefix, folder)) return TextFromPath(prefix);
    return {};
}

std::u16string WineHost::NativePath(std::u16string_view gamePath) {
    if (prefixRegistry_.Prefix().empty()) return std::u16string(gamePath);
    return WinePathToNative(prefixRegistry_.Prefix(), gamePath).value_or(std::u16string(gamePath));
}

std::u16string WineHost::GameRoot() {
    return std::u16string(redirect_.Root());
}

}  // namespace qm
