// The game settings tab and the display probe, on the main window.
#include "app/MainWindow.h"

namespace qm {

void wMenu::CheckD3D() {}
void wMenu::FillGameSettingChoices() {}
void wMenu::LoadGameSettings() {}
bool wMenu::SaveGameSettings() {
    return true;
}
void wMenu::GetDisplayMode() {}

}  // namespace qm
