// Opening, saving and checking a character folder through the window's File menu.
#include <QTest>

#include "DemoData.h"
#include "config/GameSettings.h"
#include "config/GameSettingsTab.h"
#include "editor/MacroTab.h"
#include "macro/Md5.h"
#include "storage/FaultyFileSystem.h"
#include "support/WindowFixture.h"

using namespace qm;
using namespace qm::test;

namespace {

const std::u16string kWarning =
    u"警告！\r\nこのマクロは現在のバージョンと互換性がありません。保存をすると使えなくなる可能性が"
    u"あります。";

bool DigestOk(const std::vector<uint8_t>& bytes) {
    if (bytes.size() < kMacroFileSize) return false;
    Md5Bytes d = Md5Digest(std::span<const uint8_t>(bytes.data() + 24, 7600));
    return std::equal(d.begin(), d.end(), bytes.begin() + 8);
}

// Writes the demo game into the fixture's folder; the character's path inside it.
std::string DemoCharacter(WindowFixture& f, const char* character = demo::kCleanCharacter) {
    if (!demo::WriteDemoGame(f.dir.Path("game"))) return {};
    return std::string("game/USER/") + character;
}

}  // namespace

class CharacterFolderTest : public QObject {
    Q_OBJECT

  private slots:
    void editSaveReopenChangesOnlyTheEditedField() {
        WindowFixture f;
        const std::string character = DemoCharacter(f);
        QVERIFY(!character.empty());
        std::vector<std::vector<uint8_t>> before;
        for (int k = 0; k < 10; ++k)
            before.push_back(f.dir.Read(character + "/" + Utf16ToUtf8(MacroFileName(k))));
        std::vector<uint8_t> cnfBefore = f.dir.Read(character + "/cnf.dat");

        f.fake.dialogs.folders.push_back(f.dir.Text(character));
        wMenu& w = f.Start();
        QVERIFY(f.fake.messageBox.shown.empty());  // the digest is right: no warning
        QVERIFY(w.FileSave->isEnabled());
        MacroTab* tab = w.macroTab;
        QCOMPARE(tab->efTitle[0]->text(), QStringLiteral("ケアル"));
        QCOMPARE(tab->efLine[0]->text(), QStringLiteral("/ma ケアル <t>"));

        QTest::mouseClick(tab->pbSet[1], Qt::LeftButton);
        tab->efTitle[2]->setFocus(Qt::MouseFocusReason);
        tab->efLine[1]->setText(QStringLiteral("Still selling? <pos>"));
        QVERIFY(w.ContentModified);
        QCOMPARE(int(w.FileSave_Click()), int(SaveResult::Saved));
        QVERIFY(!w.ContentModified);
        QVERIFY(f.fake.messageBox.shown.empty());  // a matching digest asks nothing

        for (int k = 0; k < 10; ++k) {
            std::vector<uint8_t> after =
                f.dir.Read(character + "/" + Utf16ToUtf8(MacroFileName(k)));
            QVERIFY(DigestOk(after));
            std::size_t differing = 0, first = 0;
            for (std::size_t i = 24; i < kMacroFileSize; ++i)
                if (after[i] != before[std::size_t(k)][i] && differing++ == 0) first = i;
            if (k == 1) {
                // Line 2 of macro 3 of set 2, and nothing else.
                QVERIFY(differing > 0);
                QVERIFY(first >= 28 + 380 * 2 + 61 && first < 28 + 380 * 2 + 122);
            } else {
                QCOMPARE(after, before[std::size_t(k)]);
            }
        }
        QCOMPARE(f.dir.Read(character + "/cnf.dat"), cnfBefore);

        // Reopen: the edit is there.
        f.fake.dialogs.folders.push_back(f.dir.Text(character));
        w.FileOpen_Click();
        QTest::mouseClick(tab->pbSet[1], Qt::LeftButton);
        tab->efTitle[2]->setFocus(Qt::MouseFocusReason);
        QCOMPARE(tab->efLine[1]->text(), QStringLiteral("Still selling? <pos>"));
    }

