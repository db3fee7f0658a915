#include "editor/SetCopyDrag.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QPixmap>
#include <QWidget>
#include <utility>

namespace qm {

namespace {

const QString kSetFormat = QStringLiteral("application/x-quillmor-set");

}  // namespace

SetCopyMimeData::SetCopyMimeData(DraggedSet set) : set_(set) {
    // Marks the drag for the platform; the set itself is read from this object.
    setData(kSetFormat, QByteArray::number(QApplication::applicationPid()));
}

const DraggedSet* SetCopyMimeData::Of(const QMimeData* data) {
    const auto* own = qobject_cast<const SetCopyMimeData*>(data);
    return own ? &own->set_ : nullptr;
}

void DragSet(QWidget* source, const DraggedSet& set) {
    auto* drag = new QDrag(source);
    drag->setMimeData(new SetCopyMimeData(set));
    drag->setPixmap(source->grab());
    // Beside the pointer, not over it: the button it points at shows whether it takes it.
    drag->setHotSpot(QPoint(-12, -12));
    // Copy unless Shift asks for a move, as the platform's drags do.
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
}

SetDropTarget::SetDropTarget(QWidget* target, bool moves,
                             std::function<bool(const DraggedSet&)> accepts, Drop drop)
    : QObject(target), moves_(moves), accepts_(std::move(accepts)), drop_(std::move(drop)) {
    target->setAcceptDrops(true);
    target->installEventFilter(this);
}

void SetDropTarget::Hover(bool on) {
    if (on == hovered_) return;
    hovered_ = on;
    if (hover_) hover_(on);
}

bool SetDropTarget::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::DragLeave) Hover(false);
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    auto* drop = static_cast<QDropEvent*>(event);
    const DraggedSet* set = SetCopyMimeData::Of(drop->mimeData());
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!set || !widget || !widget->isEnabled() || !accepts_(*set)) {
        Hover(false);
        drop->ignore();
        return true;
    }
    Hover(type != QEvent::Drop);
    const bool move = moves_ && drop->proposedAction() == Qt::MoveAction &&
                      (drop->possibleActions() & Qt::MoveAction);
    drop->setDropAction(move ? Qt::MoveAction : Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop) {
        // Not inside the drop: the drag's source is still waiting for its end.
        const DraggedSet taken = *set;
        const QPoint at = widget->mapToGlobal(drop->position().toPoint());
        QMetaObject::invokeMethod(
            this, [this, taken, at, move] { drop_(taken, at, move); }, Qt::QueuedConnection);
    }
    return true;
}

}  // namespace qm
