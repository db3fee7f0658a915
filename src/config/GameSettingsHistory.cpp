#include "config/GameSettingsHistory.h"

#include <utility>

namespace qm {

bool SameSavedSettings(GameSettings a, GameSettings b) {
    a.backBufferWStep = b.backBufferWStep = 0;
    a.backBufferHStep = b.backBufferHStep = 0;
    return a == b;
}

void GameSettingsHistory::Read(const GameSettings& values) {
    steps_.clear();
    index_ = 0;
    shown_ = saved_ = values;
    Seal();
}

bool GameSettingsHistory::Record(std::u16string name, const GameSettings& after,
                                 const void* control, uint64_t order, int tab, int64_t now) {
    const GameSettings before = std::exchange(shown_, after);
    if (index_ == steps_.size() && index_ > 0) {
        Step& last = steps_.back();
        if (control && last.control == control && last.generation == generation_ &&
            now >= last.tick && now - last.tick <= kPauseMs) {
            last.after = after;
            last.tick = now;
            // A slider moved back to where it started leaves no step behind.
            if (last.after == last.before) {
                steps_.pop_back();
                index_ = steps_.size();
            }
            return true;
        }
    }
    if (before == after) return false;
    DropRedo();
    steps_.push_back(Step{std::move(name), before, after, control, order, tab, generation_, now});
    index_ = steps_.size();
    return true;
}

void GameSettingsHistory::DropRedo() {
    steps_.erase(steps_.begin() + std::ptrdiff_t(index_), steps_.end());
}

const GameSettingsHistory::Step* GameSettingsHistory::Undo() {
    if (index_ == 0) return nullptr;
    Seal();
    const Step& step = steps_[--index_];
    shown_ = step.before;
    return &step;
}

const GameSettingsHistory::Step* GameSettingsHistory::Redo() {
    if (index_ == steps_.size()) return nullptr;
    Seal();
    const Step& step = steps_[index_++];
    shown_ = step.after;
    return &step;
}

bool GameSettingsHistory::Modified() const {
    return !SameSavedSettings(shown_, saved_);
}

}  // namespace qm
