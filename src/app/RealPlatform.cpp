#include "app/RealPlatform.h"

#include <QCoreApplication>

#include "platform/SystemClock.h"
#include "platform/linux/LazySoundPlayer.h"
#include "platform/linux/LinuxProcesses.h"
#include "platform/linux/LocalInstanceChannel.h"
#include "platform/linux/QtImageWriter.h"
#include "platform/linux/QtScreenGrabber.h"
#include "platform/linux/QtServices.h"
#include "platform/linux/RegFile.h"
#include "platform/linux/WineProcesses.h"
#include "platform/linux/X11KeyState.h"
#include "platform/linux/X11Windows.h"
#include "platform/linux/XrandrDisplayProbe.h"
#include "settings/GameRegistry.h"
#include "settings/RegistryRouter.h"
#include "settings/WineHost.h"

namespace qm {

struct RealPlatform::Backends {
    QtMessageBox messageBox;
    QtFileDialogs dialogs;
    QtClipboard clipboard;
    DesktopShellFolders folders;
    SystemClock clock;
    LocalInstanceChannel instance;
    // The tool's own .reg file; the router lets other keys (the game's) go elsewhere.
    RegFileBackend registryFile{RegFileBackend::DefaultPath()};
    // The game's keys live in the Wine prefix the game runs in, when one is found.
    WineRegTool wineTool;
    WineHost wine{registryFile, wineTool};
    RegistryRouter registry{registryFile};
    WineProcesses processes{&wine};
    XrandrDisplayProbe display;
    X11KeyState keyState;
    X11Windows windows;
    QtScreenGrabber screen{&windows};
    QtImageWriter imageWriter;
    LazySoundPlayer sound;
};

RealPlatform::RealPlatform() : backends_(std::make_unique<Backends>()) {
    platform.messageBox = &backends_->messageBox;
    platform.dialogs = &backends_->dialogs;
    platform.clipboard = &backends_->clipboard;
    platform.folders = &backends_->folders;
    platform.clock = &backends_->clock;
    platform.instance = &backends_->instance;
    for (std::u16string_view root : kGameRoots)
        backends_->registry.Route(root, &backends_->wine.GameKeys());
    platform.registry = &backends_->registry;
    platform.gameHost = &backends_->wine;
    platform.processes = &backends_->processes;
    // Bump mapping is asked of a helper copy of this program: the OpenGL driver it maps
    // stays out of the editor, and a driver that hangs or crashes takes only the helper.
    backends_->display.SetVertexShaderHelper(QCoreApplication::applicationFilePath(),
                                             {QString::fromLatin1(kVertexShaderProbeOption)});
    platform.display = &backends_->display;
    platform.keyState = &backends_->keyState;
    backends_->screen.SetGameWindowFinder(&FindGameWindow);
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
