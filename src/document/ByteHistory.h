#pragma once
// The undo history of one character, in bytes: each step keeps, for every record it
// changed, the shortest run of bytes holding the differences, as it was before and after.
// Undoing gives back exactly what was stored, whatever text those bytes read as.
// Consecutive edits with equal merge keys (typing in one box, moving one slider) make
// one step until a pause or a seal. The unsaved state follows the history: back at the
// step that was saved, nothing is unsaved.
//
// What a window shows of a step (tab, focus, caret) is not kept here; a window keys it
// by the step's id.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qm {

// A record whose bytes steps change: macro file `number` (book * 10 + set) or the
// cnf.dat record. The book titles join as a kind of their own.
struct RecordId {
    enum class Kind : uint8_t { Macro, Cnf, Titles };
    Kind kind = Kind::Macro;
    int number = 0;
    bool operator==(const RecordId&) const = default;
    static RecordId Macro(int number) { return {Kind::Macro, number}; }
    static RecordId Cnf() { return {Kind::Cnf, 0}; }
    static RecordId Titles(int file) { return {Kind::Titles, file}; }  // mcr.ttl, mcr_2.ttl
};

struct ByteChange {
    RecordId record;
    std::size_t offset = 0;
    std::vector<uint8_t> before, after;
};

// The shortest run holding every difference of two equally long records, or nothing
// when they are equal.
std::optional<ByteChange> Difference(std::span<const uint8_t> before,
                                     std::span<const uint8_t> after);

// Folds `next`, made after `earlier` on the same record, into `earlier`. `now` is the
// record after both. False when the two together change nothing (earlier is then void).
bool FoldChange(ByteChange& earlier, const ByteChange& next, std::span<const uint8_t> now);

// Edits with equal keys join one step. `source` names the control or command (a window
// passes its widget); the numbers say where.
struct StepKey {
    const void* source = nullptr;
    int file = -1;
    int macro = -1;
    int entry = -1;
    bool operator==(const StepKey&) const = default;
};

struct ByteStep {
    uint64_t id = 0;
    std::u16string name;
    std::vector<ByteChange> changes;
    // A step even when no byte changed: a set command marks its set changed all the same.
    bool forced = false;
    // Whether it changes anything a save writes (a window's own-name step does not).
    bool content = true;
    std::optional<StepKey> key;
    uint64_t generation = 0;
    int64_t tick = 0;  // of the latest edit in the step

    bool Empty() const { return !forced && changes.empty(); }
};

class ByteHistory {
  public:
    // Typing pauses longer than this start a new step.
    static constexpr int64_t kPauseMs = 1500;
    // The live bytes of a record, for undo, redo and merging.
    using Records = std::function<std::span<uint8_t>(RecordId)>;

    explicit ByteHistory(Records records) : records_(std::move(records)) {}

    // A step whose changes are already made. It joins the latest step when its key
    // matches within the pause; a join that leaves nothing changed removes the step.
    // Returns the id of the step it is in, or 0 when nothing was recorded.
    uint64_t Record(ByteStep step, int64_t now);
    // Whether an edit with this key, made now, would join the latest step.
    bool Continues(const StepKey& key, int64_t now) const;
    // Ends the step that typing is adding to.
    void Seal() { ++generation_; }

    // Puts back the bytes of the step before (undo) or after (redo) and returns it;
    // nothing when there is none.
    const ByteStep* Undo();
    const ByteStep* Redo();
    bool CanUndo() const { return index_ > 0; }
    bool CanRedo() const { return index_ < steps_.size(); }
    std::u16string UndoName() const { return CanUndo() ? steps_[index_ - 1].name : u""; }
    std::u16string RedoName() const { return CanRedo() ? steps_[index_].name : u""; }
    std::size_t Index() const { return index_; }
    std::size_t Count() const { return steps_.size(); }
    const ByteStep& At(std::size_t index) const { return steps_[index]; }

    // The latest step, for a window that keeps more of it than bytes: it may mark what the
    // step changes, or drop it when that comes to nothing.
    ByteStep* Latest() { return index_ == 0 ? nullptr : &steps_[index_ - 1]; }
    // Removes the latest step (the steps after it, undone, go too).
    void DropLatest();
    // The step a redo would put back; null when there is none.
    const ByteStep* NextRedo() const { return index_ < steps_.size() ? &steps_[index_] : nullptr; }
    // The steps undone can no longer be redone (another history recorded a step).
    void DropRedo();

    // Another folder is open: nothing to go back to, and nothing unsaved.
    void Clear();
    // Everything was saved: this is the clean point.
    void MarkClean();
    // Part was saved: no step matches what is on disk.
    void ForgetClean() { clean_ = -1; }
    // True when a step between the clean point and now changes saved content.
    bool Modified() const;

  private:
    void Apply(const ByteStep& step, bool forward);

    Records records_;
    std::vector<ByteStep> steps_;
    std::size_t index_ = 0;
    long clean_ = 0;  // -1: no step matches the disk
    uint64_t generation_ = 0;
    uint64_t nextId_ = 1;
};

}  // namespace qm