    void fieldsThePlayerDidNotTouchKeepTheirExactBytes() {
        WindowFixture f;
        MacroFile set;
        // Bytes that are not CP932 text, as the game keeps in fields of its own.
        const uint8_t game[] = {0xFD, 0x02, 0x02, 0x01, 0x0E, 0xFD, 0};
        std::copy(std::begin(game), std::end(game), set.Title(1).begin());
        std::copy(std::begin(game), std::end(game), set.Line(0, 2).begin());
        UpdateMacroDigest(set);
        std::vector<uint8_t> before(set.bytes.begin(), set.bytes.end());
        f.dir.Write("char/mcr.dat", before);
        f.fake.dialogs.folders.push_back(f.dir.Text("char"));
        wMenu& w = f.Start();
        w.macroTab->efTitle[1]->setFocus(Qt::MouseFocusReason);   // stores macro 1's lines
        QTest::mouseClick(w.macroTab->pbSet[0], Qt::LeftButton);  // stores the titles
        QCOMPARE(int(w.FileSave_Click()), int(SaveResult::Saved));
        QCOMPARE(f.dir.Read("char/mcr.dat"), before);
    }

    void damagedDigestWarnsOnOpenAndAsksOnEverySave() {
        WindowFixture f;
        const std::string character = DemoCharacter(f, demo::kDamagedCharacter);
        QVERIFY(!character.empty());
        std::vector<uint8_t> before = f.dir.Read(character + "/mcr.dat");
        f.fake.dialogs.folders.push_back(f.dir.Text(character));
        wMenu& w = f.Start();
        QCOMPARE(f.fake.messageBox.shown.size(), std::size_t(1));
        QCOMPARE(Q(f.fake.messageBox.shown[0].text), Q(kWarning));
        QVERIFY(w.document->IncompatibleMacro());

        w.macroTab->efLine[0]->setText(QStringLiteral("changed"));
        f.fake.messageBox.answers = {MsgAnswer::No};
        QCOMPARE(int(w.FileSave_Click()), int(SaveResult::Declined));
        QVERIFY(w.ContentModified);
        QCOMPARE(f.dir.Read(character + "/mcr.dat"), before);  // nothing written

        f.fake.messageBox.answers = {MsgAnswer::Yes};
        QCOMPARE(int(w.FileSave_Click()), int(SaveResult::Saved));
        QVERIFY(DigestOk(f.dir.Read(character + "/mcr.dat")));
        f.fake.messageBox.answers = {MsgAnswer::No};
        w.FileSave_Click();  // still asks until the folder is opened again
        QCOMPARE(f.fake.messageBox.shown.size(), std::size_t(4));
    }

    // A folder without any macro file is said to be one, with the choice to open it as an
    // empty book or to choose again; no compatibility warning is given for it.
    void folderWithoutMacroFilesIsSaidToBeOne() {
        WindowFixture f;
        const std::string character = DemoCharacter(f);
        QVERIFY(!character.empty());
        f.dir.Write("game/USER/.keep", {});
        f.fake.dialogs.folders = {f.dir.Text("game/USER"), f.dir.Text(character)};
        f.fake.messageBox.answers = {MsgAnswer::No};  // choose again
        wMenu& w = f.Start();
        QCOMPARE(f.fake.messageBox.shown.size(), std::size_t(1));
        const QString asked = Q(f.fake.messageBox.shown[0].text);
        QVERIFY2(asked.contains(QStringLiteral("マクロファイル（mcr.dat など）がありません")),
                 qPrintable(asked));
        QVERIFY(asked.contains(Q(f.dir.Text("game/USER"))));
        QCOMPARE(f.fake.messageBox.shown[0].buttons, MsgButtons::YesNoCancel);
        QCOMPARE(f.fake.dialogs.folderPrompts.size(), std::size_t(2));
        QCOMPARE(Q(f.fake.dialogs.folderPrompts[1].preselect), Q(f.dir.Text("game/USER")));
        QCOMPARE(Q(w.CurrentFolder), Q(f.dir.Text(character + "/")));

        f.fake.dialogs.folders = {f.dir.Text("empty")};
        f.dir.Write("empty/.keep", {});
        f.fake.messageBox.answers = {MsgAnswer::Cancel};
        w.FileOpen_Click();
        QCOMPARE(Q(w.CurrentFolder), Q(f.dir.Text(character + "/")));  // nothing changed

        f.fake.dialogs.folders = {f.dir.Text("empty")};
        f.fake.messageBox.answers = {MsgAnswer::Yes};  // open it as an empty book
        w.FileOpen_Click();
        QCOMPARE(Q(w.CurrentFolder), Q(f.dir.Text("empty/")));
        QVERIFY(!w.document->IncompatibleMacro());
        const std::size_t asked3 = f.fake.messageBox.shown.size();
        QCOMPARE(asked3, std::size_t(3));  // no warning on opening; none on saving below
        w.macroTab->efLine[0]->setText(QStringLiteral("/s hello"));
        QCOMPARE(int(w.FileSave_Click()), int(SaveResult::Saved));
        QCOMPARE(f.fake.messageBox.shown.size(), asked3);
        QVERIFY(DigestOk(f.dir.Read("empty/mcr.dat")));
    }

