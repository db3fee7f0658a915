// Undoing a long history on the real window: 1000 typing steps spread over ten sets and
// twenty macros, each undo restoring its bytes and showing its set and macro. The
// reference, timed in the same run, is showing a set and macro 1000 times, the least
// any undo that shows its change has to do. Goal: all 1000 undone in under a second.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>

#include "editor/EditHistory.h"
#include "editor/MacroTab.h"
#include "support/WindowFixture.h"

namespace {

using namespace qm;
using Clock = std::chrono::steady_clock;

constexpr int kSteps = 1000;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

void UndoOfAThousandSteps(benchmark::State& state) {
    test::WindowFixture f;
    f.fake.dialogs.folders.push_back(f.dir.Text("c"));
    f.fake.messageBox.answers = {MsgAnswer::Ok};
    wMenu& w = f.Start();
    MacroTab& tab = *w.macroTab;
    for (int i = 0; i < kSteps; ++i) {
        if (i % 10 == 0) tab.pbSet_Click((i / 10) % kSetCount);
        tab.efTitle_GotFocus(i % kMacrosPerSet);
        w.history->Seal();
        tab.efLine[std::size_t(i % kLinesPerMacro)]->setText(QStringLiteral("/p step %1").arg(i));
    }
    if (w.history->Count() != kSteps) {
        state.SkipWithError("the history does not hold one step per edit");
        return;
    }
    double undo = 0, reference = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        for (int i = 0; i < kSteps; ++i) w.history->Undo();
        const auto undone = Clock::now();
        for (int i = 0; i < kSteps; ++i) tab.ShowSet(0, (i / 10) % kSetCount, i % kMacrosPerSet);
        const auto shown = Clock::now();
        state.SetIterationTime(Seconds(undone - start));
        undo += Seconds(undone - start);
        reference += Seconds(shown - undone);
        for (int i = 0; i < kSteps; ++i) w.history->Redo();
    }
    const double n = double(state.iterations());
    state.counters["undo_s"] = undo / n;
    state.counters["reference_s"] = reference / n;
    state.counters["ratio_to_reference"] = undo / reference;
    state.counters["ratio_to_1s_goal"] = undo / n;
}
BENCHMARK(UndoOfAThousandSteps)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
