// The tab "環境設定" on the real main window with a fake registry and display adapter.
#include <QTabBar>
#include <QTest>

#include "config/GameSettings.h"
#include "config/GameSettingsTab.h"
#include "support/WindowFixture.h"

using namespace qm;
using namespace qm::test;

namespace {

std::optional<int32_t> Stored(FakeRegistry& reg, std::u16string_view name) {
    const auto v = reg.Peek(kGameSettingsKey, name);
    if (!v || v->type != REG_DWORD_TYPE || v->data.size() != 4) return std::nullopt;
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) bits |= uint32_t{v->data[std::size_t(i)]} << (8 * i);
    return int32_t(bits);
}

void Put(WindowFixture& f, std::u16string_view name, int32_t value) {
    f.fake.registry.PutNumber(kGameSettingsKey, name, value);
}

QStringList Entries(QComboBox* combo) {
    QStringList list;
    for (int i = 0; i < combo->count(); ++i) list << combo->itemText(i);
    return list;
}

// Shows the tab, as the user would before touching its controls.
GameSettingsTab& OpenTab(wMenu& w) {
    w.tsMenu->setCurrentIndex(2);
    return *w.gameSettingsTab;
}

}  // namespace

class GameSettingsTabTest : public QObject {
    Q_OBJECT
  private slots:
    // Once the tab is shown, a list widens with a longer item, as the display modes can
    // change while the program runs (the lists take that rule only then).
    void listsFollowTheWidthOfTheirItems() {
        WindowFixture f;
        f.fake.display.AddMode(800, 600, 22);
        wMenu& w = f.Start();
        GameSettingsTab& t = OpenTab(w);
        QApplication::processEvents();
        for (QComboBox* combo :
             {t.cboFrontBuffer, t.cboGeneral, t.cboMenuMap, t.cboDeformAnimation}) {
            const int width = combo->sizeHint().width();
            combo->addItem(QStringLiteral("1920 × 1080 ") + QString(40, QChar(u'＿')));
            QVERIFY2(combo->sizeHint().width() > width, qPrintable(combo->objectName()));
        }
    }

    void missingKeyShowsDefaultsAndSaveWritesAllThirteen() {
        WindowFixture f;
        f.fake.display.AddMode(1024, 768, 22);
        f.fake.display.AddMode(800, 600, 22);
        wMenu& w = f.Start();
        GameSettingsTab& t = OpenTab(w);

        for (GameCheckBox* box : {t.cbMipMap, t.cbSound, t.cbBumpMap, t.cbHardwareCursor,
                                  t.cbOpeningMovie, t.cbSimpleCharacterMake})
            QCOMPARE(box->checkState(), Qt::Unchecked);
        QCOMPARE(t.cboGeneral->currentText(), QStringLiteral("高速－低品質"));
        QCOMPARE(t.cboMenuMap->currentText(), QStringLiteral("高速－低品質"));
        QCOMPARE(t.cboDeformAnimation->currentText(), QStringLiteral("なし"));
        QCOMPARE(Entries(t.cboGeneral),
                 (QStringList{QStringLiteral("高速－低品質"), QStringLiteral("中速－やや高品質"),
                              QStringLiteral("低速－高品質")}));
        QCOMPARE(t.efBackBufferW->text(), QStringLiteral("0"));
        QCOMPARE(t.efBackBufferH->text(), QStringLiteral("0"));
        QCOMPARE(t.sBackBufferW->value(), 0);
        QCOMPARE(t.sBackBufferH->value(), 0);
        QCOMPARE(Entries(t.cboFrontBuffer),
                 (QStringList{QStringLiteral("1024 × 768"), QStringLiteral("800 × 600"),
                              QStringLiteral("0 × 0")}));
        QCOMPARE(t.cboFrontBuffer->currentIndex(), 2);
        QVERIFY(!t.cboFrontBuffer->isEditable());
        QCOMPARE(t.efBackBufferW->maxLength(), 5);
        QVERIFY(!t.cbBumpMap->isEnabled());
        QVERIFY(!f.fake.registry.HasKey(kGameSettingsKey));

        // Before any folder is opened the save writes the game settings alone.
        QCOMPARE(w.FileSave_Click(), SaveResult::Saved);
        QVERIFY(f.fake.registry.HasKey(kGameSettingsKey));
        for (auto name : kGameSettingsSaveOrder) QCOMPARE(Stored(f.fake.registry, name), 0);
        QCOMPARE(f.fake.registry.ValueCount(), std::size_t(13));
    }

