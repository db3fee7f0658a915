// Undo and redo on the real main window: every kind of edit gives back the exact stored
// bytes, the unsaved-changes flag follows the history, typing joins into one step, and
// Ctrl+Z in a box is the window's undo.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QSlider>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>
#include <QUndoStack>
#include <QUrl>
#include <functional>

#include "app/EditCommands.h"
#include "config/ColorTab.h"
#include "config/GameSettingsTab.h"
#include "editor/EditHistory.h"
#include "editor/MacroTab.h"
#include "editor/SetDragHandle.h"
#include "editor/TextForms.h"
#include "macro/MacroFolder.h"
#include "storage/FaultyFileSystem.h"
#include "support/WindowFixture.h"

using namespace qm;
using namespace qm::test;

namespace {

// Everything an edit may change, as stored.
struct Stored {
    MacroBooks books;
    std::array<uint8_t, kCnfRecordSize> cnf;
    GameSettings game;
    std::u16string name;
};

Stored Capture(wMenu& w) {
    return {w.Books(), w.Cnf().bytes, w.gameSettingsTab->Collect(), w.prefs.Myname};
}

// The first difference, or empty when both are the same.
QString Difference(const Stored& a, const Stored& b) {
    for (int n = 0; n < kMacroFileCount; ++n) {
        const auto& x = a.books.File(n).bytes;
        const auto& y = b.books.File(n).bytes;
        auto [i, unused] = std::mismatch(x.begin(), x.end(), y.begin());
        if (i != x.end()) return QStringLiteral("file %1 byte %2").arg(n).arg(i - x.begin());
    }
    if (a.cnf != b.cnf) return QStringLiteral("cnf.dat");
    if (!(a.game == b.game)) return QStringLiteral("game settings");
    if (a.name != b.name) return QStringLiteral("own name");
    return {};
}

// Macro files whose fields hold text followed by leftover bytes, as the game leaves
// them: an undo that stored texts again instead of bytes would lose the leftovers.
MacroFile FilledSet(int set) {
    MacroFile file;
    for (std::size_t i = kMacroBlockOffset; i < kMacroFileSize; ++i)
        file.bytes[i] = uint8_t(0x41 + (i * 7 + std::size_t(set)) % 26);
    const auto n = [](int v) { return Utf8ToUtf16(std::to_string(v)); };
    for (int m = 0; m < kMacrosPerSet; ++m) {
        StoreFieldText(file.Title(m), u"T" + n(set) + u"-" + n(m));
        for (int k = 0; k < kLinesPerMacro - 1; ++k)
            StoreFieldText(file.Line(m, k), u"L" + n(set) + u"-" + n(m) + u"-" + n(k));
        StoreFieldText(file.Line(m, kLinesPerMacro - 1), u"");
    }
    return file;
}

struct HistoryFixture {
    WindowFixture f;
    wMenu* w = nullptr;
    MacroTab* tab = nullptr;

    HistoryFixture() {
        std::filesystem::create_directory(f.dir.Path("c"));
        for (int s = 0; s < 3 * kSetCount; ++s) {
            MacroFile file = FilledSet(s);
            if (!WriteMacroFile(f.dir.Text("c/") + MacroFileName(s), file)) qFatal("no macro file");
        }
        std::vector<uint8_t> cnf(kCnfRecordSize);
        for (std::size_t i = 0; i < cnf.size(); ++i) cnf[i] = uint8_t(i * 13 + 1);
        cnf[56] = cnf[57] = cnf[58] = cnf[59] = 0;
        f.dir.Write("c/cnf.dat", cnf);
        f.dir.Write("backup.txt", Cp932Encode(u"復元\r\n/p 1\r\n/p 2\r\n"));
        f.fake.dialogs.folders.push_back(f.dir.Text("c"));
        f.fake.folders.temp = f.dir.Text("");
        w = &f.Start();
        tab = w->macroTab;
        QApplication::processEvents();
    }
    QLineEdit* title(int i) { return tab->efTitle[std::size_t(i)]; }
    QLineEdit* line(int k) { return tab->efLine[std::size_t(k)]; }
    EditHistory& stack() { return *w->history; }
    void focus(QLineEdit* box, int caret) {
        box->setFocus(Qt::MouseFocusReason);
        box->setCursorPosition(caret);
    }
    void key(QWidget* widget, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::keyClick(widget, k, m);
    }
    void popup(int set, const char* name) {
        tab->MenuSet = int16_t(set);
        tab->popSetMenu->findChild<QAction*>(QString::fromLatin1(name))->trigger();
    }
    // The title and line boxes show what the book holds for the set and macro on show.
    bool BoxesShowTheBook() {
        const MacroFile& file = w->ShownBook()[std::size_t(tab->CurrentSetIndex)];
        for (int i = 0; i < kMacrosPerSet; ++i)
            if (U(title(i)->text()) != ReadFieldText(file.Title(i))) return false;
        for (int k = 0; k < kLinesPerMacro; ++k)
            if (U(line(k)->text()) != ReadFieldText(file.Line(tab->CurrentMacroIndex, k)))
                return false;
        return true;
    }
};

struct Command {
    const char* what;
    QString name;  // the step's name in the menu
    std::function<void(HistoryFixture&)> run;
    int tab;              // shown on undo and redo
    int set;              // set shown on undo and redo, -1: any
    int macro;            // macro shown, -1: any
    bool content = true;  // whether it is an unsaved change
    int book = 0;         // book shown with the set
};

}  // namespace

