// The macro preview and the colour sample, painted by the real window.
#include <QLineEdit>
#include <QTest>
#include <map>

#include "app/MainWindow.h"
#include "config/ColorTab.h"
#include "editor/MacroTab.h"
#include "preview/PreviewBoxes.h"
#include "preview/PreviewPainter.h"
#include "support/WindowFixture.h"

using namespace qm;
using namespace qm::test;

namespace {

const QColor kSayColour(250, 60, 60);
const QColor kPartyColour(60, 250, 60);
const QColor kSystemColour(250, 250, 60);

std::vector<uint8_t> Cnf() {
    std::vector<uint8_t> bytes(216);
    auto set = [&](int entry, const QColor& c) {
        const std::size_t at = 80 + 4 * std::size_t(entry);
        bytes[at] = uint8_t(c.blue());
        bytes[at + 1] = uint8_t(c.green());
        bytes[at + 2] = uint8_t(c.red());
    };
    set(0, kSayColour);
    set(3, kPartyColour);
    set(22, kSystemColour);
    return bytes;
}

// Rows of the image that hold pixels of exactly this colour: first, last and count.
struct Rows {
    int first = -1, last = -1, pixels = 0;
};
Rows RowsOf(const QImage& image, const QColor& colour) {
    Rows rows;
    const QRgb want = colour.rgb();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != want) continue;
            if (rows.first < 0) rows.first = y;
            rows.last = y;
            ++rows.pixels;
        }
    }
    return rows;
}

struct PreviewFixture : WindowFixture {
    MacroTab* tab = nullptr;
    MacroPreviewBox* box = nullptr;

    void Open() {
        dir.Write("a/cnf.dat", Cnf());
        fake.dialogs.folders.push_back(dir.Text("a"));
        Start();
        tab = window->macroTab;
        box = static_cast<MacroPreviewBox*>(tab->pctMacro);
        tab->efMyname->setText(QStringLiteral("Taro"));
    }
    void SetLines(std::initializer_list<const char16_t*> lines) {
        int k = 0;
        for (const char16_t* line : lines) tab->efLine[std::size_t(k++)]->setText(Q(line));
    }
    QImage Render() { return box->grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

}  // namespace

class PreviewPaintTest : public QObject {
    Q_OBJECT
  private slots:
    void linesArePrintedTopDownInTheirEntryColours() {
        PreviewFixture f;
        f.Open();
        f.SetLines({u"", u"hello", u"/unknown", u"/p team", u"/map", u""});
        const QImage image = f.Render();
        QCOMPARE(image.size(), QSize(409, 145));
        QVERIFY(f.box->LastOutput() ==
                (std::vector<OutputLine>{{0, u"Taro : hello"},
                                         {3, u"(Taro) team"},
                                         {22, u"この地方のマップは存在しません。"}}));
        const Rows say = RowsOf(image, kSayColour);
        const Rows party = RowsOf(image, kPartyColour);
        const Rows system = RowsOf(image, kSystemColour);
        QVERIFY2(say.pixels > 20 && party.pixels > 20 && system.pixels > 20, "text pixels");
        // One text line after the other from the top, with no gap for silent lines.
        const QFont font = PreviewFont();
        QVERIFY(say.first < PreviewBaseline(font, 0));
        QVERIFY(say.last < party.first);
        QVERIFY(party.last < system.first);
        QVERIFY(system.last <= PreviewBaseline(font, 2) + 5);
    }

    void emptyMacroShowsOnlyTheTiledTexture() {
        PreviewFixture f;
        f.Open();
        f.SetLines({u"", u"", u"", u"", u"", u""});
        const QImage image = f.Render();
        const QImage texture =
            f.window->colorTab->WindowTexture.convertToFormat(QImage::Format_RGB32);
        QVERIFY(f.box->LastOutput().empty());
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb expected = y < texture.height() ? texture.pixel(x % texture.width(), y)
                                                           : kPreviewBackground.rgb();
                if (image.pixel(x, y) != expected)
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
            }
        }
    }

    void alphaNeverChangesTheDrawing() {
        PreviewFixture f;
        f.Open();
        f.SetLines({u"hello", u"/p x", u"/map", u"", u"", u""});
        const QImage before = f.Render();
        for (int entry : {0, 3, 22}) f.window->Cnf().SetColorByte(entry, ColorByte::Alpha, 255);
        QCOMPARE(f.Render(), before);
        f.window->Cnf().SetColorByte(3, ColorByte::Green, 100);
        QVERIFY(f.Render() != before);
    }

    void chatModeOfOnePaintDoesNotReachTheNext() {
        PreviewFixture f;
        f.Open();
        f.SetLines({u"/cm p", u"a", u"", u"", u"", u""});
        f.Render();
        QVERIFY(f.box->LastOutput() == (std::vector<OutputLine>{{3, u"(Taro) a"}}));
        f.SetLines({u"a", u"", u"", u"", u"", u""});
        f.Render();
        QVERIFY(f.box->LastOutput() == (std::vector<OutputLine>{{0, u"Taro : a"}}));
    }

    void leavingALineBoxRepaints() {
        PreviewFixture f;
        f.Open();
        QLineEdit* line = f.tab->efLine[0];
        line->setFocus();
        QTest::keyClicks(line, QStringLiteral("/p ok"));
        QTest::mouseClick(f.tab->efLine[1], Qt::LeftButton);
        QTRY_VERIFY(!f.box->LastOutput().empty() &&
                    f.box->LastOutput().front() == (OutputLine{3, u"(Taro) ok"}));
    }

    void withoutTextureNothingIsPaintedOrDrawn() {
        PreviewFixture f;
        f.Open();
        f.SetLines({u"/random", u"", u"", u"", u"", u""});
        f.window->colorTab->WindowTexture = QImage();
        f.box->grab();
        QVERIFY(f.box->LastOutput().empty());
    }

    void sampleMessageStandsOnTheSecondLineInTheChosenColour() {
        PreviewFixture f;
        f.Open();
        TextColorSampleBox* sample = f.window->colorTab->pctTextColor;
        sample->SetForeColor(QColor(255, 128, 0));
        const QImage image = sample->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(image.size(), QSize(321, 121));
        const Rows rows = RowsOf(image, QColor(255, 128, 0));
        QVERIFY(rows.pixels > 20);
        QVERIFY(rows.first > PreviewBaseline(PreviewFont(), 0));
        QVERIFY(rows.last <= PreviewBaseline(PreviewFont(), 1) + 5);
    }
};

QTEST_MAIN(PreviewPaintTest)
#include "PreviewPaintTest.moc"
