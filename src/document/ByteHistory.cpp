#include "document/ByteHistory.h"

#include <algorithm>

namespace qm {

std::optional<ByteChange> Difference(std::span<const uint8_t> before,
                                     std::span<const uint8_t> after) {
    auto [first, unused] = std::mismatch(before.begin(), before.end(), after.begin());
    if (first == before.end()) return std::nullopt;
    const std::size_t lo = std::size_t(first - before.begin());
    std::size_t hi = before.size();
    while (hi > lo && before[hi - 1] == after[hi - 1]) --hi;
    ByteChange change;
    change.offset = lo;
    change.before.assign(before.begin() + std::ptrdiff_t(lo), before.begin() + std::ptrdiff_t(hi));
    change.after.assign(after.begin() + std::ptrdiff_t(lo), after.begin() + std::ptrdiff_t(hi));
    return change;
}

bool FoldChange(ByteChange& earlier, const ByteChange& next, std::span<const uint8_t> now) {
    // Before both, each byte is what the earlier edit found, or failing that the later
    // one, or it is as it is now.
    const std::size_t lo = std::min(earlier.offset, next.offset);
    const std::size_t hi =
        std::max(earlier.offset + earlier.before.size(), next.offset + next.before.size());
    std::vector<uint8_t> was(now.begin() + std::ptrdiff_t(lo), now.begin() + std::ptrdiff_t(hi));
    std::copy(next.before.begin(), next.before.end(),
              was.begin() + std::ptrdiff_t(next.offset - lo));
    std::copy(earlier.before.begin(), earlier.before.end(),
              was.begin() + std::ptrdiff_t(earlier.offset - lo));
    std::optional<ByteChange> joined = Difference(was, now.subspan(lo, hi - lo));
    if (!joined) return false;
    joined->offset += lo;
    joined->record = earlier.record;
    earlier = std::move(*joined);
    return true;
}

uint64_t ByteHistory::Record(ByteStep step, int64_t now) {
    if (!steps_.empty() && index_ == steps_.size() && step.key && Continues(*step.key, now)) {
        ByteStep& last = steps_.back();
        for (const ByteChange& next : step.changes) {
            auto mine = std::find_if(last.changes.begin(), last.changes.end(),
                                     [&](const ByteChange& c) { return c.record == next.record; });
            if (mine == last.changes.end()) {
                last.changes.push_back(next);
            } else if (!FoldChange(*mine, next, records_(next.record))) {
                last.changes.erase(mine);
            }
        }
        last.tick = now;
        last.forced = last.forced || step.forced;
        last.content = last.content || step.content;
        if (!last.Empty()) return last.id;
        // Typing that ends where it began leaves no step behind.
        DropLatest();
        return 0;
    }
    if (step.Empty()) return 0;
    DropRedo();
    step.id = nextId_++;
    step.generation = generation_;
    step.tick = now;
    steps_.push_back(std::move(step));
    index_ = steps_.size();
    return steps_.back().id;
}

void ByteHistory::DropRedo() {
    if (clean_ > long(index_)) {
        // The steps undone since the save are dropped; the saved state stays reachable
        // only when none of them changed saved content.
        const bool content =
            std::any_of(steps_.begin() + std::ptrdiff_t(index_), steps_.begin() + clean_,
                        [](const ByteStep& s) { return s.content; });
        clean_ = content ? -1 : long(index_);
    }
    steps_.erase(steps_.begin() + std::ptrdiff_t(index_), steps_.end());
}

void ByteHistory::DropLatest() {
    if (index_ == 0) return;
    steps_.erase(steps_.begin() + std::ptrdiff_t(index_ - 1), steps_.end());
    index_ = steps_.size();
    if (clean_ > long(index_)) clean_ = -1;
}

bool ByteHistory::Continues(const StepKey& key, int64_t now) const {
    if (index_ == 0 || index_ != steps_.size()) return false;
    const ByteStep& last = steps_.back();
    return last.key && *last.key == key && last.generation == generation_ && now >= last.tick &&
           now - last.tick <= kPauseMs;
}

void ByteHistory::Apply(const ByteStep& step, bool forward) {
    for (const ByteChange& change : step.changes) {
        const std::vector<uint8_t>& bytes = forward ? change.after : change.before;
        std::span<uint8_t> record = records_(change.record);
        std::copy(bytes.begin(), bytes.end(), record.begin() + std::ptrdiff_t(change.offset));
    }
}

const ByteStep* ByteHistory::Undo() {
    if (!CanUndo()) return nullptr;
    Seal();
    --index_;
    Apply(steps_[index_], false);
    return &steps_[index_];
}

const ByteStep* ByteHistory::Redo() {
    if (!CanRedo()) return nullptr;
    Seal();
    Apply(steps_[index_], true);
    return &steps_[index_++];
}

void ByteHistory::Clear() {
    steps_.clear();
    index_ = 0;
    clean_ = 0;
    Seal();
}

void ByteHistory::MarkClean() {
    clean_ = long(index_);
    Seal();
}

bool ByteHistory::Modified() const {
    if (clean_ < 0 || clean_ > long(steps_.size())) return true;
    const std::size_t a = std::min(index_, std::size_t(clean_));
    const std::size_t b = std::max(index_, std::size_t(clean_));
    for (std::size_t i = a; i < b; ++i)
        if (steps_[i].content) return true;
    return false;
}

}  // namespace qm
