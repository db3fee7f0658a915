#pragma once
// The set popup menu's commands and the routing of the Edit menu's shortcuts out of the
// text boxes. The Edit menu's handlers themselves are
// members of wMenu.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

class QMenu;

namespace qm {

class IClipboard;
class wMenu;

// The commands of the set popup menu; they act on the MenuSet of the macro tab.
void popSetCut_Click(wMenu& w);
void popSetCopy_Click(wMenu& w);
void popSetPaste_Click(wMenu& w);
void popSetDelete_Click(wMenu& w);

// Adds "切り取り", "コピー", "貼り付け", "削除" and "コピー先..." to the set popup menu,
// ahead of the items already there.
void BuildSetMenu(QMenu* menu, wMenu& w);

// Clears the clipboard and puts the text on it. False when the clipboard does not hold
// the text afterwards, so that a cut can keep what it would otherwise remove.
bool PutOnClipboard(IClipboard& clipboard, std::u16string_view text);

// Ctrl+X, Ctrl+C and Ctrl+V pressed in a text box of the window reach the Edit menu's
// commands instead of the box's own, when the menu would offer them.
void InstallEditKeyRouting(wMenu& w);

}  // namespace qm
