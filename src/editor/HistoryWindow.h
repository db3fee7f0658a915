#pragma once
// The window as its edit histories see it.

#include <cstdint>

#include "editor/TabHost.h"

class QAction;
class QMainWindow;
class QTabBar;

namespace qm {

class ColorTab;
class GameSettingsHistory;
class GameSettingsTab;
class MacroTab;

// What a history needs of the window it records and undoes in, beyond what the tabs are
// given: the window and the tabs whose view it captures and shows again, and the undo
// and redo items it keeps up to date. The tabs may be null while the window is built.
class HistoryWindow : public TabHost {
  public:
    virtual QMainWindow& Frame() = 0;
    virtual QTabBar* TabStrip() = 0;
    virtual MacroTab* Macros() = 0;
    virtual ColorTab* Colors() = 0;
    virtual GameSettingsTab* GameTab() = 0;
    virtual QAction* UndoItem() = 0;
    virtual QAction* RedoItem() = 0;
    virtual void SetUndoItems(QAction* undo, QAction* redo) = 0;
    // The character on show became unsaved, or saved: the list of characters marks it.
    virtual void UnsavedChanged() = 0;
    // The game settings' history: the installation's, one for every character.
    virtual GameSettingsHistory& GameHistory() = 0;
    // Numbers the steps of every history in the order they were made, so that undo takes
    // back the latest of them, whichever history holds it.
    virtual uint64_t NextStepOrder() = 0;

  protected:
    ~HistoryWindow() = default;
};

}  // namespace qm
