// The screenshot tab's start-up steps, on the main window.
#include "app/MainWindow.h"

namespace qm {

void wMenu::MakeSoundItems() {}
void wMenu::ShowCapturePreferences() {}

}  // namespace qm
