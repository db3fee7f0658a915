// The Edit menu, the set popup menu and set backup by drag and drop, on the real main
// window with the offscreen platform's real clipboard.
#include <QAction>
#include <QClipboard>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <fstream>
#include <iterator>

#include "editor/MacroTab.h"
#include "editor/SetDragHandle.h"
#include "editor/TextForms.h"
#include "platform/linux/QtServices.h"
#include "preview/PreviewBoxes.h"
#include "storage/PrivateTemp.h"
#include "support/WindowFixture.h"

using namespace qm;
using namespace qm::test;

class EditCommandsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowFixture> f;
    QtClipboard clipboard;
    wMenu* w = nullptr;
    MacroTab* tab = nullptr;

    QLineEdit* line(int k) { return tab->efLine[std::size_t(k)]; }
    QLineEdit* title(int i) { return tab->efTitle[std::size_t(i)]; }
    SetDragHandle* handle(int n) {
        return static_cast<SetDragHandle*>(tab->pctSetDragger[std::size_t(n)]);
    }
    QAction* popup(const char* name) {
        return tab->popSetMenu->findChild<QAction*>(QString::fromLatin1(name));
    }
    QString clip() { return QGuiApplication::clipboard()->text(); }
    void setClip(const QString& text) { QGuiApplication::clipboard()->setText(text); }
    QStringList lines() {
        QStringList l;
        for (int k = 0; k < 6; ++k) l << line(k)->text();
        return l;
    }
    // Selects macro `index` by clicking its title box, then types the title and lines.
    void typeMacro(int index, const QString& t, const QStringList& ls) {
        QTest::mouseClick(title(index), Qt::LeftButton);
        title(index)->setText(t);
        for (int k = 0; k < ls.size(); ++k) line(k)->setText(ls[k]);
    }
    // A set with text in every field, written straight into the book.
    void fillSet(int set, const std::u16string& tag) {
        MacroFile& file = w->ShownBook()[std::size_t(set)];
        for (int m = 0; m < 20; ++m) {
            std::u16string n = Utf8ToUtf16(std::to_string(m + 1));
            StoreFieldText(file.Title(m), tag + n);
            for (int k = 0; k < 6; ++k)
                StoreFieldText(file.Line(m, k),
                               tag + u"行" + n + u"-" + Utf8ToUtf16(std::to_string(k)));
        }
    }
    std::u16string setText(int set) { return SetToText(w->ShownBook()[std::size_t(set)]); }
    // A drop as the platform delivers it, without a real drag. Another handle of this
    // window offers the move effect only.
    bool drop(SetDragHandle* target, const QMimeData* data) {
        QDropEvent event(QPointF(8, 8), Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
        return target->pctSetDragger_OLEDragDrop(&event);
    }
    // Dragging over a handle: true when the drag is accepted with the copy effect.
    bool dragOver(SetDragHandle* target, const QMimeData* data) {
        QDragEnterEvent event(QPoint(8, 8), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                              Qt::NoModifier);
        target->pctSetDragger_OLEDragOver(&event);
        return event.isAccepted() && event.dropAction() == Qt::CopyAction;
    }
    QMimeData* fileList(const std::filesystem::path& path) {
        auto* data = new QMimeData;
        data->setUrls({QUrl::fromLocalFile(Q(TextFromPath(path)))});
        return data;
    }

  private slots:
    void init() {
        f = std::make_unique<WindowFixture>();
        f->fake.platform.clipboard = &clipboard;
        f->fake.folders.temp = f->dir.Text("tmp/");
        std::filesystem::create_directory(f->dir.Path("tmp"));
        std::u16string folder = f->dir.Text("");
        f->fake.dialogs.folders.push_back(folder.substr(0, folder.size() - 1));
        f->Start();
        w = f->window.get();
        tab = w->macroTab;
        QVERIFY(QTest::qWaitForWindowActive(w));
        QVERIFY(tab->efLine[0]->isEnabled());
        QGuiApplication::clipboard()->clear();
        w->ContentModified = false;
    }
    void cleanup() { f.reset(); }

    void copyAndCutInATitleBoxTakeTheWholeMacro() {
        typeMacro(2, QStringLiteral("回復"),
                  {QStringLiteral("/ma ケアル <t>"), QString(), QStringLiteral("/wait 2"),
                   QString(), QString(), QStringLiteral("end")});
        QCOMPARE(QApplication::focusWidget(), title(2));
        title(2)->deselect();
        w->EditMenu_Click();
        QVERIFY(w->EditCopy->isEnabled());
        QVERIFY(w->EditCut->isEnabled());
        QVERIFY(w->EditDelete->isEnabled());
        const QString macro =
            QStringLiteral("回復\r\n/ma ケアル <t>\r\n\r\n/wait 2\r\n\r\n\r\nend");

        w->EditCopy->trigger();
        QCOMPARE(clip(), macro);
        QCOMPARE(title(2)->text(), QStringLiteral("回復"));

        // Delete in a title box removes only selected text: none here.
        w->EditDelete->trigger();
        QCOMPARE(title(2)->text(), QStringLiteral("回復"));

        setClip(QStringLiteral("old"));
        w->ContentModified = false;
        QTest::keyClick(title(2), Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(clip(), macro);
        QCOMPARE(title(2)->text(), QString());
        QCOMPARE(lines(), QStringList(6, QString()));
        QVERIFY(w->ContentModified);
    }

    void menuStatesFollowTheFocusedBox() {
        line(1)->setText(QStringLiteral("abc"));
        line(1)->setFocus();
        line(1)->deselect();
        setClip(QStringLiteral("x"));
        w->EditMenu_Click();
        QVERIFY(!w->EditCut->isEnabled());
        QVERIFY(!w->EditCopy->isEnabled());
        QVERIFY(!w->EditDelete->isEnabled());
        QVERIFY(w->EditPaste->isEnabled());

        line(1)->setSelection(0, 2);
        QGuiApplication::clipboard()->clear();
        w->EditMenu_Click();
        QVERIFY(w->EditCut->isEnabled());
        QVERIFY(w->EditCopy->isEnabled());
        QVERIFY(w->EditDelete->isEnabled());
        QVERIFY(!w->EditPaste->isEnabled());

        // The own-name box is a text box too; a button is not.
        tab->efMyname->setFocus();
        w->EditMenu_Click();
        QVERIFY(!w->EditCopy->isEnabled());
        tab->pbSet[1]->setFocus();
        setClip(QStringLiteral("x"));
        w->EditMenu_Click();
        for (QAction* a : {w->EditCut, w->EditCopy, w->EditPaste, w->EditDelete})
            QVERIFY(!a->isEnabled());
    }

    void cutCopyAndDeleteOfASelectionInALineBox() {
        line(0)->setText(QStringLiteral("/ma ケアル <me>"));
        line(0)->setFocus();
        line(0)->setSelection(4, 3);
        QTest::keyClick(line(0), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clip(), QStringLiteral("ケアル"));
        w->EditCut->trigger();
        QCOMPARE(line(0)->text(), QStringLiteral("/ma  <me>"));
        line(0)->setSelection(0, 4);
        w->EditDelete->trigger();
        QCOMPARE(line(0)->text(), QStringLiteral(" <me>"));
        QCOMPARE(clip(), QStringLiteral("ケアル"));
    }

    void pastingMacroTextFillsTheCurrentMacroFromAnyBox() {
        typeMacro(4, QStringLiteral("old"),
                  {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
        line(2)->setFocus();
        setClip(QStringLiteral("新しい\r\n/p 準備よし"));
        QTest::keyClick(line(2), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(title(4)->text(), QStringLiteral("新しい"));
        QCOMPARE(lines(), (QStringList{QStringLiteral("/p 準備よし"), QString(), QString(),
                                       QString(), QString(), QString()}));

        // From the own-name box too; the title is kept within its eight bytes.
        tab->efMyname->setFocus();
        const QString name = tab->efMyname->text();
        setClip(QStringLiteral("ケアルガ強化\r\na\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng"));
        w->EditPaste->trigger();
        QCOMPARE(title(4)->text(), QStringLiteral("ケアルガ"));
        QCOMPARE(lines(),
                 (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                              QStringLiteral("d"), QStringLiteral("e"), QStringLiteral("f")}));
        QCOMPARE(tab->efMyname->text(), name);
    }

    // Lines pasted while a title box has the focus show in the preview at once.
    void pastedMacroShowsInThePreviewAtOnce() {
        auto* preview = static_cast<MacroPreviewBox*>(tab->pctMacro);
        QTest::mouseClick(title(4), Qt::LeftButton);
        QTRY_VERIFY(preview->LastOutput().empty());
        setClip(QStringLiteral("挨拶\r\n/s こんにちは\r\n/p よろしく"));
        QTest::keyClick(title(4), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), title(4));
        QTRY_VERIFY(!preview->LastOutput().empty());
        QVERIFY(Q(preview->LastOutput().back().text).contains(QStringLiteral("よろしく")));
    }

    // Before a folder is open there is no macro to fill: a box that can take text (the
    // own name) takes the clipboard's lines as one line.
    void pasteBeforeAFolderIsOpenGoesIntoTheFocusedBox() {
        WindowFixture g;
        g.fake.platform.clipboard = &clipboard;
        wMenu& early = g.Start();
        QVERIFY(!early.EditorEnabled);
        QLineEdit* name = early.macroTab->efMyname;
        name->setFocus();
        name->selectAll();
        setClip(QStringLiteral("タロウ\r\n"));
        early.EditPaste_Click();
        QCOMPARE(name->text(), QStringLiteral("タロウ"));
        setClip(QStringLiteral("A\r\nB"));
        name->selectAll();
        early.EditPaste_Click();
        QCOMPARE(name->text(), QStringLiteral("A B"));
        QVERIFY(!early.ContentModified);
    }

    void pastingPlainTextInsertsAtTheCaret() {
        line(3)->setText(QStringLiteral("abcdef"));
        line(3)->setFocus();
        line(3)->setCursorPosition(3);
        setClip(QStringLiteral("XY"));
        QTest::keyClick(line(3), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(line(3)->text(), QStringLiteral("abcXYdef"));
        QCOMPARE(line(3)->cursorPosition(), 5);

        // A title takes only what keeps it within eight bytes.
        QTest::mouseClick(title(0), Qt::LeftButton);
        title(0)->setText(QStringLiteral("ab"));
        title(0)->setCursorPosition(1);
        setClip(QStringLiteral("ケアルガ"));
        w->EditPaste->trigger();
        QCOMPARE(title(0)->text(), QStringLiteral("aケアルb"));
    }

    void deleteKeyStaysWithTheLineBoxes() {
        QSignalSpy menuDelete(w->EditDelete, &QAction::triggered);
        w->EditDelete->setEnabled(true);
        for (int k = 0; k < 6; ++k) line(k)->setText(QString::number(k + 1));
        line(4)->setFocus();
        line(4)->end(false);
        QTest::keyClick(line(4), Qt::Key_Delete);
        QCOMPARE(line(4)->text(), QStringLiteral("56"));
        QCOMPARE(line(5)->text(), QString());
        // Elsewhere in a box Delete deletes one character, not the selection twice.
        line(0)->setText(QStringLiteral("abcd"));
        line(0)->setFocus();
        line(0)->setCursorPosition(1);
        QTest::keyClick(line(0), Qt::Key_Delete);
        QCOMPARE(line(0)->text(), QStringLiteral("acd"));
        QCOMPARE(menuDelete.count(), 0);

        // Outside the text boxes the key is the menu's.
        tab->pbSet[2]->setFocus();
        QTest::keyClick(tab->pbSet[2], Qt::Key_Delete);
        QCOMPARE(menuDelete.count(), 1);
    }

    void popupCutOfTheCurrentSetStoresAndEmptiesIt() {
        fillSet(0, u"A");
        tab->ShowTitles(w->ShownBook()[0]);
        tab->ShowMacro(w->ShownBook()[0], 0);
        typeMacro(1, QStringLiteral("typed"), {QStringLiteral("new line")});
        QTest::mouseClick(tab->pbSet[0], Qt::RightButton);
        tab->popSetMenu->close();
        QCOMPARE(int(tab->MenuSet), 0);
        // The window's set commands come first, the macro tab's renaming last.
        QStringList order;
        for (const QAction* a : tab->popSetMenu->actions())
            order << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        QCOMPARE(order, QStringLiteral("popSetCut popSetCopy popSetPaste popSetDelete - "
                                       "popSetCopyTo - popSetRenameBook")
                            .split(u' '));
        popup("popSetCut")->trigger();

        std::u16string text = U(clip());
        QVERIFY(text.starts_with(u"A1\r\nA行1-0\r\n"));
        QVERIFY(text.find(u"\r\ntyped\r\nnew line\r\nA行2-1\r\n") != std::u16string::npos);
        QCOMPARE(int(std::count(text.begin(), text.end(), u'\n')), 140);
        QCOMPARE(Q(setText(0)), Q(SetToText(MacroFile{})));
        for (int i = 0; i < 20; ++i) QCOMPARE(title(i)->text(), QString());
        QCOMPARE(lines(), QStringList(6, QString()));
        QCOMPARE(int(tab->CurrentMacroIndex), 1);
        QVERIFY(w->ContentModified);
    }

    void popupCopyAndPasteBetweenSets() {
        fillSet(3, u"D");
        fillSet(6, u"G");
        tab->MenuSet = 3;
        popup("popSetCopy")->trigger();
        QCOMPARE(U(clip()), setText(3));
        QVERIFY(!w->ContentModified);

        tab->MenuSet = 6;
        line(0)->setText(QStringLiteral("unsaved"));  // set 1's boxes are not touched
        popup("popSetPaste")->trigger();
        QCOMPARE(Q(setText(6)), Q(setText(3)));
        QCOMPARE(line(0)->text(), QStringLiteral("unsaved"));
        QCOMPARE(int(tab->CurrentSetIndex), 0);
        QVERIFY(w->ContentModified);

        // Text without CR LF writes nothing but still marks the set changed.
        w->ContentModified = false;
        setClip(QStringLiteral("no fields"));
        popup("popSetPaste")->trigger();
        QCOMPARE(Q(setText(6)), Q(setText(3)));
        QVERIFY(w->ContentModified);

        popup("popSetDelete")->trigger();
        QCOMPARE(setText(6), SetToText(MacroFile{}));
        QVERIFY(setText(3) != SetToText(MacroFile{}));
        QCOMPARE(popup("popSetDelete")->text(), QStringLiteral("削除(&D)"));
    }

    void popupPasteIntoTheCurrentSetRefillsItsBoxes() {
        QTest::mouseClick(title(5), Qt::LeftButton);
        line(0)->setText(QStringLiteral("typed"));
        setClip(QStringLiteral("t1\r\n\r\n\r\n\r\n\r\n\r\n\r\nt2\r\n"));
        tab->MenuSet = 0;
        popup("popSetPaste")->trigger();
        QCOMPARE(title(0)->text(), QStringLiteral("t1"));
        QCOMPARE(title(1)->text(), QStringLiteral("t2"));
        // Typing is in the book at once, so a paste that does not reach macro 6 keeps it.
        QCOMPARE(line(0)->text(), QStringLiteral("typed"));
        QCOMPARE(int(tab->CurrentMacroIndex), 5);
    }

    void dragOfASetOffersItsBackupFile() {
        fillSet(2, u"C");
        tab->pbSet[2]->click();
        title(0)->setText(QStringLiteral("typed"));  // in the book at once, so in the file
        w->ContentModified = false;

        // Into the process's private folder, never the shared one.
        const auto privateFolder = PrivateTempFolder();
        QVERIFY(privateFolder);
        const std::filesystem::path file = *privateFolder / "Set3.txt";
        std::filesystem::remove(file);
        std::unique_ptr<QMimeData> data(handle(2)->pctSetDragger_OLEStartDrag());
        QVERIFY(data->hasUrls());
        QVERIFY(!std::filesystem::exists(file));  // written only when a target asks
        QList<QUrl> urls = data->urls();
        QCOMPARE(urls.size(), 1);
        QCOMPARE(urls[0].toLocalFile(), Q(TextFromPath(file)));
        std::ifstream in(file, std::ios::binary);
        QCOMPARE(std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}),
                 Cp932Encode(setText(2) + u"\r\n"));
        QVERIFY(setText(2).starts_with(u"typed\r\n"));
        QVERIFY(U(clip()).empty());
        QVERIFY(!w->ContentModified);
        QVERIFY(!f->dir.Exists("tmp/Set3.txt"));

        std::unique_ptr<QMimeData> empty(handle(9)->pctSetDragger_OLEStartDrag());
        QCOMPARE(empty->urls()[0].fileName(), QStringLiteral("Set10.txt"));
        QCOMPARE(std::filesystem::file_size(*privateFolder / "Set10.txt"), std::uintmax_t(282));
    }

    void handlesShowTheirPictureAndHint() {
        QVERIFY(!handle(0)->pixmap().isNull());
        QCOMPARE(handle(0)->pixmap().size(), QSize(16, 16));
        QVERIFY(handle(7)->toolTip().startsWith(QStringLiteral("デスクトップにドラッグ")));
        QVERIFY(handle(7)->acceptDrops());
    }

    void dropOfABackupRestoresIntoTheHandlesSet() {
        fillSet(2, u"C");
        fillSet(4, u"E");
        std::u16string set3 = setText(2);
        std::unique_ptr<QMimeData> data(handle(2)->pctSetDragger_OLEStartDrag());
        data->urls();  // the target asks: Set3.txt is written
        QVERIFY(drop(handle(4), data.get()));
        QCOMPARE(Q(setText(4)), Q(set3));
        QCOMPARE(Q(setText(2)), Q(set3));
        QCOMPARE(int(tab->MenuSet), 4);
        QVERIFY(w->ContentModified);

        // A file with three fields changes only macro 1's title and lines 1 and 2.
        f->dir.Write("three.txt", Cp932Encode(u"新\r\nx\r\ny\r\nnot ended"));
        std::unique_ptr<QMimeData> three(fileList(f->dir.Path("three.txt")));
        QVERIFY(drop(handle(4), three.get()));
        std::u16string expected = u"新\r\nx\r\ny" + set3.substr(set3.find(u"\r\nC行1-2"));
        QCOMPARE(Q(setText(4)), Q(expected));
    }

    void dropOntoTheCurrentSetRefillsItsBoxes() {
        f->dir.Write("b.txt", Cp932Encode(u"T1\r\nL1\r\n\r\n\r\n\r\n\r\n\r\nT2\r\nM1\r\n"));
        QTest::mouseClick(title(1), Qt::LeftButton);
        line(0)->setText(QStringLiteral("typed and lost"));
        title(0)->setText(QStringLiteral("lost"));
        std::unique_ptr<QMimeData> data(fileList(f->dir.Path("b.txt")));
        QVERIFY(drop(handle(0), data.get()));
        QCOMPARE(title(0)->text(), QStringLiteral("T1"));
        QCOMPARE(title(1)->text(), QStringLiteral("T2"));
        QCOMPARE(line(0)->text(), QStringLiteral("M1"));
        QCOMPARE(int(tab->CurrentMacroIndex), 1);
        QVERIFY(w->ContentModified);
    }

    void dropsThatAreNotASmallFileAreRefused() {
        fillSet(5, u"F");
        std::u16string before = setText(5);

        // Data without a file list is refused while dragging over the handle.
        QMimeData plain;
        plain.setText(QStringLiteral("T\r\n"));
        QDragEnterEvent enter(QPoint(8, 8), Qt::CopyAction, &plain, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(handle(5), &enter);
        QVERIFY(!enter.isAccepted());
        QVERIFY(!dragOver(handle(5), &plain));
        QVERIFY(!drop(handle(5), &plain));

        std::filesystem::create_directory(f->dir.Path("folder"));
        f->dir.Write("big.txt", std::vector<uint8_t>(70000, '\n'));
        std::size_t messages = f->fake.messageBox.shown.size();
        f->dir.Write("lf.txt", {'a', '\n', 'b', '\n'});  // reaches no field
        for (const char* name : {"folder", "big.txt", "lf.txt", "missing.txt"}) {
            std::unique_ptr<QMimeData> data(fileList(f->dir.Path(name)));
            QVERIFY(dragOver(handle(5), data.get()));  // a file list: what it holds shows on drop
            QVERIFY(!drop(handle(5), data.get()));
        }
        QCOMPARE(Q(setText(5)), Q(before));
        QVERIFY(!w->ContentModified);
        QTRY_COMPARE(f->fake.messageBox.shown.size(), messages + 4);
        QVERIFY(Q(f->fake.messageBox.shown.back().text).contains(QStringLiteral("missing.txt")));

        // Bytes that are no CP932 text (the game keeps sequences of its own) are restored
        // as they are, not refused and not turned into "?".
        f->dir.Write("odd.txt", {'a', 0x81, '\r', '\n'});
        std::unique_ptr<QMimeData> odd(fileList(f->dir.Path("odd.txt")));
        QVERIFY(drop(handle(5), odd.get()));
        const auto title = FieldBytes(w->ShownBook()[5].Title(0));
        QCOMPARE(std::vector<uint8_t>(title.begin(), title.end()),
                 (std::vector<uint8_t>{'a', 0x81}));
        QVERIFY(w->ContentModified);
    }
};

QTEST_MAIN(EditCommandsTest)
#include "EditCommandsTest.moc"
