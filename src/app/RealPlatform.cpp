#include "app/RealPlatform.h"

#include "platform/SystemClock.h"
#include "platform/linux/LocalInstanceChannel.h"
#include "platform/linux/QtServices.h"

namespace qm {

struct RealPlatform::Backends {
    QtMessageBox messageBox;
    QtFileDialogs dialogs;
    QtClipboard clipboard;
    DesktopShellFolders folders;
    SystemClock clock;
    LocalInstanceChannel instance;
};

RealPlatform::RealPlatform() : backends_(std::make_unique<Backends>()) {
    platform.messageBox = &backends_->messageBox;
    platform.dialogs = &backends_->dialogs;
    platform.clipboard = &backends_->clipboard;
    platform.folders = &backends_->folders;
    platform.clock = &backends_->clock;
    platform.instance = &backends_->instance;
}

RealPlatform::~RealPlatform() = default;

void RealPlatform::SetOwner(QWidget* window) {
    backends_->messageBox.SetOwner(window);
    backends_->dialogs.SetOwner(window);
}

}  // namespace qm