    void folderWithOnlyMcrDatGetsTheOtherNineFiles() {
        WindowFixture f;
        MacroFile set;
        StoreFieldText(set.Title(0), u"only");
        std::vector<uint8_t> bytes(set.bytes.begin(), set.bytes.end());  // zero digest
        f.dir.Write("char/mcr.dat", bytes);
        f.fake.dialogs.folders.push_back(f.dir.Text("char"));
        wMenu& w = f.Start();
        QCOMPARE(Q(f.fake.messageBox.shown.at(0).text), Q(kWarning));
        QTest::mouseClick(w.macroTab->pbSet[5], Qt::LeftButton);
        QCOMPARE(w.macroTab->efTitle[0]->text(), QString());
        f.fake.messageBox.answers = {MsgAnswer::Yes};
        QCOMPARE(int(w.FileSave_Click()), int(SaveResult::Saved));
        std::vector<uint8_t> zeros(7600, 0);
        Md5Bytes zeroDigest = Md5Digest(zeros);
        for (int k = 1; k < 10; ++k) {
            std::vector<uint8_t> b = f.dir.Read("char/" + Utf16ToUtf8(MacroFileName(k)));
            QCOMPARE(b.size(), kMacroFileSize);
            QVERIFY(std::all_of(b.begin(), b.begin() + 8, [](uint8_t x) { return x == 0; }));
            QVERIFY(std::equal(zeroDigest.begin(), zeroDigest.end(), b.begin() + 8));
        }
        QCOMPARE(f.dir.Read("char/cnf.dat").size(), std::size_t(216));
    }

    void saveAsWritesElsewhereAndKeepsTheOpenFolder() {
        WindowFixture f;
        const std::string character = DemoCharacter(f);
        QVERIFY(!character.empty());
        std::vector<uint8_t> before = f.dir.Read(character + "/mcr.dat");
        f.dir.Write("copy/.keep", {});
        f.fake.dialogs.folders.push_back(f.dir.Text(character));
        wMenu& w = f.Start();
        std::u16string open = w.CurrentFolder;
        w.macroTab->efLine[0]->setText(QStringLiteral("edited"));
        f.fake.dialogs.folders.push_back(f.dir.Text("copy"));
        w.FileSaveAs_Click();
        QCOMPARE(Q(f.fake.dialogs.folderPrompts.back().prompt),
                 QStringLiteral("保存する場所を選択してください"));
        for (int k = 0; k < 10; ++k)
            QVERIFY(DigestOk(f.dir.Read("copy/" + Utf16ToUtf8(MacroFileName(k)))));
        QCOMPARE(f.dir.Read("copy/cnf.dat"), f.dir.Read(character + "/cnf.dat"));
        QCOMPARE(f.dir.Read(character + "/mcr.dat"), before);
        QVERIFY(w.CurrentFolder == open);
        QVERIFY(w.ContentModified);  // the open folder still has unsaved edits
    }

    void noToTheOpenQuestionWritesNothing() {
        WindowFixture f;
        const std::string character = DemoCharacter(f);
        QVERIFY(!character.empty());
        std::vector<uint8_t> before = f.dir.Read(character + "/mcr.dat");
        f.fake.dialogs.folders.push_back(f.dir.Text(character));
        wMenu& w = f.Start();
        w.macroTab->efTitle[0]->setText(QStringLiteral("x"));
        // A cancelled picker asks nothing: another folder would open beside this one.
        w.FileOpen_Click();
        QVERIFY(f.fake.messageBox.shown.empty());
        // Reading the folder on show again asks first; Cancel keeps everything.
        f.fake.dialogs.folders.push_back(f.dir.Text(character));
        f.fake.messageBox.answers = {MsgAnswer::Cancel};
        w.FileOpen_Click();
        QVERIFY(w.ContentModified);
        QCOMPARE(w.macroTab->efTitle[0]->text(), QStringLiteral("x"));
        // No reads it again as the disk holds it; nothing is written.
        f.fake.dialogs.folders.push_back(f.dir.Text(character));
        f.fake.messageBox.answers = {MsgAnswer::No};
        w.FileOpen_Click();
        QVERIFY(!w.ContentModified);
        QVERIFY(w.macroTab->efTitle[0]->text() != QStringLiteral("x"));
        QCOMPARE(f.dir.Read(character + "/mcr.dat"), before);
        QCOMPARE(int(w.Characters().size()), 1);
    }

