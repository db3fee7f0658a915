// The text colour tab and the preview texture, on the main window.
#include "app/MainWindow.h"

namespace qm {

void wMenu::InitTextColor() {}
void wMenu::LoadWindowTexture() {}
void wMenu::OnFolderOpened() {}

}  // namespace qm
