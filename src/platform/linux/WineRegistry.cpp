#include "platform/linux/WineRegistry.h"

#include <atomic>
#include <system_error>
#include <utility>

#include "platform/linux/WinePrefix.h"
#include "storage/Paths.h"
#include "storage/PrivateTemp.h"
#include "storage/SafeFile.h"
#include "storage/SavePlan.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace qm {

namespace fs = std::filesystem;

namespace {

// Far beyond any real prefix; a bigger file is not read at all.
constexpr uintmax_t kMaxSystemRegBytes = 512u * 1024 * 1024;

std::pair<std::u16string_view, std::u16string_view> FirstLevel(std::u16string_view key) {
    const std::size_t sep = key.find(u'\\');
    if (sep == std::u16string_view::npos) return {key, u""};
    return {key.substr(0, sep), key.substr(sep + 1)};
}

// "SOFTWARE\PlayOnline" for "SOFTWARE\PlayOnline\SQUARE\FinalFantasyXI": what one
// export brings over.
std::u16string_view RootOf(std::u16string_view key) {
    const std::size_t first = key.find(u'\\');
    if (first == std::u16string_view::npos) return key;
    const std::size_t second = key.find(u'\\', first + 1);
    return second == std::u16string_view::npos ? key : key.substr(0, second);
}

bool SameValue(const RegRawValue& a, const RegRawValue& b) {
    return a.type == b.type && a.data == b.data;
}

}  // namespace

WinePrefixRegistry::WinePrefixRegistry(IWineRegTool& tool, Options options)
    : tool_(&tool), options_(std::move(options)) {}

void WinePrefixRegistry::SetPrefix(const fs::path& prefix) {
    prefix_ = prefix;
    cached_.reset();
    snapshots_.clear();
}

bool WinePrefixRegistry::ServerRunning() const {
    return !prefix_.empty() && WineServerRunning(prefix_, options_.tmpRoot);
}

void WinePrefixRegistry::Notice(const Reason& reason) {
    for (const StoreNotice& told : notices_)
        if (told.reason == reason) return;
    notices_.push_back({reason});
}

std::vector<StoreNotice> WinePrefixRegistry::TakeNotice() {
    return std::exchange(notices_, {});
}

std::optional<FileStamp> WinePrefixRegistry::Stamp() const {
    FileStat st;
    if (CurrentFileSystem().Stat(prefix_ / "system.reg", st)) return std::nullopt;
    return FileStamp::Of(st);
}

WineRegDocument* WinePrefixRegistry::Load(Reason* error) {
    const fs::path file = prefix_ / "system.reg";
    const auto fail = [&](ReasonKind kind) -> WineRegDocument* {
        if (error) *error = Reason{.kind = kind, .subject = TextFromPath(file)};
        return nullptr;
    };
    const std::optional<FileStamp> stamp = Stamp();
    if (!stamp) return fail(ReasonKind::WineFileMissing);
    if (cached_ && cached_->stamp == *stamp) return &cached_->doc;
    cached_.reset();
    if (stamp->size > kMaxSystemRegBytes) return fail(ReasonKind::WineFileTooLarge);
    auto bytes = ReadFileHead(file, std::size_t(stamp->size) + 1);
    if (!bytes) return fail(ReasonKind::WineFileUnreadable);
    auto doc = WineRegDocument::Parse(std::move(*bytes));
    if (!doc) return fail(ReasonKind::WineFileDamaged);
    cached_ = Cached{std::move(*doc), *stamp};
    return &cached_->doc;
}

std::vector<std::u16string> WinePrefixRegistry::ViewKeys(const WineRegDocument& doc,
                                                         std::u16string_view key) {
    const auto [first, rest] = FirstLevel(key);
    if (!doc.IsWin64() || rest.empty() || !RegNamesEqual(first, u"SOFTWARE") ||
        RegNamesEqual(FirstLevel(rest).first, u"Wow6432Node"))
        return {std::u16string(key)};
    return {std::u16string(first) + u"\\Wow6432Node\\" + std::u16string(rest), std::u16string(key)};
}

fs::path WinePrefixRegistry::TempFile(std::string_view suffix) const {
    // In the process's private folder: in the shared one, another account could plant a
    // link under a name we are about to write or read.
    static std::atomic<unsigned> counter{0};
    auto folder = PrivateTempFolder();
    if (!folder) return {};
    return *folder / ("wine-" + std::to_string(counter++) + std::string(suffix));
}

RegFileDocument* WinePrefixRegistry::LiveCopyOf(std::u16string_view key) {
    const std::u16string root(RootOf(key));
    const std::u16string folded = RegFoldName(root);
    const auto now = std::chrono::steady_clock::now();
    // A failure is remembered as long as a copy would be, so that a tool that cannot
    // reach the server is not run again for every value.
    if (auto it = snapshots_.find(folded); it != snapshots_.end()) {
        if (now - it->second.taken <= options_.snapshotLife)
            return it->second.doc ? &*it->second.doc : nullptr;
        snapshots_.erase(it);
    }
    if (!tool_->Available()) return nullptr;
    const fs::path file = TempFile(".reg");
    // A root the prefix does not have makes the export fail too; the caller then reads
    // system.reg, which is as good for a key that was never written.
    std::optional<RegFileDocument> doc;
    if (!file.empty() && tool_->Export(prefix_, root, file, nullptr)) {
        if (auto bytes = ReadFileHead(file, 64u * 1024 * 1024))
            if (auto text = DecodeRegFileBytes(*bytes)) doc = RegFileDocument::Parse(*text);
    }
    std::error_code ec;
    fs::remove(file, ec);
    auto& slot = snapshots_[folded];
    slot = {std::move(doc), now};
    return slot.doc ? &*slot.doc : nullptr;
}