    void failedSaveIsReportedAndKeepsTheFlag() {
        WindowFixture f;
        const std::string character = DemoCharacter(f);
        QVERIFY(!character.empty());
        f.fake.dialogs.folders.push_back(f.dir.Text(character));
        wMenu& w = f.Start();
        w.macroTab->efLine[0]->setText(QStringLiteral("edited"));
        // A file that cannot be replaced (here: a folder in its place; permissions do not
        // stop the root account these tests may run as).
        std::filesystem::remove(f.dir.Path(character + "/mcr.dat"));
        std::filesystem::create_directory(f.dir.Path(character + "/mcr.dat"));
        QCOMPARE(int(w.FileSave_Click()), int(SaveResult::Failed));
        QVERIFY(w.ContentModified);
        QVERIFY(Q(f.fake.messageBox.shown.back().text).contains(QStringLiteral("mcr.dat")));
        // Opening the folder again asks to save first; a failing save keeps it and its
        // edits.
        f.fake.dialogs.folders.push_back(f.dir.Text(character));
        f.fake.messageBox.answers = {MsgAnswer::Yes};
        w.FileOpen_Click();
        QVERIFY(f.fake.dialogs.folders.empty());
        QCOMPARE(w.macroTab->efLine[0]->text(), QStringLiteral("edited"));
        QVERIFY(w.ContentModified);
        // Closing asks, and a failing save keeps the program running.
        f.fake.messageBox.answers = {MsgAnswer::Yes};
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
    }

    void noAtTheCompatibilityWarningKeepsTheProgramAndTheEdit() {
        WindowFixture f;
        const std::string character = DemoCharacter(f, demo::kDamagedCharacter);
        QVERIFY(!character.empty());
        const std::vector<uint8_t> before = f.dir.Read(character + "/mcr.dat");
        f.fake.dialogs.folders.push_back(f.dir.Text(character));
        wMenu& w = f.Start();
        QVERIFY(w.document->IncompatibleMacro());
        w.macroTab->efLine[0]->setText(QStringLiteral("edited"));
        // Yes to saving, then No at the warning: nothing is saved, so nothing may be lost.
        f.fake.messageBox.answers = {MsgAnswer::Yes, MsgAnswer::No};
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
        QVERIFY(w.ContentModified);
        QCOMPARE(w.macroTab->efLine[0]->text(), QStringLiteral("edited"));
        f.fake.dialogs.folders.push_back(f.dir.Text(character));
        f.fake.messageBox.answers = {MsgAnswer::Yes, MsgAnswer::No};
        w.FileOpen_Click();
        QVERIFY(f.fake.messageBox.answers.empty());
        QCOMPARE(w.macroTab->efLine[0]->text(), QStringLiteral("edited"));
        QCOMPARE(f.dir.Read(character + "/mcr.dat"), before);
    }

    void partialSaveNamesWhatWasSavedAndKeepsTheFlag() {
        WindowFixture f;
        const std::string character = DemoCharacter(f);
        QVERIFY(!character.empty());
        f.fake.dialogs.folders.push_back(f.dir.Text(character));
        wMenu& w = f.Start();
        w.macroTab->efLine[0]->setText(QStringLiteral("edited"));
        w.Cnf().SetColor(0, {1, 2, 3, 4});
        w.ContentModified = true;
        // The rename of cnf.dat fails after mcr.dat's went through.
        FaultyFileSystem faulty;
        ScopedFileSystem use(faulty);
        faulty.FailAt(10);
        QCOMPARE(int(w.FileSave_Click()), int(SaveResult::Failed));
        QCOMPARE(QString::fromStdString(faulty.Log().at(9)), QStringLiteral("rename cnf.dat"));
        QVERIFY(w.ContentModified);
        const QString text = Q(f.fake.messageBox.shown.back().text);
        QVERIFY2(text.contains(QStringLiteral("保存したもの: mcr.dat\r\n")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("保存していないもの: cnf.dat, ゲームの環境設定")),
                 qPrintable(text));
        QVERIFY(!f.fake.registry.HasKey(kGameSettingsKey));
        // The next save writes the rest, and only that.
        faulty.FailAt(0);
        QCOMPARE(int(w.FileSave_Click()), int(SaveResult::Saved));
        QVERIFY(!w.ContentModified);
        QCOMPARE(faulty.Log().at(4), std::string("rename cnf.dat"));
        QVERIFY(f.fake.registry.HasKey(kGameSettingsKey));
        QCOMPARE(int(f.dir.Read(character + "/cnf.dat").at(80)), 1);
    }