class EditHistoryTest : public QObject {
    Q_OBJECT
  private slots:
    void everyEditUndoesAndRedoesToTheExactBytes() {
        const std::vector<Command> commands = {
            {"typing a title", QStringLiteral("タイトルの入力"),
             [](HistoryFixture& x) {
                 x.focus(x.title(3), 2);
                 QTest::keyClicks(x.title(3), QStringLiteral("ab"));
                 x.key(x.title(3), Qt::Key_Backspace);
             },
             0, 0, 3},
            {"typing in another book", QStringLiteral("タイトルの入力"),
             [](HistoryFixture& x) {
                 x.tab->cboBook->setCurrentIndex(2);
                 x.tab->pbSet[4]->click();
                 x.focus(x.title(1), 0);
                 QTest::keyClicks(x.title(1), QStringLiteral("b"));
             },
             0, 4, 1, true, 2},
            {"typing a line", QStringLiteral("行の入力"),
             [](HistoryFixture& x) {
                 x.title(2)->setFocus(Qt::MouseFocusReason);
                 x.focus(x.line(1), 0);
                 QTest::keyClicks(x.line(1), QStringLiteral("/p "));
             },
             0, 0, 2},
            {"Enter splits", QStringLiteral("行の分割"),
             [](HistoryFixture& x) {
                 x.focus(x.line(1), 2);
                 x.key(x.line(1), Qt::Key_Return);
             },
             0, 0, 0},
            {"Backspace joins", QStringLiteral("行の結合"),
             [](HistoryFixture& x) {
                 x.focus(x.line(3), 0);
                 x.key(x.line(3), Qt::Key_Backspace);
             },
             0, 0, 0},
            {"Delete joins", QStringLiteral("行の結合"),
             [](HistoryFixture& x) {
                 x.focus(x.line(0), int(x.line(0)->text().size()));
                 x.key(x.line(0), Qt::Key_Delete);
             },
             0, 0, 0},
            {"macro cut", QStringLiteral("マクロの切り取り"),
             [](HistoryFixture& x) {
                 x.title(4)->setFocus(Qt::MouseFocusReason);
                 x.key(x.title(4), Qt::Key_X, Qt::ControlModifier);
             },
             0, 0, 4},
            {"cut of a selection", QStringLiteral("切り取り"),
             [](HistoryFixture& x) {
                 x.line(0)->setFocus();
                 x.line(0)->setSelection(1, 3);
                 x.key(x.line(0), Qt::Key_X, Qt::ControlModifier);
             },
             0, 0, 0},
            {"macro paste", QStringLiteral("マクロの貼り付け"),
             [](HistoryFixture& x) {
                 x.f.fake.clipboard.text = u"新\r\n/p a\r\n/p b";
                 x.focus(x.line(2), 0);
                 x.key(x.line(2), Qt::Key_V, Qt::ControlModifier);
             },
             0, 0, 0},
            {"paste at the caret", QStringLiteral("貼り付け"),
             [](HistoryFixture& x) {
                 x.f.fake.clipboard.text = u"XY";
                 x.focus(x.line(0), 1);
                 x.w->EditMenu_Click();
                 x.w->EditPaste->trigger();
             },
             0, 0, 0},
            {"delete of a selection", QStringLiteral("削除"),
             [](HistoryFixture& x) {
                 x.line(4)->setFocus();
                 x.line(4)->setSelection(0, 2);
                 x.w->EditMenu_Click();
                 x.w->EditDelete->trigger();
             },
             0, 0, 0},
            {"set cut of the current set", QStringLiteral("セットの切り取り"),
             [](HistoryFixture& x) { x.popup(0, "popSetCut"); }, 0, 0, 0},
            {"set paste into another set", QStringLiteral("セットの貼り付け"),
             [](HistoryFixture& x) {
                 x.f.fake.clipboard.text = SetToText(x.w->ShownBook()[3]);
                 x.popup(6, "popSetPaste");
             },
             0, 6, 0},
            {"set paste of text without fields", QStringLiteral("セットの貼り付け"),
             [](HistoryFixture& x) {
                 x.f.fake.clipboard.text = u"no fields";
                 x.popup(5, "popSetPaste");
             },
             0, 5, 0},
            {"set delete", QStringLiteral("セットの削除"),
             [](HistoryFixture& x) { x.popup(2, "popSetDelete"); }, 0, 2, 0},
            {"backup drop", QStringLiteral("セットの復元"),
             [](HistoryFixture& x) {
                 QMimeData data;
                 data.setUrls({QUrl::fromLocalFile(Q(x.f.dir.Text("backup.txt")))});
                 QDropEvent event(QPointF(8, 8), Qt::CopyAction, &data, Qt::LeftButton,
                                  Qt::NoModifier);
                 auto* handle = static_cast<SetDragHandle*>(x.tab->pctSetDragger[7]);
                 QVERIFY(handle->pctSetDragger_OLEDragDrop(&event));
             },
             0, 7, 0},
            {"colour slider", QStringLiteral("文字カラーの変更"),
             [](HistoryFixture& x) {
                 x.w->tsMenu->setCurrentIndex(1);
                 x.w->colorTab->ShowEntry(4);
                 x.w->colorTab->sTextColorG->setFocus();
                 for (int i = 0; i < 3; ++i) x.key(x.w->colorTab->sTextColorG, Qt::Key_Right);
             },
             1, -1, -1},
            {"game setting check box", QStringLiteral("環境設定の変更"),
             [](HistoryFixture& x) {
                 x.w->tsMenu->setCurrentIndex(2);
                 x.w->gameSettingsTab->cbSound->click();
             },
             2, -1, -1},
            {"game setting slider", QStringLiteral("環境設定の変更"),
             [](HistoryFixture& x) {
                 x.w->tsMenu->setCurrentIndex(2);
                 x.w->gameSettingsTab->sBackBufferW->setFocus();
                 x.key(x.w->gameSettingsTab->sBackBufferW, Qt::Key_Right);
                 x.key(x.w->gameSettingsTab->sBackBufferW, Qt::Key_Right);
             },
             2, -1, -1},
            {"own name", QStringLiteral("自分の名前の入力"),
             [](HistoryFixture& x) {
                 x.focus(x.tab->efMyname, 0);
                 QTest::keyClicks(x.tab->efMyname, QStringLiteral("taro"));
             },
             0, -1, -1, false},
        };
        for (const Command& c : commands) {
            HistoryFixture x;
            QVERIFY2(!x.w->EditUndo->isEnabled(), c.what);
            const Stored before = Capture(*x.w);
            c.run(x);
            const Stored after = Capture(*x.w);
            QVERIFY2(!Difference(before, after).isEmpty() ||
                         c.name == QStringLiteral("セットの貼り付け"),
                     c.what);
            QCOMPARE(x.stack().Count(), 1);
            QCOMPARE(x.w->EditUndo->text(),
                     QStringLiteral("元に戻す: ") + c.name + QStringLiteral("(&U)"));
            QCOMPARE(x.w->ContentModified, c.content);

            // Undo and redo from elsewhere: another set and another tab are on show.
            for (bool forward : {false, true, false}) {
                x.tab->cboBook->setCurrentIndex(7);
                x.tab->pbSet[9]->click();
                x.w->tsMenu->setCurrentIndex(3);
                if (forward)
                    x.w->EditRedo->trigger();
                else
                    x.w->EditUndo->trigger();
                const QString wrong = Difference(Capture(*x.w), forward ? after : before);
                QVERIFY2(wrong.isEmpty(),
                         qPrintable(QString::fromLatin1(c.what) + QStringLiteral(": ") + wrong));
                QVERIFY2(x.w->tsMenu->currentIndex() == c.tab, c.what);
                if (c.set >= 0) QVERIFY2(x.tab->CurrentSetIndex == c.set, c.what);
                if (c.set >= 0) QVERIFY2(x.tab->CurrentBookIndex == c.book, c.what);
                QVERIFY2(x.tab->cboBook->currentIndex() == x.tab->CurrentBookIndex, c.what);
                if (c.macro >= 0) QVERIFY2(x.tab->CurrentMacroIndex == c.macro, c.what);
                QVERIFY2(x.BoxesShowTheBook(), c.what);
                QCOMPARE(x.w->ContentModified, forward && c.content);
            }
            QVERIFY(x.w->EditRedo->text().startsWith(QStringLiteral("やり直し: ") + c.name));
        }
    }

