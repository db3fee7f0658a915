#include "platform/Registry.h"

#include "storage/SavePlan.h"

namespace qm {

namespace {

char16_t FoldChar(char16_t c) {
    if (c >= u'a' && c <= u'z') return c - 0x20;
    if (c < 0xE0) return c;
    if (c <= 0xFE) return c == 0xF7 ? c : c - 0x20;
    if (c == 0xFF) return 0x178;
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    if (c >= 0xFF41 && c <= 0xFF5A) return c - 0x20;
    return c;
}

}  // namespace

std::u16string RegFoldName(std::u16string_view name) {
    std::u16string folded(name);
    for (auto& c : folded) c = FoldChar(c);
    return folded;
}

bool RegNamesEqual(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldChar(a[i]) != FoldChar(b[i])) return false;
    return true;
}

std::vector<std::u16string> RegKeyLevels(std::u16string_view path, bool fold) {
    std::vector<std::u16string> levels;
    std::size_t start = 0;
    while (start <= path.size()) {
        auto end = path.find(u'\\', start);
        if (end == std::u16string_view::npos) end = path.size();
        if (end > start) {
            auto level = path.substr(start, end - start);
            levels.push_back(fold ? RegFoldName(level) : std::u16string(level));
        }
        start = end + 1;
    }
    return levels;
}

void IRegistryBackend::PlanSetMany(SavePlan& plan, Hive hive, std::span<const RegValueWrite> values,
                                   std::u16string_view label) {
    if (values.empty()) return;
    std::vector<RegValueWrite> copy(values.begin(), values.end());
    plan.AddAction(std::u16string(label), [this, hive, copy](Reason& reason) {
        std::u16string failed;
        for (const RegValueWrite& v : copy) {
            if (Set(hive, v.key, v.name, v.value)) continue;
            if (!failed.empty()) failed += u", ";
            failed += v.name;
        }
        if (failed.empty()) return true;
        reason.kind = ReasonKind::ValuesNotStored;
        reason.subject = failed;
        return false;
    });
}

bool IRegistryBackend::SetMany(Hive hive, std::span<const RegValueWrite> values, Reason* reason) {
    SavePlan plan;
    PlanSetMany(plan, hive, values, kRegistryLabel);
    const SaveReport report = plan.Run();
    if (!report.AllSaved() && reason) *reason = report.reason;
    return report.AllSaved();
}

}  // namespace qm
