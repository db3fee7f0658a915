// The colour tab: the tree, the sliders and their guards, and saving cnf.dat.
#include <QSlider>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>

#include "app/MainWindow.h"
#include "config/ColorTab.h"
#include "preview/PreviewBoxes.h"
#include "preview/PreviewPainter.h"
#include "support/WindowFixture.h"

using namespace qm;
using namespace qm::test;

namespace {

// A cnf.dat whose entry 5 holds blue 10, green 20, red 30, alpha 40.
std::vector<uint8_t> CnfWithEntry5(std::size_t size) {
    std::vector<uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = uint8_t(i * 13 + 1);
    const std::size_t at = 80 + 4 * 5;
    bytes[at] = 10;
    bytes[at + 1] = 20;
    bytes[at + 2] = 30;
    bytes[at + 3] = 40;
    bytes[56] = 0;
    bytes[57] = bytes[58] = bytes[59] = 0;
    return bytes;
}

QTreeWidgetItem* Node(ColorTab& tab, const QString& key) {
    QTreeWidgetItemIterator it(tab.tvTextColor);
    for (; *it; ++it)
        if ((*it)->data(0, Qt::UserRole).toString() == key) return *it;
    return nullptr;
}

void ClickNode(ColorTab& tab, const QString& key) {
    QTreeWidgetItem* node = Node(tab, key);
    QVERIFY(node != nullptr);
    QRect r = tab.tvTextColor->visualItemRect(node);
    QTest::mouseClick(tab.tvTextColor->viewport(), Qt::LeftButton, {}, r.center());
}

// Counts the paints a widget receives.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

struct ColorFixture : WindowFixture {
    // Starts with folder "a" holding the given cnf.dat and shows the colour tab.
    ColorTab& StartWith(const std::vector<uint8_t>& cnf) {
        dir.Write("a/cnf.dat", cnf);
        fake.dialogs.folders.push_back(dir.Text("a"));
        wMenu& w = Start();
        w.tsMenu->setCurrentIndex(1);
        QApplication::processEvents();
        return *w.colorTab;
    }
};

}  // namespace

class ColorTabTest : public QObject {
    Q_OBJECT
  private slots:
    void treeHasFourExpandedGroupsInOrder() {
        ColorFixture f;
        ColorTab& tab = f.StartWith(CnfWithEntry5(216));
        QCOMPARE(tab.tvTextColor->topLevelItemCount(), 4);
        const char16_t* keys[4] = {u"talk", u"me", u"others", u"system"};
        const int children[4] = {8, 6, 6, 3};
        for (int g = 0; g < 4; ++g) {
            QTreeWidgetItem* group = tab.tvTextColor->topLevelItem(g);
            QCOMPARE(group->data(0, Qt::UserRole).toString(), Q(keys[g]));
            QVERIFY(group->isExpanded());
            QCOMPARE(group->childCount(), children[g]);
        }
        QCOMPARE(tab.tvTextColor->topLevelItem(0)->text(0), QStringLiteral("会話"));
        QCOMPARE(tab.tvTextColor->topLevelItem(3)->child(2)->text(0),
                 QStringLiteral("一部のシステムメッセージ"));
        QCOMPARE(tab.tvTextColor->topLevelItem(3)->child(2)->data(0, Qt::UserRole).toString(),
                 QStringLiteral("22 node"));
        // Nothing chosen yet: the sliders cannot be moved.
        QCOMPARE(int(f.window->SelectedColorEntry), -1);
        QVERIFY(!tab.sTextColorR->isEnabled());
    }

    void entryClickFillsSlidersWithoutMarkingChanges() {
        ColorFixture f;
        ColorTab& tab = f.StartWith(CnfWithEntry5(216));
        ClickNode(tab, QStringLiteral("5 node"));
        QCOMPARE(int(f.window->SelectedColorEntry), 5);
        QCOMPARE(tab.sTextColorR->value(), 30);
        QCOMPARE(tab.sTextColorG->value(), 20);
        QCOMPARE(tab.sTextColorB->value(), 10);
        QCOMPARE(tab.sTextColorA->value(), 40);
        QVERIFY(tab.sTextColorA->isEnabled());
        QCOMPARE(tab.pctTextColor->ForeColor(), QColor(30, 20, 10));
        QVERIFY(!f.window->ContentModified);
        // Filling the sliders wrote nothing back.
        QCOMPARE(f.window->Cnf().Color(5), (TextColor{10, 20, 30, 40}));
    }

    void alphaStoresByte3WithoutRepaintingRedDoesRepaint() {
        ColorFixture f;
        ColorTab& tab = f.StartWith(CnfWithEntry5(216));
        ClickNode(tab, QStringLiteral("5 node"));
        QApplication::processEvents();
        PaintCounter counter;
        tab.pctTextColor->installEventFilter(&counter);

        tab.sTextColorA->setFocus();
        QTest::keyClick(tab.sTextColorA, Qt::Key_Right);
        QApplication::processEvents();
        QCOMPARE(f.window->Cnf().ColorByteAt(5, ColorByte::Alpha), uint8_t(41));
        QVERIFY(f.window->ContentModified);
        QCOMPARE(counter.paints, 0);

        tab.sTextColorR->setFocus();
        QTest::keyClick(tab.sTextColorR, Qt::Key_PageUp);
        QApplication::processEvents();
        QCOMPARE(f.window->Cnf().Color(5), (TextColor{10, 20, 35, 41}));
        QCOMPARE(tab.pctTextColor->ForeColor(), QColor(35, 20, 10));
        QVERIFY(counter.paints > 0);
    }

