// The tool's own preferences, game discovery and the launcher, on the main window.
#include "app/MainWindow.h"

namespace qm {

void wMenu::LoadPreferences() {}
void wMenu::ShowPreferences() {}
void wMenu::SavePreferences() {}
void wMenu::InitPath() {}
void wMenu::FilePlayOnline_Click() {}

}  // namespace qm
