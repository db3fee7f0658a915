// The macro tab as a player uses it: typing, the keys of the line boxes, choosing
// macros and sets, and what reaches the macro book.
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "editor/EditHistory.h"
#include "editor/MacroTab.h"
#include "editor/SetButton.h"
#include "support/WindowFixture.h"

using namespace qm;
using namespace qm::test;

class MacroTabTest : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowFixture> f;
    MacroTab* tab = nullptr;

    QLineEdit* line(int k) { return tab->efLine[std::size_t(k)]; }
    QLineEdit* title(int i) { return tab->efTitle[std::size_t(i)]; }
    void fillLines(std::initializer_list<const char16_t*> texts) {
        int k = 0;
        for (const char16_t* t : texts) line(k++)->setText(Q(t));
    }
    // Typing one character at a time, as an input method delivers Japanese text.
    static void typeText(QLineEdit* box, const QString& text) {
        for (QChar c : text) box->insert(QString(c));
    }
    QStringList lines() {
        QStringList l;
        for (int k = 0; k < 6; ++k) l << line(k)->text();
        return l;
    }

  private slots:
    void init() {
        f = std::make_unique<WindowFixture>();
        // An empty folder: every set empty, the editor enabled.
        f->fake.dialogs.folders.push_back(f->dir.Text("").substr(0, f->dir.Text("").size() - 1));
        f->fake.messageBox.answers = {MsgAnswer::Yes};  // open it although it has no macro file
        f->Start();
        tab = f->window->macroTab;
        QVERIFY(tab->efLine[0]->isEnabled());
        f->window->ContentModified = false;
    }

    void enterSplitsTheLineAtTheCaret() {
        fillLines({u"one", u"two-tail", u"three", u"four"});
        line(1)->setFocus();
        line(1)->setCursorPosition(3);
        QTest::keyClick(line(1), Qt::Key_Return);
        QCOMPARE(lines(),
                 (QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("-tail"),
                              QStringLiteral("three"), QStringLiteral("four"), QString()}));
        QCOMPARE(QApplication::focusWidget(), line(2));
        QCOMPARE(line(2)->cursorPosition(), 0);
        QVERIFY(f->window->ContentModified);
    }

    void enterDoesNothingWhenTheLastLineIsFilled() {
        fillLines({u"1", u"2", u"3", u"4", u"5", u"6"});
        line(2)->setFocus();
        line(2)->setCursorPosition(0);
        QTest::keyClick(line(2), Qt::Key_Return);
        QCOMPARE(lines(),
                 (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                              QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6")}));
    }

    void backspaceAtStartJoinsWithTheLineAbove() {
        fillLines({u"a", u"b", u"cc", u"dd", u"e", u"f"});
        line(3)->setFocus();
        line(3)->setCursorPosition(0);
        QTest::keyClick(line(3), Qt::Key_Backspace);
        QCOMPARE(lines(),
                 (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("ccdd"),
                              QStringLiteral("e"), QStringLiteral("f"), QString()}));
        QCOMPARE(QApplication::focusWidget(), line(2));
        QCOMPARE(line(2)->cursorPosition(), 2);
    }

    void backspaceWithSelectionAtStartJoinsAndDeletesNothing() {
        fillLines({u"a", u"bb", u"ccc"});
        line(2)->setFocus();
        line(2)->setSelection(0, 2);
        QTest::keyClick(line(2), Qt::Key_Backspace);
        QCOMPARE(line(1)->text(), QStringLiteral("bbccc"));
        QCOMPARE(line(2)->text(), QString());
    }

    void deleteAtEndJoinsTheLineBelow() {
        fillLines({u"1", u"2", u"3", u"4", u"five", u"six"});
        line(4)->setFocus();
        line(4)->end(false);
        QTest::keyClick(line(4), Qt::Key_Delete);
        QCOMPARE(line(4)->text(), QStringLiteral("fivesix"));
        QCOMPARE(line(5)->text(), QString());
        QCOMPARE(line(4)->cursorPosition(), 4);
        // At the end of line 6 the key is the box's own (and deletes nothing).
        line(5)->setText(QStringLiteral("x"));
        line(5)->setFocus();
        line(5)->end(false);
        QTest::keyClick(line(5), Qt::Key_Delete);
        QCOMPARE(line(5)->text(), QStringLiteral("x"));
        QCOMPARE(line(4)->text(), QStringLiteral("fivesix"));
    }

    void upAndDownMoveBetweenLines() {
        line(0)->setFocus();
        QTest::keyClick(line(0), Qt::Key_Up);
        QCOMPARE(QApplication::focusWidget(), line(0));
        QTest::keyClick(line(0), Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), line(1));
    }

    void arrowsWalkTheTitlesWithoutWrapping() {
        title(0)->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(title(0), Qt::Key_Up);
        QCOMPARE(QApplication::focusWidget(), title(0));
        for (int i = 0; i < 19; ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), title(19));
        QCOMPARE(int(tab->CurrentMacroIndex), 19);
        QTest::keyClick(title(19), Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), title(19));
    }

    void choosingMacrosStoresLinesWithoutMarkingChanges() {
        wMenu& w = *f->window;
        title(6)->setFocus(Qt::MouseFocusReason);
        QCOMPARE(int(tab->CurrentMacroIndex), 6);
        QVERIFY(!w.ContentModified);
        line(0)->setFocus();
        QTest::keyClicks(line(0), QStringLiteral("/p hi"));
        QVERIFY(w.ContentModified);
        // Typing goes into the book at once.
        QCOMPARE(Q(ReadFieldText(w.ShownBook()[0].Line(6, 0))), QStringLiteral("/p hi"));
        w.history->MarkClean();
        title(2)->setFocus(Qt::MouseFocusReason);
        // Choosing another macro refills the boxes and marks nothing.
        QCOMPARE(Q(ReadFieldText(w.ShownBook()[0].Line(6, 0))), QStringLiteral("/p hi"));
        QCOMPARE(line(0)->text(), QString());
        QVERIFY(!w.ContentModified);
        title(6)->setFocus(Qt::MouseFocusReason);
        QCOMPARE(line(0)->text(), QStringLiteral("/p hi"));
    }

    void clickIntoAnotherTitleOfAnInactiveWindowChoosesItsMacro() {
        title(3)->setFocus(Qt::MouseFocusReason);
        QApplication::setActiveWindow(nullptr);
        // The window comes back to the box it left: the macro stays.
        line(0)->setText(QStringLiteral("typed"));
        QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(title(3), &back);
        QCOMPARE(line(0)->text(), QStringLiteral("typed"));
        // A click into another title activates the window and chooses that macro.
        QFocusEvent other(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(title(5), &other);
        QCOMPARE(int(tab->CurrentMacroIndex), 5);
    }

    void switchingSetsStoresTitlesAndLines() {
        wMenu& w = *f->window;
        title(6)->setFocus(Qt::MouseFocusReason);
        title(6)->setText(QStringLiteral("回復"));
        line(1)->setText(QStringLiteral("/ma ケアル <t>"));
        w.ContentModified = false;
        QTest::mouseClick(tab->pbSet[2], Qt::LeftButton);
        QCOMPARE(int(tab->CurrentSetIndex), 2);
        QCOMPARE(int(tab->CurrentMacroIndex), 0);
        QCOMPARE(Q(ReadFieldText(w.ShownBook()[0].Title(6))), QStringLiteral("回復"));
        QCOMPARE(Q(ReadFieldText(w.ShownBook()[0].Line(6, 1))), QStringLiteral("/ma ケアル <t>"));
        QCOMPARE(title(6)->text(), QString());
        QVERIFY(!w.ContentModified);
        QCOMPARE(tab->pbSet[2]->palette().color(QPalette::Button), QColor(204, 204, 255));
        QVERIFY(tab->pbSet[0]->palette().color(QPalette::Button) != QColor(204, 204, 255));
        QCOMPARE(title(0)->palette().color(QPalette::Base), QColor(204, 204, 255));
        QVERIFY(title(6)->palette().color(QPalette::Base) != QColor(204, 204, 255));
    }

    void rightClickOnASetButtonOnlyChoosesTheMenuSet() {
        QTest::mouseClick(tab->pbSet[4], Qt::RightButton);
        QCOMPARE(int(tab->MenuSet), 4);
        QCOMPARE(int(tab->CurrentSetIndex), 0);
        tab->popSetMenu->close();
    }

    void tooLongLineIsShownAndNotStored() {
        wMenu& w = *f->window;
        title(3)->setFocus(Qt::MouseFocusReason);
        line(0)->setText(QStringLiteral("old"));
        title(4)->setFocus(Qt::MouseFocusReason);
        title(3)->setFocus(Qt::MouseFocusReason);
        line(0)->setFocus();
        line(0)->selectAll();
        typeText(line(0), QString(31, QChar(u'あ')));  // 62 bytes
        QVERIFY(!line(0)->styleSheet().isEmpty());
        QVERIFY(line(0)->toolTip().contains(QStringLiteral("62")));
        title(4)->setFocus(Qt::MouseFocusReason);
        QCOMPARE(Q(ReadFieldText(w.ShownBook()[0].Line(3, 0))), QStringLiteral("old"));
        title(3)->setFocus(Qt::MouseFocusReason);
        QCOMPARE(line(0)->text(), QStringLiteral("old"));
        QVERIFY(line(0)->styleSheet().isEmpty());
    }

    void titleAndOwnNameTakeAtMostTheirBytes() {
        title(0)->setFocus(Qt::MouseFocusReason);
        typeText(title(0), QStringLiteral("ケアル４x"));
        QCOMPARE(title(0)->text(), QStringLiteral("ケアル４"));
        f->window->history->MarkClean();
        tab->efMyname->setFocus();
        tab->efMyname->selectAll();
        typeText(tab->efMyname, QStringLiteral("あいうえおかきくa"));
        QCOMPARE(tab->efMyname->text(), QStringLiteral("あいうえおかきa"));  // 15 bytes
        QCOMPARE(Q(f->window->prefs.Myname), QStringLiteral("あいうえおかきa"));
        QVERIFY(!f->window->ContentModified);  // the own name is not macro data
    }

    // Characters with no Shift_JIS form are marked in the box as they are typed, and the
    // save asks once, naming where; No writes nothing.
    void charactersThatBecomeQuestionMarksAreShownAndAskedAbout() {
        wMenu& w = *f->window;
        title(2)->setFocus(Qt::MouseFocusReason);
        line(0)->setFocus();
        typeText(line(0), QStringLiteral("/s 한국어 ♪ € 😀"));
        QVERIFY(!line(0)->styleSheet().isEmpty());
        QVERIFY2(line(0)->toolTip().contains(QStringLiteral("「한국어€😀」")),
                 qPrintable(line(0)->toolTip()));
        title(2)->setFocus();
        typeText(title(2), QStringLiteral("€"));
        QVERIFY(title(2)->toolTip().contains(QStringLiteral("「€」")));
        title(5)->setFocus(Qt::MouseFocusReason);  // macro 3's lines go into the book
        QCOMPARE(Q(ReadFieldText(w.Books().File(0).Line(2, 0))), QStringLiteral("/s ??? ♪ ? ?"));
        title(2)->setFocus(Qt::MouseFocusReason);
        QVERIFY(line(0)->styleSheet().isEmpty());  // the stored text has nothing left to lose

        const std::size_t before = f->fake.messageBox.shown.size();
        f->fake.messageBox.answers = {MsgAnswer::No};
        QCOMPARE(w.FileSave_Click(), SaveResult::Declined);
        QCOMPARE(f->fake.messageBox.shown.size(), before + 1);
        const QString asked = Q(f->fake.messageBox.shown.back().text);
        QVERIFY2(asked.contains(QStringLiteral("ブック1 セット1 マクロ3 タイトル：€")),
                 qPrintable(asked));
        QVERIFY(asked.contains(QStringLiteral("ブック1 セット1 マクロ3 1行目：한 국 어 € 😀")));
        QCOMPARE(f->fake.messageBox.shown.back().buttons, MsgButtons::YesNoDefaultNo);
        QVERIFY(!f->dir.Exists("mcr.dat"));
        QVERIFY(w.ContentModified);

        f->fake.messageBox.answers = {MsgAnswer::Yes};
        QCOMPARE(w.FileSave_Click(), SaveResult::Saved);
        QVERIFY(f->dir.Exists("mcr.dat"));
        QCOMPARE(f->fake.messageBox.shown.size(), before + 2);
        w.ContentModified = true;
        QCOMPARE(w.FileSave_Click(), SaveResult::Saved);  // written as "?" now: not asked again
        QCOMPARE(f->fake.messageBox.shown.size(), before + 2);
    }

    // An auto-translate phrase is one unit in its box, and typing beside it keeps its
    // six bytes: the save asks nothing.
    void typingNextToAPhraseKeepsItsBytes() {
        wMenu& w = *f->window;
        const std::vector<uint8_t> phrase{0xFD, 0x02, 0x02, 0x01, 0x0D, 0xFD};
        std::vector<uint8_t> bytes{'/', 'p', ' '};
        bytes.insert(bytes.end(), phrase.begin(), phrase.end());
        for (char c : std::string_view(" <t>")) bytes.push_back(uint8_t(c));
        QVERIFY(StoreFieldBytes(w.Books().File(0).Line(0, 0), bytes));
        tab->ShowSet(0, 0, 0);
        QLineEdit* box = line(0);
        QCOMPARE(box->text(), QString::fromUtf8("/p \u27E6AT-02-02-01-0D\u27E7 <t>"));
        constexpr int kAfter = 3 + 16;
        box->setFocus();
        box->setCursorPosition(kAfter);
        QTest::keyClick(box, Qt::Key_Left);
        QCOMPARE(box->cursorPosition(), 3);
        QTest::keyClick(box, Qt::Key_Right);
        QCOMPARE(box->cursorPosition(), kAfter);
        box->setCursorPosition(10);  // inside: put before it
        QCOMPARE(box->cursorPosition(), 3);
        QTest::keyClick(box, Qt::Key_Right, Qt::ShiftModifier);  // a selection takes it whole
        QCOMPARE(box->selectedText().size(), 16);
        box->setCursorPosition(int(box->text().size()));
        QTest::keyClicks(box, QStringLiteral("!"));

        const std::size_t asked = f->fake.messageBox.shown.size();
        QCOMPARE(w.FileSave_Click(), SaveResult::Saved);
        QCOMPARE(f->fake.messageBox.shown.size(), asked);
        bytes.push_back('!');
        bytes.push_back(0);
        const std::vector<uint8_t> file = f->dir.Read("mcr.dat");
        QVERIFY(std::equal(bytes.begin(), bytes.end(), file.begin() + kMacroBlockOffset + 4));

        box->setCursorPosition(kAfter);
        QTest::keyClick(box, Qt::Key_Backspace);  // the whole phrase, nothing else
        QCOMPARE(box->text(), QStringLiteral("/p  <t>!"));
        box->setCursorPosition(3);
        QTest::keyClick(box, Qt::Key_Delete);
        QCOMPARE(box->text(), QStringLiteral("/p <t>!"));
    }

    // The current set's button is painted in exactly the highlight colour (the style would
    // otherwise blend it into a gradient), the others in the plain button colour.
    void currentSetButtonIsPaintedInItsColour() {
        tab->pbSet_Click(2);
        QApplication::processEvents();
        for (int n : {0, 2}) {
            const QImage face = tab->pbSet[std::size_t(n)]->grab().toImage();
            // Above the caption, just inside the border.
            const QColor painted = face.pixelColor(face.width() / 2, 1);
            const QColor expected =
                n == 2 ? QColor(204, 204, 255) : tab->palette().color(QPalette::Button);
            QCOMPARE(painted, expected);
        }
    }

    // A set button draws itself as the style sheet it replaces drew it, on the screen
    // (its parent showing at the rounded corners): highlighted or not, enabled or not,
    // pressed or not.
    void setButtonsLookAsTheirStyleSheetDid() {
        QWidget host;
        host.resize(120, 20);
        const QColor normal = host.palette().color(QPalette::Button);
        for (const QColor& face : {normal, QColor(204, 204, 255)}) {
            for (bool enabled : {true, false}) {
                for (bool down : {false, true}) {
                    QPushButton sheet(QStringLiteral("セット１"), &host);
                    sheet.setStyleSheet(
                        QStringLiteral("QPushButton { background-color: %1; border: 1px solid %2;"
                                       " border-radius: 2px; padding: 0px; }"
                                       " QPushButton:pressed { background-color: %3; }"
                                       " QPushButton:disabled { color: %4; }")
                            .arg(face.name(), host.palette().color(QPalette::Mid).name(),
                                 face.darker(115).name(),
                                 host.palette()
                                     .color(QPalette::Disabled, QPalette::ButtonText)
                                     .name()));
                    SetButton mine(QStringLiteral("セット１"), &host);
                    mine.SetFace(face);
                    sheet.setGeometry(0, 0, 49, 17);
                    mine.setGeometry(60, 0, 49, 17);
                    for (QPushButton* b : {&sheet, static_cast<QPushButton*>(&mine)}) {
                        b->setEnabled(enabled);
                        b->setDown(down);
                    }
                    const QImage shown = host.grab().toImage();
                    QCOMPARE(shown.copy(60, 0, 49, 17), shown.copy(0, 0, 49, 17));
                }
            }
        }
    }
};

QTEST_MAIN(MacroTabTest)
#include "MacroTabTest.moc"
