#pragma once
// The tool's own settings: read once at start, kept current by the window while it
// runs, written once at close.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace qm {

inline constexpr std::u16string_view kPreferencesKey = u"SOFTWARE\\Tavrel\\Quillmor";

// Field names are the registry value names; the initial values are the defaults used
// for anything that cannot be read.
struct ToolPreferences {
    int16_t TabIndex = 0;
    std::u16string Myname = u"Myname";
    int16_t CaptureMode = 0;
    int32_t CaptureInterval = 10000;  // milliseconds
    std::u16string CapturePath;
    int16_t SaveAsJpeg = 1;  // check box state 0, 1 or 2
    int32_t JpegQuality = 80;
    int16_t LockCaptureName = 0;  // check box state
    std::u16string CaptureName = u"ScreenShot";
    std::u16string CaptureStartSE;  // sound file path, empty: no sound
    std::u16string CaptureStopSE;
    int16_t CaptureKeyCode = 44;  // virtual key code; 44 is Print Screen
    std::u16string Language;      // the window's: "ja", "en"; empty follows the system
    // The character folders the player opened and the labels given them: one line per
    // folder, "folder<TAB>label" (the label may be empty).
    std::u16string Characters;

    bool operator==(const ToolPreferences&) const = default;
};

// Reads every field; a value that is missing or unreadable takes the field's default.
// A stored number that does not fit a 16-bit field also takes the default: cutting it
// down would give an arbitrary tab, mode or key.
ToolPreferences LoadPreferences(IRegistryBackend& reg);

// Writes every field in one step, creating the key when missing. True when all were
// stored; otherwise reason (if given) is the store's.
bool SavePreferences(IRegistryBackend& reg, const ToolPreferences& prefs, Reason* reason = nullptr);

// The window's language alone: read before the window is built, and stored as soon as
// the player picks one, so that the next start has it even if this run ends badly.
std::u16string LoadLanguagePreference(IRegistryBackend& reg);
bool SaveLanguagePreference(IRegistryBackend& reg, std::u16string_view language,
                            Reason* reason = nullptr);

}  // namespace qm
