// Several characters in one window: each keeps its own edits, unsaved state and undo
// history while another is on show; copies go between them byte for byte; the close asks
// once for all of them.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "DemoData.h"
#include "config/GameSettings.h"
#include "config/GameSettingsTab.h"
#include "document/FindReplace.h"
#include "editor/CopyTargetDialog.h"
#include "editor/FindDialog.h"
#include "editor/MacroTab.h"
#include "editor/SetCopyDrag.h"
#include "support/WindowFixture.h"

using namespace qm;
using namespace qm::test;

namespace {

struct TwoCharacters {
    WindowFixture f;
    std::string clean = std::string("game/USER/") + demo::kCleanCharacter;
    std::string damaged = std::string("game/USER/") + demo::kDamagedCharacter;
    int first = -1, second = -1;

    bool Open() {
        if (!demo::WriteDemoGame(f.dir.Path("game"))) return false;
        f.fake.dialogs.folders.push_back(f.dir.Text(clean));
        f.Start();
        first = f.window->ShownCharacter();
        // The damaged character's digest does not match: one warning at opening.
        f.fake.dialogs.folders.push_back(f.dir.Text(damaged));
        f.fake.messageBox.answers = {MsgAnswer::Ok};
        f.window->FileOpen_Click();
        second = f.window->ShownCharacter();
        f.fake.messageBox.shown.clear();
        return first >= 0 && second >= 0 && first != second;
    }
    wMenu& W() { return *f.window; }
};

std::vector<uint8_t> Macros(const MacroFile& set) {
    return {set.bytes.begin() + kMacroBlockOffset, set.bytes.end()};
}

}  // namespace

class CharactersTest : public QObject {
    Q_OBJECT

  private slots:
    void copySwitchUndoAndClose() {
        TwoCharacters t;
        QVERIFY(t.Open());
        wMenu& w = t.W();
        const auto cleanFiles = t.f.dir.Read(t.clean + "/mcr1.dat");
        const auto damagedFiles = t.f.dir.Read(t.damaged + "/mcr.dat");

        // Book 2 of the clean character onto book 7 of the other.
        QVERIFY(w.ShowCharacter(t.first));
        w.macroTab->ShowBookAndSet(1, 0);
        const MacroBook book2 = w.Books().Book(1);
        const std::u16string title2 = w.Titles().Title(1);
        QVERIFY(!title2.empty());
        const MacroBook before7 = w.CharacterData(t.second)->Books().Book(6);
        QVERIFY(w.CopyShownTo(t.second, 6, -1));
        QCOMPARE(w.ShownCharacter(), t.second);
        QCOMPARE(w.macroTab->CurrentBookIndex, 6);
        for (int s = 0; s < kSetCount; ++s)
            QCOMPARE(Macros(w.Books().Book(6)[std::size_t(s)]), Macros(book2[std::size_t(s)]));
        QCOMPARE(w.Titles().Title(6), title2);
        QVERIFY(w.ContentModified);
        QVERIFY(!w.CharacterData(t.first)->ContentModified);

        // An edit in the clean character, then back: each keeps its own.
        QVERIFY(w.ShowCharacter(t.first));
        QVERIFY(!w.ContentModified);
        QVERIFY(!w.EditUndo->isEnabled());
        w.macroTab->efTitle[2]->setFocus();
        w.macroTab->efTitle[2]->selectAll();
        QTest::keyClicks(w.macroTab->efTitle[2], QStringLiteral("new"));
        QVERIFY(w.ContentModified);
        const int cleanBook = w.macroTab->CurrentBookIndex;

        QVERIFY(w.ShowCharacter(t.second));
        QCOMPARE(w.macroTab->CurrentBookIndex, 6);
        QVERIFY(w.EditUndo->isEnabled());
        w.EditUndo->trigger();
        for (int s = 0; s < kSetCount; ++s)
            QCOMPARE(w.Books().Book(6)[std::size_t(s)].bytes, before7[std::size_t(s)].bytes);
        QVERIFY(!w.ContentModified);
        w.EditRedo->trigger();
        QVERIFY(w.ContentModified);

        // The undo over there left this one alone.
        QVERIFY(w.ShowCharacter(t.first));
        QCOMPARE(w.macroTab->CurrentBookIndex, cleanBook);
        QCOMPARE(w.macroTab->efTitle[2]->text(), QStringLiteral("new"));
        QVERIFY(w.ContentModified);
        QVERIFY(w.EditUndo->isEnabled());

        // The close asks once, naming both; Cancel keeps everything.
        w.SetCharacterLabel(t.second, u"倉庫");
        t.f.fake.messageBox.answers = {MsgAnswer::Cancel};
        QVERIFY(!w.Form_QueryUnload());
        QCOMPARE(t.f.fake.messageBox.shown.size(), std::size_t(1));
        const QString asked = Q(t.f.fake.messageBox.shown[0].text);
        QVERIFY2(asked.contains(QString::fromLatin1(demo::kCleanCharacter)), qPrintable(asked));
        QVERIFY2(asked.contains(QStringLiteral("倉庫")), qPrintable(asked));
        QVERIFY(w.CharacterData(t.second)->ContentModified);

        // No closes without writing either character.
        t.f.fake.messageBox.shown.clear();
        t.f.fake.messageBox.answers = {MsgAnswer::No};
        QVERIFY(w.Form_QueryUnload());
        QCOMPARE(t.f.fake.messageBox.shown.size(), std::size_t(1));
        QCOMPARE(t.f.dir.Read(t.clean + "/mcr1.dat"), cleanFiles);
        QCOMPARE(t.f.dir.Read(t.damaged + "/mcr.dat"), damagedFiles);
        // The label is a preference: it is kept for the next start.
        QVERIFY(w.prefs.Characters.find(u"倉庫") != std::u16string::npos);
    }

