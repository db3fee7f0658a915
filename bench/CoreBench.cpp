// Timings of the work a folder open or a save repeats: the digest of a macro block, the
// CP932 conversions of its 140 fields, and parsing a prefix's registry file. The digest
// is also timed against OpenSSL's MD5() as the reference, and the ratio printed last.
#include <benchmark/benchmark.h>

// MD5() is deprecated in OpenSSL 3 but is exactly the one-shot digest we compare with.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/md5.h>

#include <cstdio>
#include <map>
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
BENCHMARK(DigestOfAMacroBlock)->Repetitions(5);

void DigestOfAMacroBlockOpenSsl(benchmark::State& state) {
    std::vector<uint8_t> block(kMacroBlockSize, 0x41);
    unsigned char digest[MD5_DIGEST_LENGTH];
    for (auto _ : state) {
        MD5(block.data(), block.size(), digest);
        benchmark::DoNotOptimize(digest);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(block.size()));
}
BENCHMARK(DigestOfAMacroBlockOpenSsl)->Repetitions(5);

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

// Keeps the median time of each repeated benchmark besides printing as usual.
class MedianRecorder : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.aggregate_name == "median")
                medians[run.run_name.function_name] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> medians;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    MedianRecorder reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const auto ours = reporter.medians.find("DigestOfAMacroBlock");
    const auto reference = reporter.medians.find("DigestOfAMacroBlockOpenSsl");
    if (ours != reporter.medians.end() && reference != reporter.medians.end() && ours->second > 0)
        std::printf("MD5 of a 7600-byte block: %.2fx the throughput of OpenSSL MD5()\n",
                    reference->second / ours->second);
    return 0;
}
