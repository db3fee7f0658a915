#include "platform/linux/RegFile.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <system_error>
#include <utility>

#include "storage/Paths.h"
#include "storage/SafeFile.h"
#include "storage/SavePlan.h"

namespace qm {

namespace {

// Far beyond anything this program writes; a bigger file is not ours.
constexpr std::size_t kMaxFileBytes = 16 * 1024 * 1024;

std::filesystem::path FreeSetAsideName(const std::filesystem::path& file) {
    std::error_code ec;
    for (int n = 1; n < 1000; ++n) {
        auto candidate = file;
        candidate += n == 1 ? std::string(".damaged") : ".damaged-" + std::to_string(n);
        if (!std::filesystem::exists(candidate, ec) && !ec) return candidate;
    }
    return {};
}

}  // namespace

RegFileBackend::RegFileBackend(std::filesystem::path file) : file_(std::move(file)) {}

std::filesystem::path RegFileBackend::DefaultPath() {
#ifdef _WIN32
    // The user's roaming application data, where Windows programs keep their settings.
    const wchar_t* appData = _wgetenv(L"APPDATA");
    if (!appData || !std::filesystem::path(appData).is_absolute()) return {};
    return std::filesystem::path(appData) / "quillmor" / "registry.reg";
#else
    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && home[0] != '\0') {
        base = std::filesystem::path(home) / ".config";
    } else {
        return {};
    }
    return base / "quillmor" / "registry.reg";
#endif
}

std::vector<StoreNotice> RegFileBackend::TakeNotice() {
    if (!notice_) return {};
    return {std::exchange(notice_, StoreNotice())};
}

void RegFileBackend::Notice(const Reason& reason, bool startsEmpty) {
    if (reason == noticed_) return;
    noticed_ = reason;
    notice_ = {reason, startsEmpty};
}

void RegFileBackend::Fail(ReasonKind kind) {
    lastError_ = {};
    lastError_.kind = kind;
    if (kind != ReasonKind::SettingsFileUnknown) lastError_.subject = TextFromPath(file_);
    Notice(lastError_, true);
}

std::optional<FileStamp> RegFileBackend::Stamp(std::error_code* error) const {
    FileStat st;
    if (const std::error_code ec = CurrentFileSystem().Stat(file_, st)) {
        if (error) *error = ec;
        return std::nullopt;
    }
    if (!st.IsRegular()) {
        if (error) *error = std::make_error_code(std::errc::invalid_argument);
        return std::nullopt;
    }
    return FileStamp::Of(st);
}

const RegFileDocument* RegFileBackend::Load() {
    if (file_.empty()) {
        Fail(ReasonKind::SettingsFileUnknown);
        return nullptr;
    }
    std::error_code ec;
    const std::optional<FileStamp> stamp = Stamp(&ec);
    if (!stamp && ec == std::errc::no_such_file_or_directory) {
        cached_.reset();
        noticed_ = {};
        return &empty_;
    }
    if (!stamp && ec != std::errc::invalid_argument) {
        Fail(ReasonKind::SettingsFileUnchecked);
        return nullptr;
    }
    if (stamp && cached_ && cached_->stamp == *stamp) return &cached_->doc;
    cached_.reset();
    auto bytes = stamp ? ReadFileHead(file_, kMaxFileBytes + 1) : std::nullopt;
    if (!bytes) {
        Fail(ReasonKind::SettingsFileUnreadable);
        return nullptr;
    }
    if (bytes->size() <= kMaxFileBytes) {
        if (auto text = DecodeRegFileBytes(*bytes)) {
            if (auto doc = RegFileDocument::Parse(*text)) {
                noticed_ = {};
                cached_ = Cached{std::move(*doc), *stamp};
                return &cached_->doc;
            }
        }
    }
    // Damaged: keep it for the player under another name and start afresh.
    auto aside = FreeSetAsideName(file_);
    if (aside.empty() || CurrentFileSystem().Rename(file_, aside)) {
        Fail(ReasonKind::SettingsFileNotSetAside);
        return nullptr;
    }
    setAside_ = aside;
    Reason setAside;
    setAside.kind = ReasonKind::SettingsFileSetAside;
    setAside.subject = TextFromPath(aside);
    Notice(setAside, false);
    return &empty_;
}

std::optional<RegRawValue> RegFileBackend::Query(Hive hive, std::u16string_view key,
                                                 std::u16string_view name) {
    if (hive != Hive::LocalMachine) return std::nullopt;
    const RegFileDocument* doc = Load();
    if (!doc) return std::nullopt;
    lastError_ = {};
    return doc->Query(key, name);
}

void RegFileBackend::PlanSetMany(SavePlan& plan, Hive hive, std::span<const RegValueWrite> values,
                                 std::u16string_view label) {
    if (values.empty()) return;
    if (hive != Hive::LocalMachine) {
        plan.Refuse(std::u16string(label), Reason{.kind = ReasonKind::SettingsPlaceForeign});
        return;
    }
    const RegFileDocument* doc = Load();
    if (!doc) {
        plan.Refuse(std::u16string(label), lastError_);
        return;
    }
    const bool same = std::all_of(values.begin(), values.end(), [&](const RegValueWrite& v) {
        const auto current = doc->Query(v.key, v.name);
        return current && current->type == v.value.type && current->data == v.value.data;
    });
    if (same) return;
    // The cache keeps what the disk holds: the changed copy takes its place only once
    // it is written.
    auto changed = std::make_shared<RegFileDocument>(*doc);
    for (const RegValueWrite& v : values) changed->Set(v.key, v.name, v.value);
    plan.AddFile(
        file_, EncodeRegFileText(changed->Serialize()), std::u16string(label),
        [this, changed](bool written) {
            if (!written) return;
            if (auto stamp = Stamp())
                cached_ = Cached{std::move(*changed), *stamp};
            else
                cached_.reset();
        },
        PlanFileOptions{.createFolder = true});
}

bool RegFileBackend::Set(Hive hive, std::u16string_view key, std::u16string_view name,
                         const RegRawValue& value) {
    if (hive != Hive::LocalMachine) return false;
    if (!Load()) return false;  // told by Load
    const RegValueWrite one{std::u16string(key), std::u16string(name), value};
    Reason reason;
    if (!SetMany(hive, std::span(&one, 1), &reason)) {
        lastError_ = {};
        lastError_.kind = ReasonKind::SettingsFileUnwritable;
        lastError_.subject = TextFromPath(file_);
        lastError_.cause = reason.cause;
        Notice(lastError_, false);
        return false;
    }
    lastError_ = {};
    return true;
}

}  // namespace qm