    void unlistedResolutionIsOfferedAndWrittenBack() {
        WindowFixture f;
        for (int format : {22, 23, 20}) f.fake.display.AddMode(1024, 768, format, 3);
        Put(f, u"0001", 1280);
        Put(f, u"0002", 1024);
        wMenu& w = f.Start();
        GameSettingsTab& t = OpenTab(w);
        // Three rates in three formats: one entry. The stored pair follows it, selected.
        QCOMPARE(Entries(t.cboFrontBuffer),
                 (QStringList{QStringLiteral("1024 × 768"), QStringLiteral("1280 × 1024")}));
        QCOMPARE(t.cboFrontBuffer->currentIndex(), 1);
        QCOMPARE(w.FileSave_Click(), SaveResult::Saved);
        QCOMPARE(Stored(f.fake.registry, u"0001"), 1280);
        QCOMPARE(Stored(f.fake.registry, u"0002"), 1024);

        // Choosing the adapter's mode writes that one.
        t.cboFrontBuffer->setCurrentIndex(0);
        QVERIFY(w.ContentModified);
        QCOMPARE(w.FileSave_Click(), SaveResult::Saved);
        QCOMPARE(Stored(f.fake.registry, u"0001"), 1024);
        QCOMPARE(Stored(f.fake.registry, u"0002"), 768);
    }

    void internalWidthKeepsExactNumberUntilSliderMoves() {
        WindowFixture f;
        Put(f, u"0003", 800);
        Put(f, u"0004", 512);
        wMenu& w = f.Start();
        GameSettingsTab& t = OpenTab(w);
        QCOMPARE(t.efBackBufferW->text(), QStringLiteral("800"));
        QCOMPARE(t.sBackBufferW->value(), 2);
        QCOMPARE(t.sBackBufferH->value(), 1);
        QVERIFY(!w.ContentModified);
        QCOMPARE(w.FileSave_Click(), SaveResult::Saved);
        QCOMPARE(Stored(f.fake.registry, u"0003"), 800);

        QTest::keyClick(t.sBackBufferW, Qt::Key_Left);
        QCOMPARE(t.sBackBufferW->value(), 1);
        QCOMPARE(t.efBackBufferW->text(), QStringLiteral("512"));
        QVERIFY(w.ContentModified);
        QCOMPARE(w.FileSave_Click(), SaveResult::Saved);
        QCOMPARE(Stored(f.fake.registry, u"0003"), 512);
        QCOMPARE(Stored(f.fake.registry, u"0004"), 512);
    }

    void rejectedStoredValuesShowFallbacks() {
        WindowFixture f;
        Put(f, u"0019", 2);  // one past the map list
        Put(f, u"0021", 7);  // not a check-box value
        Put(f, u"0022", 2);  // grey
        wMenu& w = f.Start();
        GameSettingsTab& t = OpenTab(w);
        QCOMPARE(t.cboMenuMap->currentText(), QStringLiteral("高速－低品質"));
        QCOMPARE(t.cbHardwareCursor->checkState(), Qt::Unchecked);
        QCOMPARE(t.cbOpeningMovie->checkState(), Qt::PartiallyChecked);
        QCOMPARE(w.FileSave_Click(), SaveResult::Saved);
        QCOMPARE(Stored(f.fake.registry, u"0019"), 0);
        QCOMPARE(Stored(f.fake.registry, u"0021"), 0);
        QCOMPARE(Stored(f.fake.registry, u"0022"), 2);

        // The user checks and clears; grey is never offered again.
        QTest::mouseClick(t.cbOpeningMovie, Qt::LeftButton);
        QCOMPARE(t.cbOpeningMovie->checkState(), Qt::Checked);
        QTest::mouseClick(t.cbOpeningMovie, Qt::LeftButton);
        QCOMPARE(t.cbOpeningMovie->checkState(), Qt::Unchecked);
        QTest::mouseClick(t.cbOpeningMovie, Qt::LeftButton);
        QCOMPARE(t.cbOpeningMovie->checkState(), Qt::Checked);
    }

