#include "app/EditCommands.h"
#include "platform/QtText.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <algorithm>
#include <memory>

#include "app/MainWindow.h"
#include "editor/EditHistory.h"
#include "editor/MacroTab.h"
#include "editor/SetBackup.h"
#include "editor/TextForms.h"

namespace qm {

namespace {

QString ClipboardFailed() {
    return QCoreApplication::translate("qm::wMenu", "クリップボードに書き込めませんでした。");
}

MacroFile& SetOf(wMenu& w, int set) {
    return w.ShownBook()[std::size_t(set)];
}

// A failing command ends where it failed; what it did before stays done.
template <typename F>
void Guarded(F&& command) {
    try {
        command();
    } catch (...) {
    }
}

}  // namespace

bool PutOnClipboard(IClipboard& clipboard, std::u16string_view text) {
    clipboard.Clear();
    clipboard.SetText(text);
    return clipboard.GetText() == text;
}

void popSetCopy_Click(wMenu& w) {
    Guarded([&] {
        w.macroTab->StoreShownSet();
        if (!PutOnClipboard(*w.platform.clipboard, SetToText(SetOf(w, w.macroTab->MenuSet))))
            w.ShowStatus(U(ClipboardFailed()));
    });
}

void popSetCut_Click(wMenu& w) {
    Guarded([&] {
        int set = w.macroTab->MenuSet;
        w.macroTab->StoreShownSet();
        // The fields are emptied only once the clipboard holds their text.
        if (!PutOnClipboard(*w.platform.clipboard, SetToText(SetOf(w, set)))) {
            w.ShowStatus(U(ClipboardFailed()));
            return;
        }
        const QString name = QCoreApplication::translate("qm::EditCommands", "セットの切り取り");
        SetEdit step(*w.history, name, SetRef{w.macroTab->CurrentBookIndex, set});
        w.document->EmptySet(w.macroTab->CurrentBookIndex, set, U(name));
        w.macroTab->RefreshIfShown(set);
    });
}

void popSetPaste_Click(wMenu& w) {
    Guarded([&] {
        std::u16string text = w.platform.clipboard->GetText();
        SetEdit step(*w.history,
                     QCoreApplication::translate("qm::EditCommands", "セットの貼り付け"),
                     SetRef{w.macroTab->CurrentBookIndex, w.macroTab->MenuSet});
        w.macroTab->PutTextInSet(w.macroTab->MenuSet, text);
    });
}

void popSetDelete_Click(wMenu& w) {
    Guarded([&] {
        int set = w.macroTab->MenuSet;
        const QString name = QCoreApplication::translate("qm::EditCommands", "セットの削除");
        SetEdit step(*w.history, name, SetRef{w.macroTab->CurrentBookIndex, set});
        w.document->EmptySet(w.macroTab->CurrentBookIndex, set, U(name));
        w.macroTab->RefreshIfShown(set);
    });
}

void BuildSetMenu(QMenu* menu, wMenu& w) {
    struct Item {
        const char* name;
        QString caption;
        void (*handler)(wMenu&);
    };
    const Item items[] = {
        {"popSetCut", QCoreApplication::translate("qm::EditCommands", "切り取り(&T)"),
         &popSetCut_Click},
        {"popSetCopy", QCoreApplication::translate("qm::EditCommands", "コピー(&C)"),
         &popSetCopy_Click},
        {"popSetPaste", QCoreApplication::translate("qm::EditCommands", "貼り付け(&P)"),
         &popSetPaste_Click},
        {"popSetDelete", QCoreApplication::translate("qm::EditCommands", "削除(&D)"),
         &popSetDelete_Click},
    };
    // Ahead of what the macro tab put there.
    QAction* before = menu->actions().value(0);
    for (const Item& item : items) {
        auto* action = new QAction(item.caption, menu);
        menu->insertAction(before, action);
        action->setObjectName(QString::fromLatin1(item.name));
        auto handler = item.handler;
        QObject::connect(action, &QAction::triggered, menu, [&w, handler] { handler(w); });
    }
    menu->insertSeparator(before);
    auto* copyTo =
        new QAction(QCoreApplication::translate("qm::EditCommands", "コピー先..."), menu);
    menu->insertAction(before, copyTo);
    copyTo->setObjectName(QStringLiteral("popSetCopyTo"));
    QObject::connect(copyTo, &QAction::triggered, menu, [&w] { w.popSetCopyTo_Click(); });
}

namespace {

// Text boxes take Ctrl+X/C/V for themselves before any shortcut sees them; this filter
// hands those keys to the Edit menu instead, so that in a title box they act on the
// whole macro and a pasted macro fills all seven boxes. The Delete key is not routed:
// it stays with the boxes (see where the Edit menu is built). Undo and redo always go
// to the window's history, from the keys and from a box's own popup menu, so that they
// never mean the box's private undo.
class EditKeyRouter : public QObject {
  public:
    explicit EditKeyRouter(wMenu& w) : QObject(&w), w_(w) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ContextMenu) return BoxMenu(watched, event);
        if (event->type() != QEvent::KeyPress) return false;
        auto* box = qobject_cast<QLineEdit*>(watched);
        if (!box || box->window() != &w_) return false;
        QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
        for (QAction* action : {w_.EditUndo, w_.EditRedo}) {
            if (!action || !action->shortcuts().contains(pressed)) continue;
            if (action->isEnabled()) action->trigger();
            return true;
        }
        for (QAction* action : {w_.EditCut, w_.EditCopy, w_.EditPaste}) {
            if (!action || action->shortcut() != pressed) continue;
            w_.EditMenu_Click();  // the same enabled states the menu would show
            if (!action->isEnabled()) return false;
            action->trigger();
            return true;
        }
        return false;
    }

    // The box's popup menu with the history's undo and redo in place of its own.
    bool BoxMenu(QObject* watched, QEvent* event) {
        auto* box = qobject_cast<QLineEdit*>(watched);
        if (!box || box->window() != &w_ || !w_.EditUndo) return false;
        std::unique_ptr<QMenu> menu(box->createStandardContextMenu());
        // A writable box's menu begins with its own undo and redo (newer Qt also names
        // them).
        const QList<QAction*> own = menu->actions();
        const auto replace = [&](const char* name, int at, QAction* by) {
            auto named = std::find_if(own.begin(), own.end(), [&](QAction* a) {
                return a->objectName() == QLatin1String(name);
            });
            QAction* mine = named != own.end() ? *named : own.value(at);
            if (!mine) return;
            menu->insertAction(mine, by);
            menu->removeAction(mine);
        };
        if (!box->isReadOnly() && own.size() >= 2) {
            replace("edit-undo", 0, w_.EditUndo);
            replace("edit-redo", 1, w_.EditRedo);
        }
        menu->exec(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }

  private:
    wMenu& w_;
};

}  // namespace

void InstallEditKeyRouting(wMenu& w) {
    qApp->installEventFilter(new EditKeyRouter(w));
}

}  // namespace qm