    void gameSettingThatCannotBeStoredStopsTheSaveBeforeAnyFile() {
        WindowFixture f;
        const std::string character = DemoCharacter(f);
        QVERIFY(!character.empty());
        std::vector<uint8_t> before = f.dir.Read(character + "/mcr.dat");
        f.fake.dialogs.folders.push_back(f.dir.Text(character));
        wMenu& w = f.Start();
        w.macroTab->efLine[0]->setText(QStringLiteral("edited"));
        w.gameSettingsTab->efBackBufferW->setText(QStringLiteral("99999"));
        QCOMPARE(int(w.FileSave_Click()), int(SaveResult::Failed));
        QVERIFY(w.ContentModified);
        QCOMPARE(f.dir.Read(character + "/mcr.dat"), before);
        QVERIFY(Q(f.fake.messageBox.shown.back().text).contains(QStringLiteral("幅")));
    }

    void unreadableMacroFileRefusesTheOpen() {
        WindowFixture f;
        const std::string character = DemoCharacter(f);
        QVERIFY(!character.empty());
        f.fake.dialogs.folders.push_back(f.dir.Text(character));
        wMenu& w = f.Start();
        std::u16string open = w.CurrentFolder;
        // A file that is there but cannot be read must not be shown empty and then
        // overwritten by the next save.
        f.dir.Write("other/mcr.dat", std::vector<uint8_t>(7624, 0));
        std::filesystem::create_symlink("/proc/self/mem", f.dir.Path("other/mcr2.dat"));
        f.fake.dialogs.folders.push_back(f.dir.Text("other"));
        w.FileOpen_Click();
        QVERIFY(w.CurrentFolder == open);
        QVERIFY(Q(f.fake.messageBox.shown.back().text).contains(QStringLiteral("mcr2.dat")));
    }

    void checkMd5ShowsTheDigestOfTheBody() {
        WindowFixture f;
        const std::string character = DemoCharacter(f);
        QVERIFY(!character.empty());
        f.fake.dialogs.folders.push_back(f.dir.Text(character));
        wMenu& w = f.Start();
        std::vector<uint8_t> bytes = f.dir.Read(character + "/mcr.dat");
        std::u16string expected =
            Md5Hex(Md5Digest(std::span<const uint8_t>(bytes.data() + 24, 7600)));
        f.fake.dialogs.files.push_back(f.dir.Text(character + "/mcr.dat"));
        QTest::mouseClick(w.macroTab->pbCheckMD5, Qt::LeftButton);
        QCOMPARE(Q(f.fake.dialogs.filePrompts.back().pattern), QStringLiteral("mcr*.dat mcr*.ttl"));
        QCOMPARE(Q(f.fake.messageBox.shown.back().text), Q(expected));
        // A book title file: its 320 bytes after the header, the digest stored in it.
        bytes = f.dir.Read(character + "/mcr_2.ttl");
        QCOMPARE(bytes.size(), std::size_t(344));
        f.fake.dialogs.files.push_back(f.dir.Text(character + "/mcr_2.ttl"));
        QTest::mouseClick(w.macroTab->pbCheckMD5, Qt::LeftButton);
        QCOMPARE(Q(f.fake.messageBox.shown.back().text),
                 Q(Md5Hex(Md5Digest(std::span<const uint8_t>(bytes.data() + 24, 320)))));
        Md5Bytes stored;
        std::copy_n(bytes.begin() + 8, 16, stored.begin());
        QCOMPARE(Q(f.fake.messageBox.shown.back().text), Q(Md5Hex(stored)));
        // A short file is not a macro file.
        f.dir.Write("short.dat", std::vector<uint8_t>(100, 1));
        f.fake.dialogs.files.push_back(f.dir.Text("short.dat"));
        QTest::mouseClick(w.macroTab->pbCheckMD5, Qt::LeftButton);
        QVERIFY(Q(f.fake.messageBox.shown.back().text).contains(QStringLiteral("100")));
        // Cancelled: nothing shown.
        std::size_t shown = f.fake.messageBox.shown.size();
        QTest::mouseClick(w.macroTab->pbCheckMD5, Qt::LeftButton);
        QCOMPARE(f.fake.messageBox.shown.size(), shown);
    }

    void acqNamesAreReadWithTheFolder() {
        WindowFixture f;
        std::vector<uint8_t> acq(24 + 16 * 3, 0);
        f.dir.Write("char/acq.dat", acq);
        f.fake.dialogs.folders.push_back(f.dir.Text("char"));
        wMenu& w = f.Start();
        QCOMPARE(w.Names().size(), std::size_t(4));
    }
};

QTEST_MAIN(CharacterFolderTest)
#include "CharacterFolderTest.moc"
