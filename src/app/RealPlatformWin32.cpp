// The real platform services on Windows: the Win32 backends, the toolkit's dialogs,
// and the registry split between the machine (the game's keys, 32-bit view) and the
// current user (the tool's own).
#include "app/RealPlatform.h"

#include "platform/SystemClock.h"
#include "platform/linux/QtImageWriter.h"
#include "platform/linux/QtServices.h"
#include "platform/win32/Win32DisplayProbe.h"
#include "platform/win32/Win32InstanceChannel.h"
#include "platform/win32/Win32KeyState.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32ScreenGrabber.h"
#include "platform/win32/Win32ShellFolders.h"
#include "platform/win32/Win32SoundPlayer.h"
#include "settings/GameRegistry.h"
#include "settings/NativeGameHost.h"
#include "settings/RegistryRouter.h"

namespace qm {

struct RealPlatform::Backends {
    QtMessageBox messageBox;
    QtFileDialogs dialogs;
    QtClipboard clipboard;
    Win32ShellFolders folders;
    SystemClock clock;
    Win32InstanceChannel instance;
    Win32RegistryBackend userRegistry{Win32RegistryBackend::Root::CurrentUser};
    Win32RegistryBackend machineRegistry{Win32RegistryBackend::Root::Machine32};
    NativeGameHost game{machineRegistry};
    RegistryRouter registry{userRegistry};
    Win32Processes processes;
    Win32DisplayProbe display;
    Win32KeyState keyState;
    Win32ScreenGrabber screen;
    QtImageWriter imageWriter;
    Win32SoundPlayer sound;
};

RealPlatform::RealPlatform() : backends_(std::make_unique<Backends>()) {
    platform.messageBox = &backends_->messageBox;
    platform.dialogs = &backends_->dialogs;
    platform.clipboard = &backends_->clipboard;
    platform.folders = &backends_->folders;
    platform.clock = &backends_->clock;
    platform.instance = &backends_->instance;
    for (std::u16string_view root : kGameRoots)
        backends_->registry.Route(root, &backends_->game.GameKeys());
    platform.registry = &backends_->registry;
    platform.gameHost = &backends_->game;
    platform.processes = &backends_->processes;
    platform.display = &backends_->display;
    platform.keyState = &backends_->keyState;
    platform.screen = &backends_->screen;
    platform.imageWriter = &backends_->imageWriter;
    platform.sound = &backends_->sound;
}

RealPlatform::~RealPlatform() = default;

void RealPlatform::SetOwner(QWidget* window) {
    backends_->messageBox.SetOwner(window);
    backends_->dialogs.SetOwner(window);
}

}  // namespace qm
