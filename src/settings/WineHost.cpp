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
    : toolStore_(&toolStore), prefixRegistry_(tool, std::move(options)), redirect_(toolStore) {
    const std::filesystem::path prefix = FindWinePrefix(
        environment.winePrefix ? environment.winePrefix->c_str() : nullptr,
        environment.home ? environment.home->c_str() : nullptr, RememberedWinePrefix(toolStore));
    if (!prefix.empty()) Use(prefix);
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
    Use(prefix);
    // Not remembered (the settings file cannot be written): used for this run all the
    // same, and the store's own notice tells why.
    RememberWinePrefix(*toolStore_, folder);
    return true;
}

std::u16string WineHost::NativePath(std::u16string_view gamePath) {
    if (prefixRegistry_.Prefix().empty()) return std::u16string(gamePath);
    return WinePathToNative(prefixRegistry_.Prefix(), gamePath).value_or(std::u16string(gamePath));
}

std::u16string WineHost::GameRoot() {
    return std::u16string(redirect_.Root());
}

}  // namespace qm
