#ifdef _WIN32

#include "platform/win32/Win32DisplayProbe.h"

#include <d3d9.h>
#include <windows.h>

namespace qm {

namespace {

int FormatForBits(DWORD bits) {
    switch (bits) {
        case 32:
            return 22;  // X8R8G8B8
        case 24:
            return 20;  // R8G8B8
        case 16:
            return 23;  // R5G6B5
        case 8:
            return 41;  // P8
        default:
            return 0;
    }
}

}  // namespace

std::vector<DisplayMode> Win32DisplayProbe::Modes() {
    std::vector<DisplayMode> modes;
    DEVMODEW dm{};
    dm.dmSize = sizeof(dm);
    // A null device name is the display the desktop's primary monitor is on.
    for (DWORD i = 0; EnumDisplaySettingsW(nullptr, i, &dm); ++i) {
        modes.push_back({static_cast<int>(dm.dmPelsWidth), static_cast<int>(dm.dmPelsHeight),
                         static_cast<int>(dm.dmBitsPerPel), FormatForBits(dm.dmBitsPerPel)});
        dm = DEVMODEW{};
        dm.dmSize = sizeof(dm);
    }
    return modes;
}

std::optional<uint32_t> Win32DisplayProbe::VertexShaderVersion() {
    // Loaded at run time so that a system without Direct3D 9 still starts.
    HMODULE module = LoadLibraryW(L"d3d9.dll");
    if (module == nullptr) return std::nullopt;
    using CreateFn = IDirect3D9*(WINAPI*)(UINT);
    // Through void*: GetProcAddress's generic function type is not the real one.
    auto create = reinterpret_cast<CreateFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "Direct3DCreate9")));
    std::optional<uint32_t> version;
    if (create != nullptr) {
        if (IDirect3D9* d3d = create(D3D_SDK_VERSION)) {
            D3DCAPS9 caps{};
            if (SUCCEEDED(d3d->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps)))
                version = static_cast<uint32_t>(caps.VertexShaderVersion);
            d3d->Release();
        }
    }
    FreeLibrary(module);
    return version;
}

std::optional<std::pair<int, int>> Win32DisplayProbe::DesktopSize() {
    DEVMODEW dm{};
    dm.dmSize = sizeof(dm);
    if (!EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &dm)) return std::nullopt;
    return std::pair{static_cast<int>(dm.dmPelsWidth), static_cast<int>(dm.dmPelsHeight)};
}

}  // namespace qm

#endif  // _WIN32
