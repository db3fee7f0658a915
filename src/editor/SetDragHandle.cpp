#include "editor/SetDragHandle.h"
#include "platform/QtText.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QUrl>

#include "app/Wording.h"
#include "editor/EditHistory.h"
#include "editor/MacroTab.h"
#include "editor/SetBackup.h"
#include "editor/TabHost.h"
#include "storage/Paths.h"
#include "storage/PrivateTemp.h"
#include "storage/Utf.h"

namespace qm {

namespace {

const QString kUriList = QStringLiteral("text/uri-list");

}  // namespace

QStringList SetBackupMimeData::formats() const {
    return {kUriList};
}

bool SetBackupMimeData::hasFormat(const QString& mimeType) const {
    return mimeType == kUriList;
}

QVariant SetBackupMimeData::retrieveData(const QString& mimeType, QMetaType type) const {
    if (mimeType != kUriList || !handle_) return {};
    auto path = handle_->pctSetDragger_OLESetData();
    if (!path) return {};
    QUrl url = QUrl::fromLocalFile(Q(TextFromPath(*path)));
    if (type.id() == QMetaType::QByteArray) return QByteArray(url.toEncoded() + "\r\n");
    return QVariantList{url};
}

SetDragHandle::SetDragHandle(TabHost& host, MacroTab& tab, int setIndex, QWidget* parent)
    : QLabel(parent), host_(host), tab_(tab), setIndex_(setIndex) {
    setAcceptDrops(true);
}

void SetDragHandle::mousePressEvent(QMouseEvent*) {
    pctSetDragger_MouseDown();
}

void SetDragHandle::pctSetDragger_MouseDown() {
    // A set that cannot be backed up says why before anything is dragged.
    if (const QString reason = Refusal(); !reason.isEmpty()) {
        host_.ShowMessage(U(CannotBackUp(reason)), MsgIcon::Warning);
        return;
    }
    refusalShown_ = false;
    auto* drag = new QDrag(this);
    drag->setMimeData(pctSetDragger_OLEStartDrag());
    if (!pixmap().isNull()) drag->setPixmap(pixmap());
    // The platform's own cursors show what a target would do.
    drag->exec(Qt::MoveAction);
}

QMimeData* SetDragHandle::pctSetDragger_OLEStartDrag() {
    return new SetBackupMimeData(this);
}

// Why the set as stored cannot be written so that it reads back; empty when it can.
QString SetDragHandle::Refusal() const {
    const Reason error = BackupRefusal(tab_.Book()[std::size_t(setIndex_)]);
    if (error.kind == ReasonKind::LineEndInField)
        return tr("%1に改行が含まれているため、復元できるように書き出せません。")
            .arg(Wording::FieldName(int(error.number)));
    return Wording::Why(error);
}

QString SetDragHandle::CannotBackUp(const QString& reason) const {
    return tr("セット%1のバックアップファイル「%2」を作成できませんでした。\r\n%3")
        .arg(setIndex_ + 1)
        .arg(Q(BackupFileName(setIndex_)), reason);
}

std::optional<std::filesystem::path> SetDragHandle::pctSetDragger_OLESetData() {
    // From the book, which holds what the boxes show. The file goes into this
    // process's private temporary folder, where no other account can have planted a
    // link under its name.
    const MacroFile& set = tab_.Book()[std::size_t(setIndex_)];
    QString why = Refusal();
    if (why.isEmpty()) {
        Reason error;
        if (auto path = WritePrivateTempFile(Utf16ToUtf8(BackupFileName(setIndex_)),
                                             BackupFileBytes(set), &error))
            return path;
        why = Wording::Why(error);
    }
    // A target may ask several times in one drag: one message, after the drag.
    if (!refusalShown_) {
        refusalShown_ = true;
        const std::u16string message = U(CannotBackUp(why));
        QMetaObject::invokeMethod(
            this, [this, message] { host_.ShowMessage(message, MsgIcon::Warning); },
            Qt::QueuedConnection);
    }
    return std::nullopt;
}

bool SetDragHandle::Restore(const QMimeData* data) {
    tab_.MenuSet = int16_t(setIndex_);
    QList<QUrl> urls = data->urls();
    if (urls.isEmpty()) return false;
    std::u16string shown = U(urls.front().toDisplayString(QUrl::PreferLocalFile));
    BackupReadError error = BackupReadError::NotAFile;
    BackupReadResult read;
    if (urls.front().isLocalFile()) {
        read = ReadBackupFile(PathFromText(U(urls.front().toLocalFile())));
        error = read.error;
    }
    if (error != BackupReadError::None) {
        const std::u16string message =
            U(tr("「%1」からセットを復元できませんでした。\r\n%2\r\nセットは変更されていません。")
                  .arg(Q(shown), Wording::BackupReadError(error)));
        // Not inside the drop itself: the drag's source is still waiting for its end.
        QMetaObject::invokeMethod(
            this, [this, message] { host_.ShowMessage(message, MsgIcon::Warning); },
            Qt::QueuedConnection);
        return false;
    }
    SetEdit step(host_.History(), tr("セットの復元"), SetRef{tab_.CurrentBookIndex, setIndex_});
    tab_.PutBackupInSet(setIndex_, read.bytes);
    return true;
}

bool SetDragHandle::pctSetDragger_OLEDragOver(QDropEvent* event) {
    // A handle dropped on itself (a plain click starts a drag) would restore its own
    // set and throw away what was typed into its boxes.
    const QMimeData* data = event->mimeData();
    if (event->source() == this || !data || !data->hasUrls()) {
        event->ignore();
        return false;
    }
    // The file is only read, so copy where the source allows it.
    if (event->possibleActions() & Qt::CopyAction)
        event->setDropAction(Qt::CopyAction);
    else
        event->setDropAction(event->proposedAction());
    event->accept();
    return true;
}

bool SetDragHandle::pctSetDragger_OLEDragDrop(QDropEvent* event) {
    return pctSetDragger_OLEDragOver(event) && Restore(event->mimeData());
}

void SetDragHandle::dragEnterEvent(QDragEnterEvent* event) {
    pctSetDragger_OLEDragOver(event);
}

void SetDragHandle::dragMoveEvent(QDragMoveEvent* event) {
    pctSetDragger_OLEDragOver(event);
}

void SetDragHandle::dropEvent(QDropEvent* event) {
    pctSetDragger_OLEDragDrop(event);
}

}  // namespace qm
