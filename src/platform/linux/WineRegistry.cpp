#include "platform/linux/WineRegistry.h"

#include <atomic>
#include <system_error>
#include <utility>

#include "platform/linux/WinePrefix.h"
#include "storage/Paths.h"
#include "storage/PrivateTemp.h"
#include "storage/SafeFile.h"

#ifndef _WIN32
#include <sys/stat.h>
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

void WinePrefixRegistry::Notice(std::u16string_view text) {
    if (notice_.find(text) != std::u16string::npos) return;
    if (!notice_.empty()) notice_ += u"\n";
    notice_ += text;
}

std::u16string WinePrefixRegistry::TakeNotice() {
    return std::exchange(notice_, std::u16string());
}

std::optional<WinePrefixRegistry::FileStamp> WinePrefixRegistry::Stamp() const {
    const fs::path file = prefix_ / "system.reg";
    FileStamp stamp;
#ifndef _WIN32
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return std::nullopt;
    stamp.modified = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.size = uintmax_t(st.st_size);
    stamp.inode = uintmax_t(st.st_ino);
#else
    std::error_code ec;
    stamp.size = fs::file_size(file, ec);
    if (ec) return std::nullopt;
    stamp.modified = fs::last_write_time(file, ec).time_since_epoch().count();
#endif
    return stamp;
}

WineRegDocument* WinePrefixRegistry::Load(std::u16string* error) {
    const fs::path file = prefix_ / "system.reg";
    const std::optional<FileStamp> stamp = Stamp();
    if (!stamp) {
        if (error) *error = u"「" + TextFromPath(file) + u"」が見つかりません。";
        return nullptr;
    }
    if (cached_ && cached_->stamp == *stamp) return &cached_->doc;
    cached_.reset();
    if (stamp->size > kMaxSystemRegBytes) {
        if (error) *error = u"「" + TextFromPath(file) + u"」が大きすぎて読み込めません。";
        return nullptr;
    }
    auto bytes = ReadFileHead(file, std::size_t(stamp->size) + 1);
    if (!bytes) {
        if (error) *error = u"「" + TextFromPath(file) + u"」を読み込めませんでした。";
        return nullptr;
    }
    auto doc = WineRegDocument::Parse(
        std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    if (!doc) {
        if (error)
            *error = u"「" + TextFromPath(file) + u"」は Wine のレジストリファイルではありません。";
        return nullptr;
    }
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

bool WinePrefixRegistry::SetThroughServer(std::u16string_view key, std::u16string_view name,
                                          const RegRawValue& value) {
    const std::u16string closeFirst =
        u"ゲームと PlayOnline を終了してから、もう一度保存してください。";
    if (!tool_->Available()) {
        Notice(u"Wine のプレフィックス「" + TextFromPath(prefix_) +
               u"」でゲームか PlayOnline "
               u"が動いているため、ゲームの設定をレジストリに書き込めませんでした。\n" +
               closeFirst);
        return false;
    }
    RegFileDocument* live = LiveCopyOf(key);
    if (live) {
        auto current = live->Query(key, name);
        if (current && SameValue(*current, value)) return true;
    }

    auto doc = RegFileDocument::Parse(u"");
    doc->Set(key, name, value);
    const fs::path file = TempFile(".reg");
    std::u16string error;
    bool ok = !file.empty() &&
              WritePrivateTempFile(file.filename().string(), EncodeRegFileText(doc->Serialize()),
                                   &error) &&
              tool_->Import(prefix_, file, &error);
    std::error_code ec;
    fs::remove(file, ec);
    if (!ok) {
        Notice(u"Wine のプレフィックス「" + TextFromPath(prefix_) +
               u"」でゲームか PlayOnline が動いているため wine reg "
               u"で書き込もうとしましたが、できませんでした。" +
               (error.empty() ? u"" : u"（" + error + u"）") + u"\n" + closeFirst);
        snapshots_.clear();
        return false;
    }
    if (live)
        live->Set(key, name, value);
    else
        snapshots_.erase(RegFoldName(RootOf(key)));  // the key may exist now: ask again
    return true;
}

bool WinePrefixRegistry::Set(Hive, std::u16string_view key, std::u16string_view name,
                             const RegRawValue& value) {
    if (prefix_.empty()) {
        Notice(u"Wine のプレフィックスが選ばれていないため、ゲームの設定を書き込めませんでした。");
        return false;
    }
    if (ServerRunning()) return SetThroughServer(key, name, value);

    std::u16string error;
    WineRegDocument* loaded = Load(&error);
    if (!loaded) {
        Notice(error + u"\nゲームの設定をレジストリに書き込めませんでした。");
        return false;
    }
    WineRegDocument& doc = *loaded;
    const std::u16string target = ViewKeys(doc, key).front();
    // Already so where the game reads it: the file stays as it is.
    if (auto current = doc.Query(target, name); current && SameValue(*current, value)) return true;
    if (!doc.Set(target, name, value, options_.now())) return false;
    const std::string bytes = doc.Serialize();
    const fs::path file = prefix_ / "system.reg";
    if (!WriteWholeFile(file,
                        std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
                        &error)) {
        cached_.reset();  // holds the change the file did not get
        Notice(u"「" + TextFromPath(file) + u"」に書き込めませんでした。" + error);
        return false;
    }
    // The copy in memory is what was written; it serves the next call unless the file
    // changes again.
    if (auto written = Stamp(); written && cached_)
        cached_->stamp = *written;
    else
        cached_.reset();
    // A server that started while the file was being replaced may have read the old one,
    // and would write it back: give it the change as well.
    if (ServerRunning()) return SetThroughServer(key, name, value);
    return true;
}

}  // namespace qm
