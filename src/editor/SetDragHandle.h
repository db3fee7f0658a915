#pragma once
// The drag handle beside a set button. Dragged out of the window it offers the set's
// backup file "Set<n>.txt", written into the temporary folder when a target asks for
// it; a file list dropped on it restores the first file into its set.

#include <QLabel>
#include <QMimeData>
#include <QPointer>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

class QDropEvent;

namespace qm {

class MacroTab;
class TabHost;
class SetDragHandle;

// A file list made on demand: the backup file is written only when a target reads it.
class SetBackupMimeData : public QMimeData {
    Q_OBJECT
  public:
    explicit SetBackupMimeData(SetDragHandle* handle) : handle_(handle) {}
    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

  protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

  private:
    QPointer<SetDragHandle> handle_;
};

class SetDragHandle : public QLabel {
    Q_OBJECT
  public:
    SetDragHandle(TabHost& host, MacroTab& tab, int setIndex, QWidget* parent);
    int SetIndex() const { return setIndex_; }

    // Starts a drag of this set's backup (blocks until the drag ends).
    void pctSetDragger_MouseDown();
    // What a drag from this handle offers: a file list, with the move effect only.
    QMimeData* pctSetDragger_OLEStartDrag();
    // Writes the backup file into the temporary folder; its path, or nothing on failure.
    std::optional<std::filesystem::path> pctSetDragger_OLESetData();
    // Accepts the drag with the copy effect when it holds a file list, refuses it
    // otherwise (and when it comes from this very handle). True when accepted.
    bool pctSetDragger_OLEDragOver(QDropEvent* event);
    // A drop: restores the first dropped file into this set when the drag is accepted.
    // False when nothing was restored and the set was left as it was.
    bool pctSetDragger_OLEDragDrop(QDropEvent* event);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    bool Restore(const QMimeData* data);
    QString Refusal() const;
    QString CannotBackUp(const QString& reason) const;
    TabHost& host_;
    MacroTab& tab_;
    int setIndex_;
    bool refusalShown_ = false;  // in the present drag
};

}  // namespace qm
