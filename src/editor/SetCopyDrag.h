#pragma once
// A set button dragged onto another set button, the book chooser or the character list
// copies that set there; with Shift, a target that allows it moves the set instead. The
// drag never leaves the process: its data names the set, not its bytes, and only this
// process's windows take it.

#include <QMimeData>
#include <QObject>
#include <functional>

class QWidget;

namespace qm {

// The set being dragged: of the character on show, from its list of characters.
struct DraggedSet {
    int character = -1;
    int book = 0;
    int set = 0;
};

class SetCopyMimeData : public QMimeData {
    Q_OBJECT
  public:
    explicit SetCopyMimeData(DraggedSet set);
    const DraggedSet& Set() const { return set_; }
    // The dragged set, when `data` is this process's own set drag.
    static const DraggedSet* Of(const QMimeData* data);

  private:
    DraggedSet set_;
};

// Drags `set` from `source` (blocks until the drag ends).
void DragSet(QWidget* source, const DraggedSet& set);

// Takes sets dropped on `target`. `accepts` says whether a set may be dropped there;
// `drop` runs after the drag has ended (it may open a menu), with the drop's point on
// the screen and whether the set is moved (only where `moves`).
class SetDropTarget : public QObject {
    Q_OBJECT
  public:
    using Drop = std::function<void(const DraggedSet&, QPoint, bool move)>;
    SetDropTarget(QWidget* target, bool moves, std::function<bool(const DraggedSet&)> accepts,
                  Drop drop);
    // Called with true while a set that would be taken is over the target, false when
    // it leaves or is dropped: the target may show that it takes it.
    void OnHover(std::function<void(bool)> hover) { hover_ = std::move(hover); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool moves_;
    std::function<bool(const DraggedSet&)> accepts_;
    Drop drop_;
    std::function<void(bool)> hover_;
    bool hovered_ = false;
    void Hover(bool on);
};

}  // namespace qm
