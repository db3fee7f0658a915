// The 40 macro books in the window: the book chooser, set commands on the shown book,
// saves that write only the files that change, and the question before a save while the
// game runs (with a stand-in for the game's window on the test's X display).
#include <sys/stat.h>

#include <QAbstractItemView>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>
#include <QTest>
#include <QUrl>
#include <map>

#include "DemoData.h"
#include "StandInGameWindow.h"
#include "app/Texts.h"
#include "editor/BookTitleDialog.h"
#include "editor/MacroTab.h"
#include "editor/SetBackup.h"
#include "editor/SetDragHandle.h"
#include "editor/TextForms.h"
#include "macro/Md5.h"
#include "platform/linux/WineProcesses.h"
#include "platform/linux/X11Windows.h"
#include "support/WindowFixture.h"

using namespace qm;
using namespace qm::test;

namespace {

namespace fs = std::filesystem;

struct FileOnDisk {
    ino_t inode = 0;  // a replaced file has a new one, even with the same bytes
    std::vector<uint8_t> bytes;
    bool operator==(const FileOnDisk&) const = default;
};

// The files of a folder, or only its macro files.
std::map<std::string, FileOnDisk> Snapshot(const fs::path& folder, bool macroFilesOnly = false) {
    std::map<std::string, FileOnDisk> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (macroFilesOnly && !entry.path().filename().string().starts_with("mcr")) continue;
        struct stat st {};
        ::stat(entry.path().c_str(), &st);
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().filename().string()] = {
            st.st_ino, {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()}};
    }
    return files;
}

// The names whose file is new, gone or replaced.
std::vector<std::string> Changed(const std::map<std::string, FileOnDisk>& before,
                                 const std::map<std::string, FileOnDisk>& after) {
    std::vector<std::string> names;
    for (const auto& [name, file] : after) {
        auto it = before.find(name);
        if (it == before.end() || !(it->second == file)) names.push_back(name);
    }
    for (const auto& [name, file] : before)
        if (!after.count(name)) names.push_back(name);
    std::sort(names.begin(), names.end());
    return names;
}

MacroFile SetWith(std::u16string_view title, std::u16string_view line) {
    MacroFile set;
    for (int m = 0; m < kMacrosPerSet; m += 7) {
        StoreFieldText(set.Title(m), title);
        StoreFieldText(set.Line(m, 1), line);
    }
    return set;
}

}  // namespace

class MacroBooksWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowFixture> f;
    wMenu* w = nullptr;
    MacroTab* tab = nullptr;
    fs::path folder;

    // Opens the demo's character with books 1, 2 and 40, after `prepare` added files.
    template <typename Prepare>
    void open(Prepare prepare) {
        f = std::make_unique<WindowFixture>();
        QVERIFY(demo::WriteDemoGame(f->dir.Path("game")));
        folder = f->dir.Path(std::string("game/USER/") + demo::kCleanCharacter);
        prepare();
        f->fake.dialogs.folders.push_back(TextFromPath(folder));
        w = &f->Start();
        tab = w->macroTab;
        QVERIFY(w->EditorEnabled);
    }
    void open() {
        open([] {});
    }
    void write(int number, const MacroFile& set) {
        MacroFile copy = set;
        QVERIFY(WriteMacroFile(TextFromPath(folder / Utf16ToUtf8(MacroFileName(number))), copy));
    }
    void bookKey(Qt::Key key, int times = 1) {
        for (int i = 0; i < times; ++i) QTest::keyClick(tab->efLine[0], key, Qt::ControlModifier);
    }
    void popup(int set, const char* command) {
        QTest::mouseClick(tab->pbSet[std::size_t(set)], Qt::RightButton);
        tab->popSetMenu->close();
        tab->popSetMenu->findChild<QAction*>(QString::fromLatin1(command))->trigger();
    }

  private slots:
    void switchingBooksKeepsTypedText() {
        open();
        QCOMPARE(tab->cboBook->count(), 40);
        QCOMPARE(tab->cboBook->itemText(0), QStringLiteral("1 白魔道士"));
        QCOMPARE(tab->cboBook->itemText(39), QStringLiteral("40 予備"));
        QVERIFY(tab->cboBook->isEnabled());

        QTest::mouseClick(tab->pbSet[1], Qt::LeftButton);
        bookKey(Qt::Key_PageDown);  // showing another book is no edit
        QCOMPARE(tab->CurrentBookIndex, int16_t(1));
        QCOMPARE(tab->CurrentSetIndex, int16_t(1));
        QCOMPARE(tab->efTitle[0]->text(), QStringLiteral("ボイス"));
        QVERIFY(!w->ContentModified);

        // Typed into book 2, set 2: a title, and a line of macro 3.
        tab->efTitle[4]->setText(QStringLiteral("B2"));
        QTest::mouseClick(tab->efTitle[2], Qt::LeftButton);
        tab->efLine[3]->setText(QStringLiteral("/p typed in book 2"));
        bookKey(Qt::Key_PageUp);
        QCOMPARE(tab->cboBook->currentText(), QStringLiteral("1 白魔道士"));
        QCOMPARE(tab->efTitle[0]->text(), QStringLiteral("ストスキ"));  // book 1, set 2
        QCOMPARE(tab->efLine[3]->text(), QString());
        bookKey(Qt::Key_PageUp);  // no book before the first
        QCOMPARE(tab->CurrentBookIndex, int16_t(0));

        tab->cboBook->setCurrentIndex(1);
        QCOMPARE(tab->efTitle[4]->text(), QStringLiteral("B2"));
        QTest::mouseClick(tab->efTitle[2], Qt::LeftButton);
        QCOMPARE(tab->efLine[3]->text(), QStringLiteral("/p typed in book 2"));
        QCOMPARE(ReadFieldText(w->Books().File(11).Line(2, 3)), u"/p typed in book 2");
        QVERIFY(w->ContentModified);

        bookKey(Qt::Key_PageDown, 45);  // stops at the last book
        QCOMPARE(tab->cboBook->currentText(), QStringLiteral("40 予備"));
        QTest::mouseClick(tab->pbSet[9], Qt::LeftButton);
        QCOMPARE(tab->efTitle[0]->text(), QStringLiteral("最後"));
        QCOMPARE(tab->efLine[0]->text(), QStringLiteral("/s mcr399.dat"));

        // Opening a folder again shows book 1, set 1.
        f->fake.messageBox.answers = {MsgAnswer::No};
        f->fake.dialogs.folders.push_back(TextFromPath(folder));
        w->FileOpen_Click();
        QCOMPARE(tab->cboBook->currentIndex(), 0);
        QCOMPARE(tab->CurrentBookIndex, int16_t(0));
        QCOMPARE(tab->efTitle[0]->text(), QStringLiteral("ケアル"));
    }

    void setOfBookThreePastedIntoBookTwelveLandsInItsFileOnly() {
        const MacroFile source = SetWith(u"本3", u"/p book 3, set 3");
        open([&] { write(22, source); });
        const auto before = Snapshot(folder);

        tab->cboBook->setCurrentIndex(2);
        popup(2, "popSetCopy");
        bookKey(Qt::Key_PageDown, 9);
        QCOMPARE(tab->cboBook->currentText(), QStringLiteral("12"));
        popup(2, "popSetPaste");
        QCOMPARE(SetToText(w->ShownBook()[2]), SetToText(source));
        QVERIFY(w->ContentModified);
        QCOMPARE(int(w->FileSave_Click()), int(SaveResult::Saved));

        const auto after = Snapshot(folder);
        QCOMPARE(Changed(before, after), std::vector<std::string>{"mcr112.dat"});
        const std::vector<uint8_t>& written = after.at("mcr112.dat").bytes;
        QCOMPARE(written.size(), kMacroFileSize);
        QCOMPARE(written, before.at("mcr22.dat").bytes);  // same fields, same digest
    }

    void backupHandlesWorkOnTheShownBook() {
        open();
        tab->cboBook->setCurrentIndex(39);
        auto handle = [&](int n) {
            return static_cast<SetDragHandle*>(tab->pctSetDragger[std::size_t(n)]);
        };
        const auto backup = handle(9)->pctSetDragger_OLESetData();  // book 40, set 10
        QVERIFY(backup);
        const auto bytes = BackupFileBytes(w->Books().File(399));
        std::ifstream in(*backup, std::ios::binary);
        QCOMPARE(std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}), bytes);

        tab->cboBook->setCurrentIndex(1);
        QMimeData data;
        data.setUrls(QList<QUrl>{QUrl::fromLocalFile(Q(TextFromPath(*backup)))});
        QDropEvent drop(QPointF(8, 8), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QVERIFY(handle(0)->pctSetDragger_OLEDragDrop(&drop));
        QCOMPARE(SetToText(w->Books().File(10)), SetToText(w->Books().File(399)));
        QCOMPARE(tab->efTitle[0]->text(), QStringLiteral("最後"));  // the shown set, refilled
        QCOMPARE(ReadFieldText(w->Books().File(0).Title(0)), u"ケアル");
        QVERIFY(w->ContentModified);
    }

    void saveWritesOnlyTheChangedFilesOfTheEditedBook() {
        open([&] {
            for (int s = 0; s < kSetCount; ++s) write(60 + s, SetWith(u"本7", u"/s book 7"));
        });
        const auto before = Snapshot(folder);
        tab->cboBook->setCurrentIndex(6);
        QTest::mouseClick(tab->pbSet[1], Qt::LeftButton);
        tab->efLine[0]->setText(QStringLiteral("/p edited"));
        QTest::mouseClick(tab->pbSet[4], Qt::LeftButton);
        tab->efTitle[19]->setText(QStringLiteral("新"));
        // Typed into a set of book 9, which has no file, and taken back: no file for it.
        tab->cboBook->setCurrentIndex(8);
        tab->efTitle[0]->setText(QStringLiteral("x"));
        tab->efTitle[0]->setText(QString());
        QCOMPARE(int(w->FileSave_Click()), int(SaveResult::Saved));

        auto after = Snapshot(folder);
        QCOMPARE(Changed(before, after), (std::vector<std::string>{"mcr61.dat", "mcr64.dat"}));
        for (const char* name : {"mcr61.dat", "mcr64.dat"}) {
            const auto& bytes = after.at(name).bytes;
            Md5Bytes d = Md5Digest(std::span<const uint8_t>(bytes.data() + 24, 7600));
            QVERIFY(std::equal(d.begin(), d.end(), bytes.begin() + 8));
        }

        // Nothing changed since: nothing is written.
        QCOMPARE(int(w->FileSave_Click()), int(SaveResult::Saved));
        QCOMPARE(Changed(after, Snapshot(folder)), std::vector<std::string>{});

        // Save As into an empty folder makes every file the open folder has, and no more.
        fs::create_directories(f->dir.Path("copy"));
        f->fake.dialogs.folders.push_back(f->dir.Text("copy"));
        w->FileSaveAs_Click();
        after = Snapshot(folder, true);
        auto copy = Snapshot(f->dir.Path("copy"), true);
        QCOMPARE(copy.size(), after.size());
        for (const auto& [name, file] : after) QCOMPARE(copy.at(name).bytes, file.bytes);
    }

    // The dialog a rename opened, given a name and taken.
    void nameBook(const QString& name) {
        auto* dialog = w->findChild<BookTitleDialog*>();
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        dialog->Box()->setText(name);
        dialog->accept();
        QTRY_VERIFY(!w->findChild<BookTitleDialog*>());
    }

    void renamingABookWritesOnlyItsTitleFile() {
        open();
        QCOMPARE(tab->cboBook->itemText(2), QStringLiteral("3 BLM"));
        QCOMPARE(tab->cboBook->itemText(22), QStringLiteral("23"));
        // Books with macro files stand out.
        QVERIFY(tab->cboBook->itemData(1, Qt::FontRole).value<QFont>().bold());
        QVERIFY(!tab->cboBook->itemData(2, Qt::FontRole).value<QFont>().bold());
        const auto before = Snapshot(folder);
        const auto stamp = fs::last_write_time(folder / "mcr.ttl");

        // Book 23 from the context menu of its line in the open list.
        tab->cboBook->showPopup();
        QAbstractItemView* list = tab->cboBook->view();
        QTRY_VERIFY(list->isVisible());
        list->scrollTo(list->model()->index(22, 0));
        QTest::mouseClick(list->viewport(), Qt::RightButton, {},
                          list->visualRect(list->model()->index(22, 0)).center());
        QMenu* menu = tab->cboBook->ContextMenu();
        QTRY_VERIFY(menu->isVisible());
        menu->close();
        menu->findChild<QAction*>(QStringLiteral("popBookRename"))->trigger();
        nameBook(QStringLiteral("黒魔道士"));
        QCOMPARE(tab->cboBook->itemText(22), QStringLiteral("23 黒魔道士"));
        QCOMPARE(tab->CurrentBookIndex, int16_t(0));
        QVERIFY(w->ContentModified);

        // One step back and forth.
        w->EditUndo->trigger();
        QCOMPARE(tab->cboBook->itemText(22), QStringLiteral("23"));
        QVERIFY(!w->ContentModified);
        w->EditRedo->trigger();
        QCOMPARE(tab->cboBook->itemText(22), QStringLiteral("23 黒魔道士"));
        QVERIFY(w->ContentModified);

        QCOMPARE(int(w->FileSave_Click()), int(SaveResult::Saved));
        QCOMPARE(Changed(before, Snapshot(folder)), std::vector<std::string>{"mcr_2.ttl"});
        QCOMPARE(fs::last_write_time(folder / "mcr.ttl"), stamp);
        f->fake.dialogs.folders.push_back(TextFromPath(folder));
        w->FileOpen_Click();
        QCOMPARE(tab->cboBook->itemText(22), QStringLiteral("23 黒魔道士"));
        QCOMPARE(ReadBookTitles(folder).Title(22), u"黒魔道士");

        // A double-click on the chooser renames the book on show; so does the set menu.
        tab->cboBook->setCurrentIndex(1);
        tab->cboBook->showPopup();
        QTRY_VERIFY(list->isVisible());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(1, 0)).center());
        QVERIFY(!list->isVisible());
        nameBook(QStringLiteral("PLD"));
        QCOMPARE(tab->cboBook->itemText(1), QStringLiteral("2 PLD"));
        popup(3, "popSetRenameBook");
        nameBook(QString());
        QCOMPARE(tab->cboBook->itemText(1), QStringLiteral("2"));
        // Characters that would become "?" are asked about; No keeps the old name.
        f->fake.messageBox.answers = {MsgAnswer::No};
        tab->RenameBook(2);
        nameBook(QStringLiteral("한BLM"));
        QVERIFY(Q(f->fake.messageBox.shown.back().text).contains(QStringLiteral("한")));
        QCOMPARE(tab->cboBook->itemText(2), QStringLiteral("3 BLM"));

        // A title file of another size: said once in the status line; its books show no
        // names and cannot be renamed.
        f->fake.messageBox.answers = {MsgAnswer::No};
        std::ofstream(folder / "mcr_2.ttl", std::ios::binary) << "short";
        f->fake.dialogs.folders.push_back(TextFromPath(folder));
        w->FileOpen_Click();
        QVERIFY(w->statusBar()->currentMessage().contains(QStringLiteral("mcr_2.ttl")));
        QCOMPARE(tab->cboBook->itemText(20), QStringLiteral("21"));
        QCOMPARE(tab->cboBook->itemText(0), QStringLiteral("1 白魔道士"));
        const std::size_t shown = f->fake.messageBox.shown.size();
        tab->RenameBook(25);
        QCOMPARE(f->fake.messageBox.shown.size(), shown + 1);
        QVERIFY(!w->findChild<BookTitleDialog*>());
    }

    void saveAsksWhileTheGameWindowExists() {
        open();
        WineProcesses processes(nullptr);
        f->fake.platform.processes = &processes;
        auto* note = w->findChild<QLabel*>(QStringLiteral("statusGame"));
        QVERIFY(note);
        if (!X11Windows().Connected()) QSKIP("needs an X display (run under Xvfb)");
        QVERIFY(!note->isVisible());

        tab->efLine[0]->setText(QStringLiteral("/p before the game"));
        QCOMPARE(int(w->FileSave_Click()), int(SaveResult::Saved));
        QVERIFY(f->fake.messageBox.shown.empty());

        auto game = std::make_unique<demo::StandInGameWindow>();
        QTRY_VERIFY_WITH_TIMEOUT(note->isVisible(), 20000);  // the status bar's own watch
        QCOMPARE(note->text(), QStringLiteral("ゲーム起動中"));

        const auto before = Snapshot(folder);
        tab->efLine[0]->setText(QStringLiteral("/p while the game runs"));
        f->fake.messageBox.answers = {MsgAnswer::No};
        QCOMPARE(int(w->FileSave_Click()), int(SaveResult::Declined));
        QCOMPARE(f->fake.messageBox.shown.size(), std::size_t(1));
        QCOMPARE(Q(f->fake.messageBox.shown[0].text), AskSaveWhileGameRuns());
        QCOMPARE(int(f->fake.messageBox.shown[0].buttons), int(MsgButtons::YesNo));
        QVERIFY(w->ContentModified);
        QCOMPARE(Changed(before, Snapshot(folder)), std::vector<std::string>{});
        // Yes to the close question, No to this one: the window stays, with the edit.
        f->fake.messageBox.answers = {MsgAnswer::Yes, MsgAnswer::No};
        QVERIFY(!w->close());
        QVERIFY(w->isVisible());
        QCOMPARE(Changed(before, Snapshot(folder)), std::vector<std::string>{});

        f->fake.messageBox.answers = {MsgAnswer::Yes};
        QCOMPARE(int(w->FileSave_Click()), int(SaveResult::Saved));
        QCOMPARE(Changed(before, Snapshot(folder)), std::vector<std::string>{"mcr.dat"});

        game.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!note->isVisible(), 20000);
        tab->efLine[0]->setText(QStringLiteral("/p after the game"));
        QCOMPARE(int(w->FileSave_Click()), int(SaveResult::Saved));
        QCOMPARE(f->fake.messageBox.shown.size(), std::size_t(4));
    }
};

QTEST_MAIN(MacroBooksWindowTest)
#include "MacroBooksWindowTest.moc"
