#pragma once
// The game's thirteen graphics and sound options, kept as REG_DWORD values under its
// own registry key. The "環境設定" tab copies these fields to and from its controls;
// loading and saving, with their fallbacks, happen here.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/DisplayProbe.h"
#include "platform/Registry.h"
#include "storage/SavePlan.h"

namespace qm {

inline constexpr std::u16string_view kGameSettingsKey =
    u"SOFTWARE\\PlayOnline\\SQUARE\\FinalFantasyXI";

// A check box as the game stores it; Grey is the third state, kept as it was read.
enum class CheckState : int16_t { Clear = 0, Checked = 1, Grey = 2 };

// Combo box captions in index order; the stored value is the index.
inline constexpr std::array<std::u16string_view, 3> kGeneralCaptions{
    u"高速－低品質", u"中速－やや高品質", u"低速－高品質"};
inline constexpr std::array<std::u16string_view, 2> kMenuMapCaptions{u"高速－低品質",
                                                                     u"低速－高品質"};
inline constexpr std::array<std::u16string_view, 3> kDeformAnimationCaptions{u"なし", u"あり",
                                                                             u"あり－高品質"};

// Registry value names in the order SaveGameSettings writes them.
inline constexpr std::array<std::u16string_view, 13> kGameSettingsSaveOrder{
    u"0007", u"0000", u"0001", u"0002", u"0003", u"0004", u"0018",
    u"0019", u"0017", u"0011", u"0022", u"0021", u"0023"};

struct GameSettings {
    CheckState sound = CheckState::Clear;   // "0007"
    CheckState mipMap = CheckState::Clear;  // "0000"
    int frontBuffer = -1;                   // "0001"/"0002": index into the DisplayModeList
    // "0003"/"0004": the internal-resolution boxes as the user typed them; the number is
    // taken at save (ParseBackBufferText). The slider positions only follow the user.
    std::u16string backBufferW = u"0";
    std::u16string backBufferH = u"0";
    int backBufferWStep = 0;
    int backBufferHStep = 0;
    int general = 0;                                     // "0018", index in kGeneralCaptions
    int menuMap = 0;                                     // "0019", index in kMenuMapCaptions
    CheckState bumpMap = CheckState::Clear;              // "0017"
    int deformAnimation = 0;                             // "0011"
    CheckState openingMovie = CheckState::Clear;         // "0022"
    CheckState hardwareCursor = CheckState::Clear;       // "0021"
    CheckState simpleCharacterMake = CheckState::Clear;  // "0023"
    bool operator==(const GameSettings&) const = default;
};

// Slider range and the pixel size of each position.
inline constexpr int kBackBufferStepMax = 2;
// Slider position for a stored internal size: 0 up to 256 (zero and negatives too),
// 1 up to 512, 2 above.
int BackBufferStep(int16_t pixels);
// The text a slider position writes into its box ("256", "512", "1024"); nothing for any
// other position.
std::optional<std::u16string> BackBufferTextForStep(int position);

// The number in an internal-resolution box: the leading decimal number of the text
// (empty or non-numeric gives 0; full-width digits count), rounded to the nearest integer
// with halves to even. Nothing when the result does not fit 16 bits.
std::optional<int16_t> ParseBackBufferText(std::u16string_view text);

// Reads the thirteen values. `modes` is the probe's list: the stored display resolution
// is found in it or appended to it, and selected. With `displayModeFailed` the list is
// replaced by the stored resolution alone.
GameSettings LoadGameSettings(IRegistryBackend& registry, DisplayModeList& modes,
                              bool displayModeFailed);

// What the report of a save calls the game settings (the window and the command line
// word it).
inline constexpr std::u16string_view kGameSettingsLabel = u"game settings";

// What a save would refuse, checked before anything is written; no reason when the
// settings can be saved.
Reason CheckGameSettingsForSave(const GameSettings& settings);

// The values a save stores, in kGameSettingsSaveOrder; nothing when a box holds a number
// the settings cannot. With no resolution selected, "0001" and "0002" are left out and
// the stored pair stays.
std::optional<std::vector<RegValueWrite>> GameSettingsValues(const GameSettings& settings,
                                                             const DisplayModeList& modes);

// Adds the values to a save plan as one part, kGameSettingsLabel, or refuses the plan
// for a number the settings cannot hold.
void PlanGameSettings(SavePlan& plan, IRegistryBackend& registry, const GameSettings& settings,
                      const DisplayModeList& modes);

// The same as a save of its own.
SaveReport SaveGameSettings(IRegistryBackend& registry, const GameSettings& settings,
                            const DisplayModeList& modes);

}  // namespace qm
