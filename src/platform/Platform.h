#pragma once
// All platform services, gathered. Non-owning: main() and the test fixtures own the
// backends and keep them alive for the run.

#include "platform/GameHost.h"
#include "platform/ImageWriter.h"
#include "platform/Interfaces.h"
#include "platform/Registry.h"

namespace qm {

class IRandom;

struct Platform {
    IMessageBox* messageBox = nullptr;
    IKeyState* keyState = nullptr;
    IInstanceChannel* instance = nullptr;
    IClock* clock = nullptr;
    IFileDialogs* dialogs = nullptr;
    IShellFolders* folders = nullptr;
    IClipboard* clipboard = nullptr;
    IRegistryBackend* registry = nullptr;
    IWindowsAndProcesses* processes = nullptr;
    IScreenGrabber* screen = nullptr;
    IDisplayProbe* display = nullptr;
    ISoundPlayer* sound = nullptr;
    IImageWriter* imageWriter = nullptr;
    IGameHost* gameHost = nullptr;  // where the game lives; null: nothing known about it
};

}  // namespace qm
