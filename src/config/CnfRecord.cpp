#include "config/CnfRecord.h"

#include <algorithm>

#include "macro/MacroFile.h"
#include "storage/Paths.h"
#include "storage/SafeFile.h"
#include "storage/SavePlan.h"

namespace qm {

namespace {

bool ValidEntry(int entry) {
    return entry >= 0 && entry < kTextColorCount;
}

std::size_t ColorOffset(int entry) {
    return kTextColorOffset + 4 * static_cast<std::size_t>(entry);
}

std::u16string CnfPath(std::u16string_view folder) {
    return std::u16string(folder) + u"cnf.dat";
}

constexpr std::array<std::u16string_view, kTextColorCount> kCaptions{
    u"通常会話(Say)",
    u"大声で話す(Shout)",
    u"直接会話(Tell)",
    u"パーティ会話(Party)",
    u"リンクシェル会話(LinkShell)",
    u"感情表現",
    u"メッセージ(Message)",
    u"NPC発言",
    u"自分のHP/MPの増加",
    u"自分のHP/MPの減少",
    u"良いエフェクトが自分にかかる",
    u"悪いエフェクトが自分にかかる",
    u"相手からのエフェクトに抵抗",
    u"相手からのアクションを回避",
    u"自分以外のHP/MPの増加",
    u"自分以外のHP/MPの減少",
    u"自分以外に良いエフェクトがかかる",
    u"自分以外に悪いエフェクトがかかる",
    u"自分以外がエフェクトに抵抗",
    u"自分以外がアクションを回避",
    u"バトルメッセージの標準カラー",
    u"救援要請実行時カラー",
    u"一部のシステムメッセージ",
};

constexpr std::array<TextColorGroup, 4> kGroups{{
    {u"会話", u"talk", 0, 7},
    {u"自分", u"me", 8, 13},
    {u"他人", u"others", 14, 19},
    {u"システム", u"system", 20, 22},
}};

}  // namespace

TextColor CnfRecord::Color(int entry) const {
    if (!ValidEntry(entry)) return {};
    const std::size_t at = ColorOffset(entry);
    return TextColor{bytes[at], bytes[at + 1], bytes[at + 2], bytes[at + 3]};
}

void CnfRecord::SetColor(int entry, TextColor color) {
    if (!ValidEntry(entry)) return;
    const std::size_t at = ColorOffset(entry);
    bytes[at] = color.blue;
    bytes[at + 1] = color.green;
    bytes[at + 2] = color.red;
    bytes[at + 3] = color.alpha;
}

uint8_t CnfRecord::ColorByteAt(int entry, ColorByte which) const {
    if (!ValidEntry(entry)) return 0;
    return bytes[ColorOffset(entry) + static_cast<std::size_t>(which)];
}

void CnfRecord::SetColorByte(int entry, ColorByte which, uint8_t value) {
    if (!ValidEntry(entry)) return;
    bytes[ColorOffset(entry) + static_cast<std::size_t>(which)] = value;
}

int32_t CnfRecord::BackgroundValue() const {
    const std::size_t at = kCnfBackgroundOffset;
    const uint32_t v = uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 |
                       uint32_t{bytes[at + 2]} << 16 | uint32_t{bytes[at + 3]} << 24;
    return static_cast<int32_t>(v);
}

CnfRecord LoadCnf(std::u16string_view folder, std::error_code* error, StoredHead* stored) {
    if (stored) *stored = {};
    if (!FileExists(CnfPath(folder))) return CnfRecord{};
    return LoadCnfIn(PathFromText(folder), error, stored);
}

CnfRecord LoadCnfIn(const std::filesystem::path& folder, std::error_code* error,
                    StoredHead* stored) {
    CnfRecord record;
    if (stored) *stored = {};
    const std::filesystem::path path = folder / "cnf.dat";
    if (!FileExistsAt(path)) return record;
    std::error_code cause;
    auto head = ReadFileHead(path, kCnfRecordSize, &cause);
    if (!head) {
        record.readFailed = true;
        if (error) *error = cause ? cause : std::make_error_code(std::errc::io_error);
        return record;
    }
    std::copy_n(head->begin(), std::min(head->size(), kCnfRecordSize), record.bytes.begin());
    if (stored) {
        stored->present = true;
        stored->bytes = std::move(*head);
    }
    return record;
}

bool SaveCnf(std::u16string_view folder, const CnfRecord& record, Reason* error) {
    if (record.readFailed) {
        if (error) *error = Reason{.kind = ReasonKind::ColorsUnread};
        return false;
    }
    return WriteRecordFile(PathFromText(CnfPath(folder)), record.bytes, error);
}

void PlanCnf(SavePlan& plan, std::u16string_view folder, const CnfRecord& record,
             StoredHead* stored) {
    if (record.readFailed) {
        plan.Refuse(u"cnf.dat", Reason{.kind = ReasonKind::ColorsUnread});
        return;
    }
    if (stored && stored->Holds(record.bytes)) return;
    plan.AddRecord(PathFromText(CnfPath(folder)), record.bytes, u"cnf.dat",
                   [stored, bytes = record.bytes](bool written) {
                       if (!written || !stored) return;
                       stored->present = true;
                       stored->bytes.assign(bytes.begin(), bytes.end());
                   });
}

std::span<const TextColorGroup> TextColorGroups() {
    return kGroups;
}

std::u16string_view TextColorCaption(int entry) {
    return ValidEntry(entry) ? kCaptions[static_cast<std::size_t>(entry)] : std::u16string_view{};
}

std::u16string TextColorNodeKey(int entry) {
    std::u16string key;
    for (char c : std::to_string(entry)) key += static_cast<char16_t>(c);
    return key + u" node";
}

int TextColorEntryFromKey(std::u16string_view key) {
    if (key.find(u" node") == std::u16string_view::npos) return -1;
    int value = 0;
    std::size_t i = 0;
    while (i < key.size() && key[i] >= u'0' && key[i] <= u'9' && value <= kTextColorCount) {
        value = value * 10 + (key[i] - u'0');
        ++i;
    }
    if (i == 0 || !ValidEntry(value)) return -1;
    return value;
}

}  // namespace qm