    void startUpIsUnchangedAndOneClickChanges() {
        WindowFixture f;
        Put(f, u"0007", 1);
        Put(f, u"0018", 2);
        wMenu& w = f.Start();
        GameSettingsTab& t = OpenTab(w);
        QCOMPARE(t.cbSound->checkState(), Qt::Checked);
        QCOMPARE(t.cboGeneral->currentIndex(), 2);
        QVERIFY(!w.ContentModified);
        QTest::mouseClick(t.cbSimpleCharacterMake, Qt::LeftButton);
        QVERIFY(w.ContentModified);
        QCOMPARE(w.FileSave_Click(), SaveResult::Saved);
        QVERIFY(!w.ContentModified);
        QCOMPARE(Stored(f.fake.registry, u"0023"), 1);
        QCOMPARE(Stored(f.fake.registry, u"0007"), 1);

        QTest::keyClicks(t.efBackBufferH, QStringLiteral("2"));
        QVERIFY(w.ContentModified);
    }

    void tracedRunWithSixteenBitAdapter() {
        WindowFixture f;
        f.fake.display.AddMode(1024, 768, 23, 3);
        f.fake.display.vertexShaderVersion = 0x0101;
        f.fake.display.desktopSize = std::pair{1024, 768};
        Put(f, u"0017", 1);
        f.fake.keyState.Press(16);
        wMenu& w = f.Start();
        f.fake.keyState.Release(16);
        GameSettingsTab& t = OpenTab(w);
        QVERIFY(t.cbBumpMap->isEnabled());
        QCOMPARE(t.cbBumpMap->checkState(), Qt::Checked);
        // The failed list offers only the stored resolution.
        QCOMPARE(Entries(t.cboFrontBuffer), QStringList{QStringLiteral("0 × 0")});

        const auto lines = f.TraceLines();
        auto at = [&](std::u16string_view text) {
            return std::find(lines.begin(), lines.end(), std::u16string(text)) - lines.begin();
        };
        const auto first = at(u"CheckD3D()");
        QVERIFY(first < std::ptrdiff_t(lines.size()));
        QCOMPARE(at(u"CheckDisplayMode()"), first + 1);
        QCOMPARE(at(u"ディスプレイ解像度の取得失敗"), first + 2);
        QVERIFY(first < at(u"LoadPreferences()"));
        // Bump mapping is asked once the window is shown, after the other start-up steps.
        QVERIFY(at(u"InitTextColor()") < at(u"BumpMap使用可能"));
        QVERIFY(at(u"BumpMap使用可能") < at(u"GetDisplayMode()"));
        // The tab switch asks for the desktop size.
        QCOMPARE(Q(lines.back()), QStringLiteral("Returns 1024, 768"));
        QCOMPARE(Q(lines[lines.size() - 2]), QStringLiteral("GetDisplayMode()"));
    }

    void tabWorksWhileTheBumpMappingProbeHangsOrFails() {
        for (const bool hangs : {true, false}) {
            WindowFixture f;
            f.fake.display.AddMode(1024, 768, 22);
            // A hanging probe would have said yes; a failed one gives no version.
            f.fake.display.vertexShaderVersion =
                hangs ? std::optional<uint32_t>(0x0300) : std::optional<uint32_t>();
            f.fake.display.deferAnswer = hangs;
            Put(f, u"0017", 1);
            wMenu& w = f.Start();
            GameSettingsTab& t = OpenTab(w);
            QCOMPARE(f.fake.display.vertexShaderQuestions, 1);
            QVERIFY(!t.cbBumpMap->isEnabled());
            QCOMPARE(t.cbBumpMap->checkState(), Qt::Checked);  // the stored value is shown
            QCOMPARE(Entries(t.cboFrontBuffer),
                     (QStringList{QStringLiteral("1024 × 768"), QStringLiteral("0 × 0")}));
            QTest::mouseClick(t.cbMipMap, Qt::LeftButton);
            QVERIFY(w.ContentModified);
            QCOMPARE(w.FileSave_Click(), SaveResult::Saved);
            QCOMPARE(Stored(f.fake.registry, u"0000"), 1);
            QCOMPARE(Stored(f.fake.registry, u"0017"), 1);  // kept although disabled
            // An answer after the window has gone must not reach it.
            f.window.reset();
            f.fake.display.Answer();
        }
    }

    void bumpMappingIsAskedAfterTheWindowIsShownAndEnabledWhenAnswered() {
        WindowFixture f;
        f.fake.display.AddMode(1024, 768, 22);
        f.fake.display.vertexShaderVersion = 0x0101;
        f.fake.display.deferAnswer = true;
        wMenu& w = f.Start(false);
        QCOMPARE(f.fake.display.vertexShaderQuestions, 0);
        w.FinishStartup();
        QCOMPARE(f.fake.display.vertexShaderQuestions, 1);
        GameSettingsTab& t = OpenTab(w);
        QVERIFY(!t.cbBumpMap->isEnabled());
        f.fake.display.Answer();
        QVERIFY(t.cbBumpMap->isEnabled());
        QVERIFY(!w.ContentModified);
        QTest::mouseClick(t.cbBumpMap, Qt::LeftButton);
        QVERIFY(w.ContentModified);
        QCOMPARE(w.FileSave_Click(), SaveResult::Saved);
        QCOMPARE(Stored(f.fake.registry, u"0017"), 1);
    }

