// The screenshot tab's start-up steps, on the main window.
#include "app/MainWindow.h"
#include "capture/CaptureTab.h"

namespace qm {

void wMenu::MakeSoundItems() {
    if (!captureTab || !platform.folders) return;
    captureTab->SetSoundItems(qm::MakeSoundItems(*platform.folders, Trace().Fn()));
}

void wMenu::ShowCapturePreferences() {
    if (captureTab) captureTab->ShowPreferences();
}

}  // namespace qm