    void groupNodeDeselectsAndDisablesWithoutTouchingTheEntry() {
        ColorFixture f;
        ColorTab& tab = f.StartWith(CnfWithEntry5(216));
        ClickNode(tab, QStringLiteral("5 node"));
        ClickNode(tab, QStringLiteral("talk"));
        QCOMPARE(int(f.window->SelectedColorEntry), -1);
        for (QSlider* s : {tab.sTextColorR, tab.sTextColorG, tab.sTextColorB, tab.sTextColorA}) {
            QCOMPARE(s->value(), 0);
            QVERIFY(!s->isEnabled());
        }
        QCOMPARE(f.window->Cnf().Color(5), (TextColor{10, 20, 30, 40}));
        QCOMPARE(tab.pctTextColor->ForeColor(), QColor(30, 20, 10));
        QVERIFY(!f.window->ContentModified);
    }

    // After another folder is opened nothing looks chosen that is not: no highlight, no
    // live sliders, and the sample in the new folder's say colour.
    void openingAnotherFolderClearsTheChoice() {
        ColorFixture f;
        ColorTab& tab = f.StartWith(CnfWithEntry5(216));
        ClickNode(tab, QStringLiteral("5 node"));
        std::vector<uint8_t> other = CnfWithEntry5(216);
        other[80] = 200;  // say: blue 200, green 80, red 240
        other[81] = 80;
        other[82] = 240;
        f.dir.Write("b/cnf.dat", other);
        f.fake.dialogs.folders.push_back(f.dir.Text("b"));
        f.window->FileOpen_Click();
        QCOMPARE(int(f.window->SelectedColorEntry), -1);
        QVERIFY(tab.tvTextColor->selectedItems().isEmpty());
        QVERIFY(tab.tvTextColor->currentItem() == nullptr);
        for (QSlider* s : {tab.sTextColorR, tab.sTextColorG, tab.sTextColorB, tab.sTextColorA}) {
            QVERIFY(!s->isEnabled());
            QCOMPARE(s->value(), 0);
        }
        QCOMPARE(tab.pctTextColor->ForeColor(), QColor(240, 80, 200));
        QVERIFY(!f.window->ContentModified);
        // Choosing the entry again works as before.
        ClickNode(tab, QStringLiteral("5 node"));
        QCOMPARE(int(f.window->SelectedColorEntry), 5);
        QCOMPARE(tab.sTextColorR->value(), 30);
        QVERIFY(tab.sTextColorR->isEnabled());
    }

    // Before anything is chosen the sample is not black on the dark background: without a
    // folder it shows no message at all, with one it shows the say colour.
    void sampleBeforeAnEntryIsChosen() {
        ColorFixture f;
        f.Start();
        ColorTab& tab = *f.window->colorTab;
        f.window->tsMenu->setCurrentIndex(1);
        QVERIFY(!tab.pctTextColor->isEnabled());
        const QImage empty = tab.pctTextColor->grab().toImage();
        tab.pctTextColor->SetForeColor(Qt::white);
        QCOMPARE(tab.pctTextColor->grab().toImage(), empty);  // no message drawn in any colour

        std::vector<uint8_t> cnf = CnfWithEntry5(216);
        cnf[80] = 255;  // say: white
        cnf[81] = 255;
        cnf[82] = 255;
        f.dir.Write("a/cnf.dat", cnf);
        f.fake.dialogs.folders.push_back(f.dir.Text("a"));
        f.window->FileOpen_Click();
        QVERIFY(tab.pctTextColor->isEnabled());
        QCOMPARE(tab.pctTextColor->ForeColor(), QColor(255, 255, 255));
        QVERIFY(tab.pctTextColor->grab().toImage() != empty);
    }

    void saveWritesTheColourAndKeepsTheTail() {
        ColorFixture f;
        const std::vector<uint8_t> original = CnfWithEntry5(300);
        ColorTab& tab = f.StartWith(original);
        ClickNode(tab, QStringLiteral("5 node"));
        tab.sTextColorB->setFocus();
        QTest::keyClick(tab.sTextColorB, Qt::Key_Right);
        QCOMPARE(f.window->FileSave_Click(), SaveResult::Saved);
        std::vector<uint8_t> expected = original;
        expected[80 + 4 * 5] = 11;
        QVERIFY(f.dir.Read("a/cnf.dat") == expected);
        QVERIFY(!f.window->ContentModified);
    }

    void textureFollowsTheBackgroundNumberOfTheOpenedFolder() {
        ColorFixture f;
        std::vector<uint8_t> cnf = CnfWithEntry5(216);
        cnf[56] = 3;
        ColorTab& tab = f.StartWith(cnf);
        QCOMPARE(tab.WindowTexture, LoadWindowTextureImage(104));
        cnf[56] = 9;
        f.dir.Write("b/cnf.dat", cnf);
        f.fake.dialogs.folders.push_back(f.dir.Text("b"));
        f.window->FileOpen_Click();
        QCOMPARE(tab.WindowTexture, LoadWindowTextureImage(101));
        QVERIFY(LoadWindowTextureImage(101) != LoadWindowTextureImage(104));
    }

    void startUpShowsTexture101() {
        ColorFixture f;
        f.Start();
        QCOMPARE(f.window->colorTab->WindowTexture.size(), QSize(321, 118));
        QCOMPARE(f.window->colorTab->WindowTexture, LoadWindowTextureImage(101));
    }
};

QTEST_MAIN(ColorTabTest)
#include "ColorTabTest.moc"