    void failedWritesAreReportedAndKeepChanges() {
        WindowFixture f;
        f.fake.registry.failSet = [](std::u16string_view, std::u16string_view name) {
            return name == u"0000" || name == u"0023";
        };
        wMenu& w = f.Start();
        GameSettingsTab& t = OpenTab(w);
        QTest::mouseClick(t.cbMipMap, Qt::LeftButton);
        QCOMPARE(w.FileSave_Click(), SaveResult::Failed);
        QVERIFY(w.ContentModified);
        QCOMPARE(f.fake.messageBox.shown.size(), std::size_t(1));
        QVERIFY(Q(f.fake.messageBox.shown[0].text).contains(QStringLiteral("0000, 0023")));
        QCOMPARE(f.fake.registry.ValueCount(), std::size_t(11));
    }

    void outOfRangeBackBufferIsRefused() {
        WindowFixture f;
        wMenu& w = f.Start();
        GameSettingsTab& t = OpenTab(w);
        t.efBackBufferW->selectAll();
        QTest::keyClicks(t.efBackBufferW, QStringLiteral("999999"));
        QCOMPARE(t.efBackBufferW->text(), QStringLiteral("99999"));  // five characters
        QCOMPARE(w.FileSave_Click(), SaveResult::Failed);
        QVERIFY(w.ContentModified);
        QCOMPARE(f.fake.messageBox.shown.size(), std::size_t(1));
        QVERIFY(Q(f.fake.messageBox.shown[0].text).contains(QStringLiteral("幅")));
        QVERIFY(!f.fake.registry.HasKey(kGameSettingsKey));

        t.efBackBufferW->setText(QStringLiteral("1024"));
        QCOMPARE(w.FileSave_Click(), SaveResult::Saved);
        QCOMPARE(Stored(f.fake.registry, u"0003"), 1024);
    }

    // Letters never reach the box, an emptied box is refused like a number too large,
    // and the slider follows what is typed.
    void heightBoxTakesDigitsAndMovesItsSlider() {
        WindowFixture f;
        Put(f, u"0004", 1024);
        wMenu& w = f.Start();
        GameSettingsTab& t = OpenTab(w);
        QCOMPARE(t.sBackBufferH->value(), 2);
        t.efBackBufferH->selectAll();
        QTest::keyClicks(t.efBackBufferH, QStringLiteral("abc-"));
        QCOMPARE(t.efBackBufferH->text(), QStringLiteral("1024"));  // refused as typed
        t.efBackBufferH->selectAll();
        QTest::keyClick(t.efBackBufferH, Qt::Key_Delete);
        QCOMPARE(t.efBackBufferH->text(), QString());
        QCOMPARE(w.FileSave_Click(), SaveResult::Failed);
        QCOMPARE(f.fake.messageBox.shown.size(), std::size_t(1));
        QVERIFY(
            Q(f.fake.messageBox.shown[0].text)
                .startsWith(QStringLiteral(
                    "内部解像度の「高さ」には -32768 から 32767 までの数を入力してください。")));
        QCOMPARE(Stored(f.fake.registry, u"0004"), 1024);  // nothing written
        QVERIFY(!f.fake.registry.Peek(kGameSettingsKey, u"0007"));

        const struct {
            const char* typed;
            int step;
        } cases[] = {{"480", 1}, {"256", 0}, {"513", 2}, {"0", 0}, {"512", 1}};
        for (const auto& c : cases) {
            t.efBackBufferH->selectAll();
            QTest::keyClicks(t.efBackBufferH, QString::fromLatin1(c.typed));
            QCOMPARE(t.sBackBufferH->value(), c.step);
        }
        t.sBackBufferH->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(t.efBackBufferH->text(), QStringLiteral("1024"));
        QCOMPARE(t.sBackBufferH->value(), 2);
        QCOMPARE(w.FileSave_Click(), SaveResult::Saved);
        QCOMPARE(Stored(f.fake.registry, u"0004"), 1024);
    }
};

QTEST_MAIN(GameSettingsTabTest)
#include "GameSettingsTabTest.moc"