    // Ctrl+F over both characters lists every field the core's find (and so the command
    // line's) finds; a replace with one line too long changes nothing anywhere; a good one
    // is one undo step in each character.
    void findAndReplaceAcrossCharacters() {
        TwoCharacters t;
        QVERIFY(t.Open());
        wMenu& w = t.W();
        const auto text = [&](const char* name) {
            return w.Finder()->findChild<QLineEdit*>(QString::fromLatin1(name));
        };
        const auto button = [&](const char* name) {
            return w.Finder()->findChild<QPushButton*>(QString::fromLatin1(name));
        };
        w.EditFind->trigger();
        QVERIFY(w.Finder() && w.Finder()->isVisible());
        w.Finder()->findChild<QCheckBox*>(QStringLiteral("chkFindAll"))->setChecked(true);
        auto* results = w.Finder()->findChild<QTreeWidget*>(QStringLiteral("lvFindResults"));

        std::size_t expected = 0;
        const auto pattern = TextPattern::Make(u"<t>", false);
        QVERIFY(pattern.has_value());
        for (const std::string& folder : {t.clean, t.damaged}) {
            auto opened = CharacterDocument::Open(t.f.dir.Text(folder));
            QVERIFY(opened.document);
            expected += FindInDocument(*opened.document, *pattern).size();
        }
        QVERIFY(expected > 10);
        text("efFindPattern")->setText(QStringLiteral("<t>"));
        button("cmdFind")->click();
        QCOMPARE(std::size_t(results->topLevelItemCount()), expected);

        const auto files = [&] {
            return std::vector{t.f.dir.Read(t.clean + "/mcr.dat"),
                               t.f.dir.Read(t.clean + "/mcr10.dat"),
                               t.f.dir.Read(t.damaged + "/mcr.dat")};
        };
        const auto before = files();
        const MacroBooks cleanBooks = w.CharacterData(t.first)->Books();
        const MacroBooks damagedBooks = w.CharacterData(t.second)->Books();

        // "<t>" into 60 bytes overflows every line that has other text too.
        w.EditReplace->trigger();
        text("efReplaceWith")->setText(QString(57, QLatin1Char('x')));
        button("cmdPlanReplace")->click();
        QVERIFY(!button("cmdReplace")->isEnabled());
        QCOMPARE(w.CharacterData(t.first)->Books().Book(0)[0].bytes, cleanBooks.Book(0)[0].bytes);
        QVERIFY(!w.CharacterData(t.first)->ContentModified);
        QVERIFY(!w.CharacterData(t.second)->ContentModified);

        text("efReplaceWith")->setText(QStringLiteral("<st>"));
        button("cmdPlanReplace")->click();
        QVERIFY(button("cmdReplace")->isEnabled());
        const int shown = w.ShownCharacter();
        button("cmdReplace")->click();
        QCOMPARE(w.ShownCharacter(), shown);
        QVERIFY(w.CharacterData(t.first)->ContentModified);
        QVERIFY(w.CharacterData(t.second)->ContentModified);
        QCOMPARE(Q(ReadFieldText(w.CharacterData(t.first)->Books().Book(0)[0].Line(0, 0))),
                 QStringLiteral("/ma ケアル <st>"));
        QCOMPARE(files(), before);  // nothing saved yet

        // One step each: undoing the one on show leaves the other's replace in place.
        w.EditUndo->trigger();
        QCOMPARE(w.Books().Book(0)[0].bytes,
                 (shown == t.first ? cleanBooks : damagedBooks).Book(0)[0].bytes);
        QVERIFY(!w.ContentModified);
        const int other = shown == t.first ? t.second : t.first;
        QVERIFY(w.CharacterData(other)->ContentModified);
    }

