// The Edit menu and the set backup handles, on the main window.
#include "app/MainWindow.h"

#include <QAction>

namespace qm {

void wMenu::EditMenu_Click() {
    for (QAction* a : {EditCut, EditCopy, EditPaste, EditDelete}) a->setEnabled(false);
}
void wMenu::EditCut_Click() {}
void wMenu::EditCopy_Click() {}
void wMenu::EditPaste_Click() {}
void wMenu::EditDelete_Click() {}
void wMenu::InitSetDraggers() {}

}  // namespace qm
