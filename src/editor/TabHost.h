#pragma once
// What the tabs are given of the window that holds them. The character on show can
// change under a tab (switching characters swaps it), so a tab asks for it each time
// and never keeps a reference.

#include <string_view>

#include "platform/Interfaces.h"

namespace qm {

struct CharacterState;
class EditHistory;
class IRandom;
struct ToolPreferences;
struct Platform;

class TabHost {
  public:
    virtual CharacterState& Shown() = 0;
    // The edit history of the character on show.
    virtual EditHistory& History() = 0;
    virtual ToolPreferences& Prefs() = 0;
    virtual Platform& Services() = 0;
    virtual IRandom& Random() = 0;
    virtual MsgAnswer ShowMessage(std::u16string_view text, MsgIcon icon,
                                  MsgButtons buttons = MsgButtons::Ok) = 0;
    virtual void ShowStatus(std::u16string_view text, std::u16string_view path = {}) = 0;
    // False until a character folder is open.
    virtual bool EditingAllowed() const = 0;
    // Whether the open folder holds a macro file of book 0 to 39.
    virtual bool BookHasFiles(int book) const = 0;
    // Set while the window fills controls itself (the preferences, a character brought on
    // show), so that their handlers record no edit. A tab filling its own controls keeps
    // a mark of its own (FillGuard).
    virtual bool FillingControls() const = 0;
    // The character on show, by its place in the list of characters.
    virtual int ShownCharacter() const = 0;
    // Copies set `fromSet` of book `fromBook` of the character on show into set `set` of
    // book `book` of character `target`, byte for byte, as one undo step there; the
    // target is shown afterwards. A move (within the character on show) also empties the
    // source set, in the same step.
    virtual bool CopySetTo(int fromBook, int fromSet, int target, int book, int set,
                           bool move = false) = 0;

  protected:
    ~TabHost() = default;
};

// Marks a tab as filling its own controls for its lifetime, then restores the mark: the
// tab's handlers then record nothing.
class FillGuard {
  public:
    explicit FillGuard(bool& filling) : filling_(filling), was_(filling) { filling_ = true; }
    ~FillGuard() { filling_ = was_; }
    FillGuard(const FillGuard&) = delete;
    FillGuard& operator=(const FillGuard&) = delete;

  private:
    bool& filling_;
    bool was_;
};

}  // namespace qm
