#pragma once
// The game settings are the installation's (the game's registry), not a character's:
// one history of their edits for the whole run, whichever character is on show, and
// their own unsaved state, which is what the tab shows against what the registry held
// when read or last saved.

#include <cstdint>
#include <string>
#include <vector>

#include "config/GameSettings.h"

namespace qm {

class GameSettingsHistory {
  public:
    // Slider moves and clicks on one control with pauses shorter than this are one step.
    static constexpr int64_t kPauseMs = 1500;

    struct Step {
        std::u16string name;
        GameSettings before, after;
        const void* control = nullptr;  // what changed them, for joining
        // Where the step stands among the steps of every history of the window.
        uint64_t order = 0;
        int tab = 0;  // the window's tab that showed the change
        uint64_t generation = 0;
        int64_t tick = 0;
    };

    // The values read from the registry: nothing to undo, nothing unsaved.
    void Read(const GameSettings& values);
    // The tab shows these values, filled by the program (an undo, say): the base of the
    // next edit.
    void Shown(const GameSettings& values) { shown_ = values; }
    const GameSettings& Shown() const { return shown_; }
    // The tab now shows `after`. A change by the same control within the pause joins the
    // latest step; a join that ends where the step began removes it. False when nothing
    // was recorded (the values did not change).
    bool Record(std::u16string name, const GameSettings& after, const void* control, uint64_t order,
                int tab, int64_t now);
    void Seal() { ++generation_; }
    // A step of another history was recorded: the steps undone here cannot be redone.
    void DropRedo();

    const Step* LatestDone() const { return index_ == 0 ? nullptr : &steps_[index_ - 1]; }
    const Step* NextRedo() const { return index_ < steps_.size() ? &steps_[index_] : nullptr; }
    // The step undone or redone (the tab is to show its values before or after).
    const Step* Undo();
    const Step* Redo();

    std::size_t Count() const { return steps_.size(); }
    std::size_t Index() const { return index_; }

    // Whether a save would write anything else than what the registry holds.
    bool Modified() const;
    // The values on show were written.
    void Saved() { saved_ = shown_; }

  private:
    std::vector<Step> steps_;
    std::size_t index_ = 0;
    GameSettings shown_, saved_;
    uint64_t generation_ = 0;
};

// Whether two sets of values write the same: the slider positions only follow the boxes.
bool SameSavedSettings(GameSettings a, GameSettings b);

}  // namespace qm
