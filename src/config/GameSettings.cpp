#include "config/GameSettings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "settings/NumberText.h"
#include "settings/Registry.h"

namespace qm {

namespace {

// A stored number the 16-bit fields cannot hold counts as not read: the field keeps
// its default, as for a missing value.
std::optional<int16_t> ReadInt16(IRegistryBackend& registry, std::u16string_view name) {
    const int32_t v =
        RegReadValue(registry, Hive::LocalMachine, kGameSettingsKey, name, REG_DWORD_TYPE, 0);
    if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max())
        return std::nullopt;
    return static_cast<int16_t>(v);
}

CheckState ReadCheck(IRegistryBackend& registry, std::u16string_view name) {
    switch (ReadInt16(registry, name).value_or(0)) {
        case 1:
            return CheckState::Checked;
        case 2:
            return CheckState::Grey;
        default:  // 0, and every value a check box rejects
            return CheckState::Clear;
    }
}

int ReadIndex(IRegistryBackend& registry, std::u16string_view name, size_t count) {
    const int v = ReadInt16(registry, name).value_or(0);
    return v >= 0 && static_cast<size_t>(v) < count ? v : 0;
}

std::u16string Decimal(int value) {
    std::u16string out;
    for (char c : std::to_string(value)) out.push_back(static_cast<char16_t>(c));
    return out;
}

}  // namespace

int BackBufferStep(int16_t pixels) {
    if (pixels <= 256) return 0;
    if (pixels <= 512) return 1;
    return 2;
}

std::optional<std::u16string> BackBufferTextForStep(int position) {
    switch (position) {
        case 0:
            return u"256";
        case 1:
            return u"512";
        case 2:
            return u"1024";
        default:
            return std::nullopt;
    }
}

std::optional<int16_t> ParseBackBufferText(std::u16string_view text) {
    // Too large for a double means too large for the box, too small means 0.
    const double value = LeadingNumber(text);
    if (std::isinf(value)) return std::nullopt;
    // The default floating-point rounding mode rounds halves to even.
    const double whole = std::nearbyint(value);
    if (whole < std::numeric_limits<int16_t>::min() || whole > std::numeric_limits<int16_t>::max())
        return std::nullopt;
    return static_cast<int16_t>(whole);
}

GameSettings LoadGameSettings(IRegistryBackend& registry, DisplayModeList& modes,
                              bool displayModeFailed) {
    GameSettings s;
    s.sound = ReadCheck(registry, u"0007");
    s.mipMap = ReadCheck(registry, u"0000");

    const Resolution stored{ReadInt16(registry, u"0001").value_or(0),
                            ReadInt16(registry, u"0002").value_or(0)};
    if (displayModeFailed) modes.assign(1, stored);
    // A stored resolution the adapter does not list is kept and offered after its modes.
    const auto found = std::find(modes.begin(), modes.end(), stored);
    if (found != modes.end()) {
        s.frontBuffer = static_cast<int>(found - modes.begin());
    } else {
        modes.push_back(stored);
        s.frontBuffer = static_cast<int>(modes.size()) - 1;
    }

    const int16_t bw = ReadInt16(registry, u"0003").value_or(0);
    const int16_t bh = ReadInt16(registry, u"0004").value_or(0);
    s.backBufferWStep = BackBufferStep(bw);
    s.backBufferHStep = BackBufferStep(bh);
    // The boxes show the exact stored numbers; only the sliders show the step.
    s.backBufferW = Decimal(bw);
    s.backBufferH = Decimal(bh);

    s.general = ReadIndex(registry, u"0018", kGeneralCaptions.size());
    s.menuMap = ReadIndex(registry, u"0019", kMenuMapCaptions.size());
    s.deformAnimation = ReadIndex(registry, u"0011", kDeformAnimationCaptions.size());

    // Shown and written back even while the adapter cannot do bump mapping.
    s.bumpMap = ReadCheck(registry, u"0017");
    s.openingMovie = ReadCheck(registry, u"0022");
    s.hardwareCursor = ReadCheck(registry, u"0021");
    s.simpleCharacterMake = ReadCheck(registry, u"0023");
    return s;
}

namespace {
// A whole number as the box shows it: an empty box or one with other characters would
// otherwise be saved as 0 without a word.
bool WholeNumberText(std::u16string_view text) {
    if (text.starts_with(u'-')) text.remove_prefix(1);
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}
bool StorableBackBufferText(std::u16string_view text) {
    return WholeNumberText(text) && ParseBackBufferText(text).has_value();
}
}  // namespace

Reason CheckGameSettingsForSave(const GameSettings& settings) {
    // number: 0 the internal width, 1 the height
    if (!StorableBackBufferText(settings.backBufferW))
        return Reason{.kind = ReasonKind::NumberOutOfRange, .number = 0};
    if (!StorableBackBufferText(settings.backBufferH))
        return Reason{.kind = ReasonKind::NumberOutOfRange, .number = 1};
    return {};
}

std::optional<std::vector<RegValueWrite>> GameSettingsValues(const GameSettings& settings,
                                                             const DisplayModeList& modes) {
    const std::optional<int16_t> bw = ParseBackBufferText(settings.backBufferW);
    const std::optional<int16_t> bh = ParseBackBufferText(settings.backBufferH);
    if (!bw || !bh) return std::nullopt;

    std::optional<Resolution> front;
    if (settings.frontBuffer >= 0 && static_cast<size_t>(settings.frontBuffer) < modes.size())
        front = modes[static_cast<size_t>(settings.frontBuffer)];

    std::vector<RegValueWrite> values;
    auto put = [&](std::u16string_view name, int value) {
        values.push_back(
            {std::u16string(kGameSettingsKey), std::u16string(name), RegNumberValue(value)});
    };
    auto state = [](CheckState c) { return static_cast<int>(c); };
    put(u"0007", state(settings.sound));
    put(u"0000", state(settings.mipMap));
    // No selected resolution: nothing sound to write, so the stored pair stays.
    if (front) {
        put(u"0001", front->width);
        put(u"0002", front->height);
    }
    put(u"0003", *bw);
    put(u"0004", *bh);
    put(u"0018", settings.general);
    put(u"0019", settings.menuMap);
    put(u"0017", state(settings.bumpMap));
    put(u"0011", settings.deformAnimation);
    put(u"0022", state(settings.openingMovie));
    put(u"0021", state(settings.hardwareCursor));
    put(u"0023", state(settings.simpleCharacterMake));
    return values;
}

void PlanGameSettings(SavePlan& plan, IRegistryBackend& registry, const GameSettings& settings,
                      const DisplayModeList& modes) {
    // Refused before the first write, so the stored settings stay whole.
    if (Reason refusal = CheckGameSettingsForSave(settings)) {
        plan.Refuse(u"", std::move(refusal));
        return;
    }
    const auto values = GameSettingsValues(settings, modes);
    registry.PlanSetMany(plan, Hive::LocalMachine, *values, kGameSettingsLabel);
}

SaveReport SaveGameSettings(IRegistryBackend& registry, const GameSettings& settings,
                            const DisplayModeList& modes) {
    SavePlan plan;
    PlanGameSettings(plan, registry, settings, modes);
    return plan.Run();
}

}  // namespace qm
