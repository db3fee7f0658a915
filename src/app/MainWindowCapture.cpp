// The screenshot tab's start-up steps, on the main window.
#include "app/MainWindow.h"
#include "capture/CaptureTab.h"

namespace qm {

void wMenu::MakeSoundItems() {
    if (!captureTab || !platform.folders) return;
    // Under Wine the game's own prefix holds the Windows sounds.
    std::u16string prefix;
    if (platform.gameHost && platform.gameHost->UsesWinePrefix())
        prefix = platform.gameHost->WinePrefix();
    captureTab->SetSoundItems(
        qm::MakeSoundItems(SoundFolders(*platform.folders, prefix), Trace().Fn()));
}

void wMenu::ShowCapturePreferences() {
    if (captureTab) captureTab->ShowPreferences();
}

}  // namespace qm