std::optional<RegRawValue> WinePrefixRegistry::Query(Hive, std::u16string_view key,
                                                     std::u16string_view name) {
    if (prefix_.empty()) return std::nullopt;
    // The server's copy is newer than the file as long as it runs.
    if (ServerRunning())
        if (RegFileDocument* live = LiveCopyOf(key)) return live->Query(key, name);
    const WineRegDocument* doc = Load(nullptr);
    if (!doc) return std::nullopt;
    for (const auto& k : ViewKeys(*doc, key))
        if (auto value = doc->Query(k, name)) return value;
    return std::nullopt;
}

bool WinePrefixRegistry::ImportThroughServer(const std::vector<RegValueWrite>& values,
                                             Reason& reason) {
    auto doc = RegFileDocument::Parse(u"");
    for (const RegValueWrite& v : values) doc->Set(v.key, v.name, v.value);
    const fs::path file = TempFile(".reg");
    Reason error;
    const bool ok = !file.empty() &&
                    WritePrivateTempFile(file.filename().string(),
                                         EncodeRegFileText(doc->Serialize()), &error) &&
                    tool_->Import(prefix_, file, &error);
    std::error_code ec;
    fs::remove(file, ec);
    if (!ok) {
        // number: wine reg's exit status, -1 when it did not run, -2 without wine.
        reason = Reason{.kind = ReasonKind::WineRegFailed,
                        .cause = error.cause,
                        .subject = TextFromPath(prefix_),
                        .number = error.kind == ReasonKind::WineMissing ? -2 : error.number};
        snapshots_.clear();
        return false;
    }
    for (const RegValueWrite& v : values) {
        const auto it = snapshots_.find(RegFoldName(RootOf(v.key)));
        if (it == snapshots_.end()) continue;
        if (it->second.doc)
            it->second.doc->Set(v.key, v.name, v.value);
        else
            snapshots_.erase(it);  // the key may exist now: ask again
    }
    return true;
}

void WinePrefixRegistry::PlanThroughServer(SavePlan& plan, std::span<const RegValueWrite> values,
                                           std::u16string_view label) {
    if (!tool_->Available()) {
        plan.Refuse(std::u16string(label),
                    Reason{.kind = ReasonKind::GameRunning, .subject = TextFromPath(prefix_)});
        return;
    }
    // Only what the server does not hold already goes in.
    std::vector<RegValueWrite> changed;
    for (const RegValueWrite& v : values) {
        RegFileDocument* live = LiveCopyOf(v.key);
        if (live)
            if (auto current = live->Query(v.key, v.name); current && SameValue(*current, v.value))
                continue;
        changed.push_back(v);
    }
    if (changed.empty()) return;
    plan.AddAction(std::u16string(label), [this, changed](Reason& reason) {
        return ImportThroughServer(changed, reason);
    });
}

void WinePrefixRegistry::PlanSetMany(SavePlan& plan, Hive, std::span<const RegValueWrite> values,
                                     std::u16string_view label) {
    if (values.empty()) return;
    if (prefix_.empty()) {
        plan.Refuse(std::u16string(label), Reason{.kind = ReasonKind::NoWinePrefix});
        return;
    }
    if (ServerRunning()) {
        PlanThroughServer(plan, values, label);
        return;
    }
    Reason error;
    WineRegDocument* doc = Load(&error);
    if (!doc) {
        plan.Refuse(std::u16string(label), error);
        return;
    }
    // The values go into the kept copy now; the copy is dropped again unless the file
    // with them is written.
    bool changed = false;
    for (const RegValueWrite& v : values) {
        const std::u16string target = ViewKeys(*doc, v.key).front();
        // Already so where the game reads it.
        if (auto current = doc->Query(target, v.name); current && SameValue(*current, v.value))
            continue;
        if (!doc->Set(target, v.name, v.value, options_.now())) {
            cached_.reset();
            plan.Refuse(std::u16string(label), Reason{.kind = ReasonKind::BadKeyName});
            return;
        }
        changed = true;
    }
    if (!changed) return;
    std::vector<RegValueWrite> copy(values.begin(), values.end());
    plan.AddFile(prefix_ / "system.reg", doc->SerializeBytes(), std::u16string(label),
                 [this, copy](bool written) {
                     if (!written) {
                         cached_.reset();
                         return;
                     }
                     // The copy is what was written; it serves the next call unless the
                     // file changes again.
                     if (auto stamp = Stamp(); stamp && cached_)
                         cached_->stamp = *stamp;
                     else
                         cached_.reset();
                     // A server that started while the file was being replaced may have
                     // read the old one, and would write it back: give it the change too.
                     if (ServerRunning()) {
                         Reason reason;
                         if (!ImportThroughServer(copy, reason)) Notice(reason);
                     }
                 });
}

bool WinePrefixRegistry::Set(Hive hive, std::u16string_view key, std::u16string_view name,
                             const RegRawValue& value) {
    const RegValueWrite one{std::u16string(key), std::u16string(name), value};
    Reason reason;
    if (SetMany(hive, std::span(&one, 1), &reason)) return true;
    Notice(reason);
    return false;
}

}  // namespace qm
