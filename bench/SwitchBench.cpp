// Switching between two open characters in the window, each with all 40 books and an
// unsaved edit: every tab shows the other character, each keeping its edits and undo
// history. The reference, timed in the same run and interleaved, is opening the same
// folder again through the window (which a switch must beat by far). The last line prints
// the median switch time against the goal of 50 ms.
//
//   quillmor_switch_bench
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "Median.h"
#include "editor/MacroTab.h"
#include "support/WindowFixture.h"

namespace {

using namespace qm;
using Clock = std::chrono::steady_clock;

constexpr int kRounds = 201;

double Ms(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    test::WindowFixture f;
    for (const char* character : {"a", "b", "c"}) {
        for (int n = 0; n < kMacroFileCount; ++n) {
            MacroFile set;
            for (int m = 0; m < kMacrosPerSet; ++m) {
                StoreFieldText(set.Title(m), u"ケアル");
                StoreFieldText(set.Line(m, 0), u"/ma ケアル <t>");
            }
            UpdateMacroDigest(set);
            f.dir.Write(std::string(character) + "/" + Utf16ToUtf8(MacroFileName(n)),
                        std::vector<uint8_t>(set.bytes.begin(), set.bytes.end()));
        }
        f.dir.Write(std::string(character) + "/cnf.dat", std::vector<uint8_t>(216, 0));
    }
    f.fake.dialogs.folders.push_back(f.dir.Text("a"));
    wMenu& w = f.Start();
    const int a = w.ShownCharacter();
    f.fake.dialogs.folders.push_back(f.dir.Text("b"));
    w.FileOpen_Click();
    const int b = w.ShownCharacter();
    // An unsaved edit in each, so that a switch carries an undo history both ways.
    for (int character : {a, b}) {
        w.ShowCharacter(character);
        w.macroTab->efTitle[0]->setFocus();
        QTest::keyClicks(w.macroTab->efTitle[0], QStringLiteral("x"));
    }
    f.fake.dialogs.folders.push_back(f.dir.Text("c"));
    w.FileOpen_Click();
    const int c = w.ShownCharacter();

    std::vector<double> switches, opens;
    for (int i = 0; i < kRounds; ++i) {
        auto start = Clock::now();
        w.ShowCharacter(i % 2 ? a : b);
        QApplication::processEvents();
        switches.push_back(Ms(start));
        w.ShowCharacter(c);
        f.fake.dialogs.folders.push_back(f.dir.Text("c"));
        start = Clock::now();
        w.FileOpen_Click();
        QApplication::processEvents();
        opens.push_back(Ms(start));
    }
    w.ShowCharacter(a);
    if (!w.ContentModified || !w.macroTab->efTitle[0]->text().contains(QLatin1Char('x')) ||
        !w.CharacterData(b)->ContentModified) {
        std::fprintf(stderr, "a switch lost an edit\n");
        return 1;
    }
    const double measured = Median(switches), reference = Median(opens);
    std::printf("open of a 400-file folder through the window: %.3f ms\n", reference);
    std::printf("switch between two 400-file characters: %.3f ms, %.2f of an open\n", measured,
                measured / reference);
    std::printf("switch %.3f ms, ratio to the 50 ms goal %.3f (goal < 1)\n", measured,
                measured / 50.0);
    return 0;
}
