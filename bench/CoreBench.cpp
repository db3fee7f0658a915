// Timings of the work a folder open or a save repeats: the digest of a macro block, the
// CP932 conversions of its 140 fields, and parsing a prefix's registry file.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "macro/Cp932.h"
#include "macro/MacroFile.h"
#include "macro/Md5.h"
#include "platform/linux/WineRegFormat.h"

namespace {

using namespace qm;

void DigestOfAMacroBlock(benchmark::State& state) {
    std::vector<uint8_t> block(kMacroBlockSize, 0x41);
    for (auto _ : state) benchmark::DoNotOptimize(Md5Digest(block));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(block.size()));
}
BENCHMARK(DigestOfAMacroBlock);

void ReadAndStoreEveryField(benchmark::State& state) {
    MacroFile file;
    for (int m = 0; m < kMacrosPerSet; ++m) {
        StoreFieldText(file.Title(m), u"ケアル");
        for (int k = 0; k < kLinesPerMacro; ++k) StoreFieldText(file.Line(m, k), u"/ma ケアル <t>");
    }
    for (auto _ : state) {
        for (int m = 0; m < kMacrosPerSet; ++m) {
            StoreEditedText(file.Title(m), ReadFieldText(file.Title(m)));
            for (int k = 0; k < kLinesPerMacro; ++k)
                StoreEditedText(file.Line(m, k), ReadFieldText(file.Line(m, k)));
        }
    }
}
BENCHMARK(ReadAndStoreEveryField);

void ParseALargePrefixRegistry(benchmark::State& state) {
    std::string text =
        "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n";
    for (int k = 0; text.size() < 1700000; ++k) {
        text += "[Software\\\\Vendor" + std::to_string(k) + "\\\\Product] 1700000000\n";
        text += "#time=1d9000000000000\n";
        for (int v = 0; v < 8; ++v)
            text += "\"Value" + std::to_string(v) + "\"=\"Some text " + std::to_string(v) + "\"\n";
        text += "\n";
    }
    for (auto _ : state) benchmark::DoNotOptimize(WineRegDocument::Parse(text));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(ParseALargePrefixRegistry)->Unit(benchmark::kMillisecond);

}  // namespace