    void savedStateIsCleanWhereverTheHistoryReturnsToIt() {
        HistoryFixture x;
        x.focus(x.title(0), 0);
        QTest::keyClicks(x.title(0), QStringLiteral("a"));
        QVERIFY(x.w->ContentModified);
        QCOMPARE(x.w->FileSave_Click(), SaveResult::Saved);
        QVERIFY(!x.w->ContentModified);
        auto* mark = x.w->findChild<QLabel*>(QStringLiteral("stModified"));
        QVERIFY(mark->text().isEmpty());

        // Typing on in the same box after the save is a step of its own.
        QTest::keyClicks(x.title(0), QStringLiteral("b"));
        x.w->gameSettingsTab->cbMipMap->click();
        QCOMPARE(x.stack().Count(), 3);
        QVERIFY(x.w->ContentModified);
        QCOMPARE(mark->text(), QStringLiteral("変更あり"));
        x.w->EditUndo->trigger();
        x.w->EditUndo->trigger();
        QVERIFY(!x.w->ContentModified);
        QVERIFY(mark->text().isEmpty());
        x.w->EditRedo->trigger();
        QVERIFY(x.w->ContentModified);
        x.w->EditUndo->trigger();

        // The own name is not saved content; undoing past the save is a change again.
        x.focus(x.tab->efMyname, 0);
        QTest::keyClicks(x.tab->efMyname, QStringLiteral("n"));
        QVERIFY(!x.w->ContentModified);
        x.w->EditUndo->trigger();
        x.w->EditUndo->trigger();
        QVERIFY(x.w->ContentModified);
        x.w->EditRedo->trigger();
        QVERIFY(!x.w->ContentModified);

        // A new edit after undoing past the save drops the saved state for good.
        x.w->EditUndo->trigger();
        x.focus(x.line(0), 0);
        QTest::keyClicks(x.line(0), QStringLiteral("z"));
        x.w->EditUndo->trigger();
        QVERIFY(x.w->ContentModified);

        // A save that wrote only part leaves no step matching the disk.
        QCOMPARE(x.w->FileSave_Click(), SaveResult::Saved);
        x.focus(x.line(1), 0);
        QTest::keyClicks(x.line(1), QStringLiteral("y"));
        x.w->Cnf().SetColor(0, {1, 2, 3, 4});  // so that cnf.dat is written after mcr.dat
        {
            FaultyFileSystem faulty;
            ScopedFileSystem use(faulty);
            faulty.FailAt(10);  // after mcr.dat, the rename of cnf.dat
            QCOMPARE(x.w->FileSave_Click(), SaveResult::Failed);
        }
        x.w->EditUndo->trigger();
        QVERIFY(x.w->ContentModified);

        // Opening a folder starts a new history.
        x.f.fake.dialogs.folders.push_back(x.f.dir.Text("c"));
        x.f.fake.messageBox.answers = {MsgAnswer::No};
        x.w->FileOpen_Click();
        QCOMPARE(x.stack().Count(), 0);
        QVERIFY(!x.w->ContentModified);
        QVERIFY(!x.w->EditUndo->isEnabled());
    }

