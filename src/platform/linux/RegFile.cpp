#include "platform/linux/RegFile.h"

#include <cstdlib>
#include <system_error>
#include <utility>

#include "storage/SafeFile.h"
#include "storage/Paths.h"

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
    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && home[0] != '\0') {
        base = std::filesystem::path(home) / ".config";
    } else {
        return {};
    }
    return base / "quillmor" / "registry.reg";
}

std::u16string RegFileBackend::TakeNotice() {
    return std::exchange(notice_, std::u16string());
}

void RegFileBackend::Notice(const std::u16string& text) {
    if (text == noticed_) return;
    noticed_ = text;
    notice_ = text;
}

std::optional<RegFileDocument> RegFileBackend::Load() {
    if (file_.empty()) {
        lastError_ = u"設定ファイルの場所が分かりません（HOME が設定されていません）。";
        Notice(lastError_ + u"\n設定は既定値で始まり、保存されません。");
        return std::nullopt;
    }
    std::error_code ec;
    const bool exists = std::filesystem::exists(file_, ec);
    if (ec) {
        lastError_ = u"設定ファイルを確認できません: " + TextFromPath(file_);
        Notice(lastError_ + u"\n設定は既定値で始まり、保存されません。");
        return std::nullopt;
    }
    if (!exists) {
        noticed_.clear();
        return RegFileDocument{};
    }
    auto bytes = ReadFileHead(file_, kMaxFileBytes + 1);
    if (!bytes || !std::filesystem::is_regular_file(file_, ec)) {
        lastError_ = u"設定ファイルを読めません: " + TextFromPath(file_);
        Notice(lastError_ + u"\n設定は既定値で始まり、保存されません。");
        return std::nullopt;
    }
    if (bytes->size() <= kMaxFileBytes) {
        if (auto text = DecodeRegFileBytes(*bytes)) {
            if (auto doc = RegFileDocument::Parse(*text)) {
                noticed_.clear();
                return doc;
            }
        }
    }
    // Damaged: keep it for the player under another name and start afresh.
    auto aside = FreeSetAsideName(file_);
    if (aside.empty() || (std::filesystem::rename(file_, aside, ec), ec)) {
        lastError_ = u"壊れた設定ファイルを退避できません: " + TextFromPath(file_);
        Notice(lastError_ + u"\n設定は既定値で始まり、保存されません。");
        return std::nullopt;
    }
    setAside_ = aside;
    Notice(u"設定ファイルが壊れていたため、「" + TextFromPath(aside) +
           u"」に名前を変えて残しました。設定は既定値に戻ります。");
    return RegFileDocument{};
}

std::optional<RegRawValue> RegFileBackend::Query(Hive hive, std::u16string_view key,
                                                 std::u16string_view name) {
    if (hive != Hive::LocalMachine) return std::nullopt;
    auto doc = Load();
    if (!doc) return std::nullopt;
    lastError_.clear();
    return doc->Query(key, name);
}

bool RegFileBackend::Set(Hive hive, std::u16string_view key, std::u16string_view name,
                         const RegRawValue& value) {
    if (hive != Hive::LocalMachine) return false;
    auto doc = Load();
    if (!doc) return false;
    doc->Set(key, name, value);
    std::error_code ec;
    std::filesystem::create_directories(file_.parent_path(), ec);
    std::u16string error;
    if (!WriteWholeFile(file_, EncodeRegFileText(doc->Serialize()), &error)) {
        lastError_ = u"設定ファイルを書き込めません: " + TextFromPath(file_);
        if (!error.empty()) lastError_ += u"（" + error + u"）";
        Notice(lastError_);
        return false;
    }
    lastError_.clear();
    return true;
}

}  // namespace qm