    // Save All writes each character with changes, each through its own plan; a set copied
    // within one character's books is one undo step there.
    // A set button dropped on another copies its set there; dropped on the book chooser or
    // the character list, a menu names where. Drops of other kinds are refused.
    void setsDraggedOntoSetsBooksAndCharacters() {
        TwoCharacters t;
        QVERIFY(t.Open());
        wMenu& w = t.W();
        QVERIFY(w.ShowCharacter(t.first));
        w.macroTab->ShowBookAndSet(0, 0);
        const int first = t.first;
        // As a drag does: an enter names the target that the drop then goes to.
        // Shift asks for a move, as it does in a drag.
        auto drop = [&](QWidget* target, const QMimeData* data,
                        Qt::KeyboardModifiers keys = Qt::NoModifier) {
            const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
            QDragEnterEvent enter(QPoint(4, 4), actions, data, Qt::LeftButton, keys);
            QApplication::sendEvent(target, &enter);
            QDropEvent event(QPointF(4, 4), actions, data, Qt::LeftButton, keys);
            QApplication::sendEvent(target, &event);
            const bool taken = enter.isAccepted() && event.isAccepted();
            QCoreApplication::processEvents();  // the copy runs after the drop
            return taken;
        };
        auto menuItems = [&](const char* name) {
            auto* menu = w.findChild<QMenu*>(QString::fromLatin1(name));
            QList<QAction*> items;
            if (menu)
                for (QAction* a : menu->actions())
                    if (!a->isSeparator()) items.push_back(a);
            return items;
        };

        // Set 2 onto set 5 of the same book: one undo step.
        const std::vector<uint8_t> set2 = Macros(w.Books().Book(0)[1]);
        const MacroFile set5 = w.Books().Book(0)[4];
        QVERIFY(set2 != Macros(set5));
        const SetCopyMimeData fromSet2(DraggedSet{first, 0, 1});
        QVERIFY(drop(w.macroTab->pbSet[4], &fromSet2));
        QCOMPARE(Macros(w.Books().Book(0)[4]), set2);
        QCOMPARE(w.macroTab->CurrentSetIndex, 4);
        QVERIFY(w.ContentModified);
        w.EditUndo->trigger();
        QCOMPARE(w.Books().Book(0)[4].bytes, set5.bytes);
        QVERIFY(!w.ContentModified);

        // While a set is over a button that takes it, the button shows it; not after.
        {
            const QColor face = w.macroTab->pbSet[6]->palette().color(QPalette::Button);
            QDragEnterEvent over(QPoint(4, 4), Qt::CopyAction, &fromSet2, Qt::LeftButton,
                                 Qt::NoModifier);
            QApplication::sendEvent(w.macroTab->pbSet[6], &over);
            QVERIFY(w.macroTab->pbSet[6]->palette().color(QPalette::Button) != face);
            QDragLeaveEvent left;
            QApplication::sendEvent(w.macroTab->pbSet[6], &left);
            QCOMPARE(w.macroTab->pbSet[6]->palette().color(QPalette::Button), face);
        }

        // Onto itself, from another character, or not a set at all: nothing happens.
        QVERIFY(!drop(w.macroTab->pbSet[1], &fromSet2));
        const SetCopyMimeData fromOther(DraggedSet{t.second, 0, 1});
        QVERIFY(!drop(w.macroTab->pbSet[4], &fromOther));
        QMimeData text;
        text.setText(QStringLiteral("/ma ケアル <t>"));
        QVERIFY(!drop(w.macroTab->pbSet[4], &text));
        QCOMPARE(w.Books().Book(0)[4].bytes, set5.bytes);
        QVERIFY(!w.ContentModified);

        // With Shift, set 2 moves onto set 5: both change in one step, and come back in one.
        QVERIFY(drop(w.macroTab->pbSet[4], &fromSet2, Qt::ShiftModifier));
        QCOMPARE(Macros(w.Books().Book(0)[4]), set2);
        QVERIFY(!SetHasContent(w.Books().Book(0)[1]));
        w.EditUndo->trigger();
        QCOMPARE(Macros(w.Books().Book(0)[1]), set2);
        QCOMPARE(w.Books().Book(0)[4].bytes, set5.bytes);
        QVERIFY(!w.ContentModified);

        // Onto the book chooser: the menu lists the 39 other books, set 2 of each.
        QVERIFY(drop(w.macroTab->cboBook, &fromSet2));
        const QList<QAction*> books = menuItems("popDropBook");
        QCOMPARE(books.size(), kBookCount - 1);
        books[2]->trigger();  // book 4
        QCOMPARE(w.macroTab->CurrentBookIndex, 3);
        QCOMPARE(w.macroTab->CurrentSetIndex, 1);
        QCOMPARE(Macros(w.Books().Book(3)[1]), set2);
        delete w.findChild<QMenu*>(QStringLiteral("popDropBook"));

        // Onto the character list: book 1 set 2 of the other character, one step there.
        w.macroTab->ShowBookAndSet(0, 1);
        const MacroFile theirs = w.CharacterData(t.second)->Books().Book(0)[1];
        w.SetCharacterLabel(t.second, u"倉%3庫");
        QVERIFY(drop(w.cbCharacter, &fromSet2));
        const QList<QAction*> characters = menuItems("popDropCharacter");
        QCOMPARE(characters.size(), 1);
        // The label is text, not a place for the numbers that follow it.
        QVERIFY2(characters[0]->text().contains(QStringLiteral("「倉%3庫」のブック1 セット2")),
                 qPrintable(characters[0]->text()));
        characters[0]->trigger();
        QCOMPARE(w.ShownCharacter(), t.second);
        QCOMPARE(Macros(w.Books().Book(0)[1]), set2);
        QCOMPARE(w.Books().Book(0)[1].bytes.front(), theirs.bytes.front());
        w.EditUndo->trigger();
        QCOMPARE(w.Books().Book(0)[1].bytes, theirs.bytes);
        QVERIFY(!w.ContentModified);
        QVERIFY(w.CharacterData(first)->ContentModified);  // the book 4 copy is still there
    }