    void typingJoinsUntilAPauseOrAnotherBox() {
        HistoryFixture x;
        const Stored start = Capture(*x.w);
        x.focus(x.line(0), 0);
        QTest::keyClicks(x.line(0), QStringLiteral("ab"));
        QCOMPARE(x.stack().Count(), 1);
        // A pause of exactly the limit still joins; one millisecond more does not.
        x.f.fake.clock.Advance(EditHistory::kPauseMs);
        QTest::keyClicks(x.line(0), QStringLiteral("b"));
        QCOMPARE(x.stack().Count(), 1);
        x.f.fake.clock.Advance(EditHistory::kPauseMs + 1);
        QTest::keyClicks(x.line(0), QStringLiteral("c"));
        QCOMPARE(x.stack().Count(), 2);
        x.focus(x.line(1), 0);
        QTest::keyClicks(x.line(1), QStringLiteral("d"));
        QCOMPARE(x.stack().Count(), 3);
        // Typed and taken back within one step: no step, nothing unsaved.
        x.focus(x.line(2), 0);
        QTest::keyClicks(x.line(2), QStringLiteral("e"));
        x.key(x.line(2), Qt::Key_Backspace);
        QCOMPARE(x.stack().Count(), 3);

        // Ctrl+Z and both redo keys in a box are the history's, caret and all.
        x.key(x.line(2), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(x.stack().Index(), 2);
        QCOMPARE(QApplication::focusWidget(), x.line(1));
        QCOMPARE(x.line(1)->cursorPosition(), 0);
        x.key(x.line(1), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(x.stack().Index(), 3);
        x.key(x.line(1), Qt::Key_Z, Qt::ControlModifier);
        x.key(x.line(1), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(x.stack().Index(), 3);
        for (int i = 0; i < 3; ++i)
            x.key(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(Difference(Capture(*x.w), start).isEmpty());
        QVERIFY(!x.w->ContentModified);
        // Nothing left to undo: the box does not undo on its own either.
        x.w->Filling = true;
        x.line(0)->insert(QStringLiteral("q"));
        x.w->Filling = false;
        const QString shown = x.line(0)->text();
        x.key(x.line(0), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(x.line(0)->text(), shown);

        // Text too long for its field is not stored, but undo and redo bring it back.
        x.focus(x.line(3), 0);
        x.line(3)->selectAll();
        x.line(3)->insert(QString(31, QChar(u'あ')));
        QVERIFY(x.w->Books().File(0).bytes == start.books.File(0).bytes);
        x.w->EditUndo->trigger();
        QCOMPARE(x.line(3)->text(), Q(ReadFieldText(start.books.File(0).Line(0, 3))));
        x.w->EditRedo->trigger();
        QCOMPARE(x.line(3)->text(), QString(31, QChar(u'あ')));
    }

    void undoAndRedoHeadTheEditMenu() {
        HistoryFixture x;
        const QList<QAction*> items = x.w->EditMenu->actions();
        QCOMPARE(items[0], x.w->EditUndo);
        QCOMPARE(items[1], x.w->EditRedo);
        QVERIFY(items[2]->isSeparator());
        QCOMPARE(x.w->EditUndo->text(), QStringLiteral("元に戻す(&U)"));
        QCOMPARE(x.w->EditRedo->text(), QStringLiteral("やり直し(&R)"));
        QVERIFY(!x.w->EditUndo->isEnabled());
        QVERIFY(!x.w->EditRedo->isEnabled());
        x.popup(1, "popSetDelete");
        QVERIFY(x.w->EditUndo->isEnabled());
        x.w->EditUndo->trigger();
        QVERIFY(!x.w->EditUndo->isEnabled());
        QCOMPARE(x.w->EditRedo->text(), QStringLiteral("やり直し: セットの削除(&R)"));
        QCOMPARE(x.w->EditRedo->shortcuts(),
                 (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Y),
                                      QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}));
    }
};

QTEST_MAIN(EditHistoryTest)
#include "EditHistoryTest.moc"
