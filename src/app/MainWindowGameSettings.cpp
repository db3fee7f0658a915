// The game settings tab and the display probe, on the main window.
#include "app/MainWindow.h"
#include "editor/EditHistory.h"

#include <QPointer>

#include "config/DisplayProbe.h"
#include "config/GameSettings.h"
#include "config/GameSettingsTab.h"

namespace qm {

void wMenu::CheckD3D() {
    const DisplayProbeResult result = qm::CheckD3D(platform.display, Trace().Fn());
    adapterFound_ = result.available;
    gameSettingsTab->ApplyProbe(result);
}

// Asked once per run, after the window is shown. Until the answer comes (or when the
// probe fails or gives up) the box stays disabled; its stored value is kept either way.
void wMenu::CheckBumpMap() {
    if (!adapterFound_ || bumpMapAsked_) return;
    bumpMapAsked_ = true;
    platform.display->AskVertexShaderVersion(
        [self = QPointer<wMenu>(this)](std::optional<uint32_t> version) {
            if (self && BumpMapAvailable(version, self->Trace().Fn()))
                self->gameSettingsTab->cbBumpMap->setEnabled(true);
        });
}

void wMenu::FillGameSettingChoices() {
    gameSettingsTab->FillGameSettingChoices();
}

void wMenu::LoadGameSettings() {
    GameSettingsTab& tab = *gameSettingsTab;
    tab.Show(qm::LoadGameSettings(*platform.registry, tab.displayModes, tab.displayModeFailed));
    // What the registry holds: the settings' new base, with nothing to undo.
    gameHistory_.Read(tab.Collect());
    if (history) history->BoxChanged();
}

void wMenu::SaveGameSettings(SavePlan& plan) {
    GameSettingsTab& tab = *gameSettingsTab;
    PlanGameSettings(plan, *platform.registry, tab.Collect(), tab.displayModes);
}

void wMenu::GetDisplayMode() {
    qm::GetDisplayMode(platform.display, Trace().Fn());
}

}  // namespace qm
