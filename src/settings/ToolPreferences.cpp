#include "settings/ToolPreferences.h"

#include <limits>
#include <vector>

#include "settings/Registry.h"

namespace qm {

namespace {

constexpr Hive kHive = Hive::LocalMachine;

int16_t ReadShort(IRegistryBackend& reg, std::u16string_view name, int16_t fallback) {
    const int32_t v = RegReadValue(reg, kHive, kPreferencesKey, name, REG_DWORD_TYPE, fallback);
    if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max())
        return fallback;
    return static_cast<int16_t>(v);
}

int32_t ReadLong(IRegistryBackend& reg, std::u16string_view name, int32_t fallback) {
    return RegReadValue(reg, kHive, kPreferencesKey, name, REG_DWORD_TYPE, fallback);
}

std::u16string ReadText(IRegistryBackend& reg, std::u16string_view name,
                        std::u16string_view fallback) {
    return RegReadValue(reg, kHive, kPreferencesKey, name, REG_SZ_TYPE, fallback);
}

}  // namespace

ToolPreferences LoadPreferences(IRegistryBackend& reg) {
    const ToolPreferences d;
    ToolPreferences p;
    p.TabIndex = ReadShort(reg, u"TabIndex", d.TabIndex);
    p.Myname = ReadText(reg, u"Myname", d.Myname);
    p.CaptureMode = ReadShort(reg, u"CaptureMode", d.CaptureMode);
    p.CaptureInterval = ReadLong(reg, u"CaptureInterval", d.CaptureInterval);
    p.CapturePath = ReadText(reg, u"CapturePath", d.CapturePath);
    p.SaveAsJpeg = ReadShort(reg, u"SaveAsJpeg", d.SaveAsJpeg);
    p.JpegQuality = ReadLong(reg, u"JpegQuality", d.JpegQuality);
    p.LockCaptureName = ReadShort(reg, u"LockCaptureName", d.LockCaptureName);
    p.CaptureName = ReadText(reg, u"CaptureName", d.CaptureName);
    p.CaptureStartSE = ReadText(reg, u"CaptureStartSE", d.CaptureStartSE);
    p.CaptureStopSE = ReadText(reg, u"CaptureStopSE", d.CaptureStopSE);
    p.CaptureKeyCode = ReadShort(reg, u"CaptureKeyCode", d.CaptureKeyCode);
    p.Language = ReadText(reg, u"Language", d.Language);
    p.Characters = ReadText(reg, u"Characters", d.Characters);
    return p;
}

bool SavePreferences(IRegistryBackend& reg, const ToolPreferences& p, Reason* reason) {
    std::vector<RegValueWrite> values;
    const auto number = [&](std::u16string_view name, int32_t v) {
        values.push_back(
            {std::u16string(kPreferencesKey), std::u16string(name), RegNumberValue(v)});
    };
    const auto text = [&](std::u16string_view name, std::u16string_view v) {
        values.push_back({std::u16string(kPreferencesKey), std::u16string(name), RegTextValue(v)});
    };
    number(u"TabIndex", p.TabIndex);
    text(u"Myname", p.Myname);
    number(u"CaptureMode", p.CaptureMode);
    number(u"CaptureInterval", p.CaptureInterval);
    text(u"CapturePath", p.CapturePath);
    number(u"SaveAsJpeg", p.SaveAsJpeg);
    number(u"JpegQuality", p.JpegQuality);
    number(u"LockCaptureName", p.LockCaptureName);
    text(u"CaptureName", p.CaptureName);
    text(u"CaptureStartSE", p.CaptureStartSE);
    text(u"CaptureStopSE", p.CaptureStopSE);
    number(u"CaptureKeyCode", p.CaptureKeyCode);
    text(u"Language", p.Language);
    text(u"Characters", p.Characters);
    return reg.SetMany(kHive, values, reason);
}

std::u16string LoadLanguagePreference(IRegistryBackend& reg) {
    return ReadText(reg, u"Language", u"");
}

bool SaveLanguagePreference(IRegistryBackend& reg, std::u16string_view language, Reason* reason) {
    const RegValueWrite value{std::u16string(kPreferencesKey), u"Language", RegTextValue(language)};
    return reg.SetMany(kHive, std::span(&value, 1), reason);
}

}  // namespace qm
