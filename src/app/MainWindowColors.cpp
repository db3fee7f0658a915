// The text colour tab and the preview texture, on the main window.
#include "app/MainWindow.h"
#include "config/ColorTab.h"
#include "preview/MacroSampleSetup.h"

namespace qm {

void wMenu::InitTextColor() {
    colorTab->InitTextColor();
}

// No cnf.dat has been read yet at start-up, so this is texture 101.
void wMenu::LoadWindowTexture() {
    colorTab->LoadWindowTexture(WindowTextureNumber(Cnf().BackgroundValue()));
}

void wMenu::OnFolderOpened() {
    // The previews take the chat window background the character uses in the game.
    // The opening has already deselected the colour entry; the tree and the sliders
    // follow, so nothing looks chosen that is not.
    colorTab->LoadWindowTexture(WindowTextureNumber(Cnf().BackgroundValue()));
    colorTab->FolderOpened();
}

}  // namespace qm