    void saveAllWritesEveryCharacter() {
        TwoCharacters t;
        QVERIFY(t.Open());
        wMenu& w = t.W();
        QVERIFY(w.ShowCharacter(t.first));
        w.macroTab->ShowBookAndSet(0, 2);
        const MacroFile set3 = w.Books().Book(0)[2];
        QVERIFY(w.CopyShownTo(t.second, 3, 4));
        QVERIFY(w.ShowCharacter(t.first));
        w.macroTab->efTitle[0]->setFocus();
        w.macroTab->efTitle[0]->selectAll();
        QTest::keyClicks(w.macroTab->efTitle[0], QStringLiteral("x"));
        // The list marks both unsaved, the one on show from its first keystroke.
        for (int c : {t.first, t.second})
            QVERIFY2(w.cbCharacter->itemText(c).endsWith(QStringLiteral(" *")),
                     qPrintable(w.cbCharacter->itemText(c)));

        // One question names both (No writes nothing); then the damaged character's save
        // asks about its digest.
        t.f.fake.messageBox.answers = {MsgAnswer::No};
        QCOMPARE(w.FileSaveAll_Click(), SaveResult::Declined);
        QVERIFY(w.CharacterData(t.second)->ContentModified);
        const QString named = Q(t.f.fake.messageBox.shown.back().text);
        QVERIFY2(named.contains(QString::fromLatin1(demo::kCleanCharacter)) &&
                     named.contains(QString::fromLatin1(demo::kDamagedCharacter)),
                 qPrintable(named));
        t.f.fake.messageBox.answers = {MsgAnswer::Yes, MsgAnswer::Yes};
        QCOMPARE(w.FileSaveAll_Click(), SaveResult::Saved);
        QCOMPARE(w.ShownCharacter(), t.first);
        QVERIFY(!w.ContentModified);
        QVERIFY(!w.CharacterData(t.second)->ContentModified);
        for (int c : {t.first, t.second})
            QVERIFY2(!w.cbCharacter->itemText(c).contains(u'*'),
                     qPrintable(w.cbCharacter->itemText(c)));
        const auto written = t.f.dir.Read(t.damaged + "/mcr34.dat");
        QCOMPARE(written.size(), std::size_t(kMacroFileSize));
        QVERIFY(std::equal(written.begin() + kMacroBlockOffset, written.end(),
                           set3.bytes.begin() + kMacroBlockOffset));
        MacroFile record;
        std::copy(written.begin(), written.end(), record.bytes.begin());
        QVERIFY(!MacroDigestMismatch(record));
        const auto mine = t.f.dir.Read(t.clean + "/mcr2.dat");
        QCOMPARE(char(mine[kMacroBlockOffset + 370]), 'x');
    }
    // The game settings are the installation's: a change marks no character, undo takes
    // it back whichever character is on show, in the order of every edit made, and the
    // save of any character writes it.
    void gameSettingsBelongToNoCharacter() {
        TwoCharacters t;
        QVERIFY(t.Open());
        wMenu& w = t.W();
        const auto cleanFile = t.f.dir.Read(t.clean + "/mcr.dat");
        QVERIFY(w.ShowCharacter(t.first));
        w.tsMenu->setCurrentIndex(2);
        QCheckBox* sound = w.gameSettingsTab->cbSound;
        const Qt::CheckState was = sound->checkState();
        sound->click();
        QVERIFY(w.ContentModified);
        auto marked = [&](int c) {
            return w.cbCharacter->itemText(c).endsWith(QStringLiteral(" *"));
        };
        QVERIFY(!marked(t.first) && !marked(t.second));

        QVERIFY(w.ShowCharacter(t.second));
        QVERIFY(w.ContentModified);
        QVERIFY(!marked(t.second));
        w.tsMenu->setCurrentIndex(0);
        w.macroTab->efTitle[0]->setFocus();
        QTest::keyClicks(w.macroTab->efTitle[0], QStringLiteral("q"));
        QVERIFY(marked(t.second));
        const QString typed = w.macroTab->efTitle[0]->text();
        // The title went in last: it comes out first, then the setting.
        w.EditUndo->trigger();
        QVERIFY(!marked(t.second));
        QVERIFY(sound->checkState() != was);
        w.EditUndo->trigger();
        QCOMPARE(sound->checkState(), was);
        QCOMPARE(w.tsMenu->currentIndex(), 2);
        QVERIFY(!w.ContentModified);
        QVERIFY(!w.EditUndo->isEnabled());
        w.EditRedo->trigger();
        QVERIFY(sound->checkState() != was);
        w.EditRedo->trigger();
        QCOMPARE(w.macroTab->efTitle[0]->text(), typed);

        // The damaged character's save asks about its digest; the settings go with it.
        t.f.fake.messageBox.answers = {MsgAnswer::Yes};
        QCOMPARE(w.FileSave_Click(), SaveResult::Saved);
        QVERIFY(!w.ContentModified);
        const auto stored = t.f.fake.registry.Peek(kGameSettingsKey, u"0007");
        QVERIFY(stored && !stored->data.empty());
        QCOMPARE(stored->data[0] != 0, sound->checkState() == Qt::Checked);
        QVERIFY(w.ShowCharacter(t.first));
        QVERIFY(!w.ContentModified);
        QCOMPARE(t.f.dir.Read(t.clean + "/mcr.dat"), cleanFile);
    }
    // 「コピー先...」 in a set button's menu copies that set, as the menu's other commands
    // act on it, whichever set is on show.
    void copyToCopiesTheSetWhoseMenuItIs() {
        TwoCharacters t;
        QVERIFY(t.Open());
        wMenu& w = t.W();
        QVERIFY(w.ShowCharacter(t.first));
        w.macroTab->ShowBookAndSet(0, 0);
        const std::vector<uint8_t> set3 = Macros(w.Books().Book(0)[2]);
        QVERIFY(set3 != Macros(w.Books().Book(0)[0]));
        QTest::mouseClick(w.macroTab->pbSet[2], Qt::RightButton);
        w.macroTab->popSetMenu->close();
        w.macroTab->popSetMenu->findChild<QAction*>(QStringLiteral("popSetCopyTo"))->trigger();
        auto* dialog = w.findChild<CopyTargetDialog*>();
        QVERIFY(dialog);
        auto* set = dialog->findChild<QComboBox*>(QStringLiteral("cbCopySet"));
        QCOMPARE(set->currentIndex(), 2);
        set->setCurrentIndex(7);
        dialog->accept();
        QCOMPARE(w.ShownCharacter(), t.first);
        QCOMPARE(Macros(w.Books().Book(0)[7]), set3);
    }
};

QTEST_MAIN(CharactersTest)
#include "CharactersTest.moc"
