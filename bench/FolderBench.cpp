// Opening a character folder reads all 40 books: 400 file names, most of them missing in
// a usual folder. ReadMacroFolder against plain open/read/close of the same names,
// measured in the same run; the last lines print the ratio and the time of a folder with
// all 400 files against the goal of 20 ms.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "macro/MacroFolder.h"
#include "storage/Paths.h"
#include "storage/Utf.h"

namespace {

using namespace qm;
namespace fs = std::filesystem;

// A folder with the first `files` macro files, each a whole record.
fs::path MakeFolder(const std::string& name, int files) {
    fs::path folder =
        fs::temp_directory_path() / ("quillmor-bench-" + std::to_string(::getpid())) / name;
    fs::create_directories(folder);
    for (int n = 0; n < files; ++n) {
        MacroFile set;
        StoreFieldText(set.Title(0), u"bench");
        WriteMacroFile(TextFromPath(folder / Utf16ToUtf8(MacroFileName(n))), set);
    }
    return folder;
}

// As the window reads a folder: into the memory the last folder read used.
void ReadTheFolder(benchmark::State& state, const fs::path& folder) {
    const std::u16string text = TextFromPath(folder) + u"/";
    MacroFolderContent content;
    for (auto _ : state) {
        ReadMacroFolderInto(text, content);
        benchmark::DoNotOptimize(content);
    }
}

void PlainReads(benchmark::State& state, const fs::path& folder) {
    std::vector<std::string> paths;
    for (int n = 0; n < kMacroFileCount; ++n)
        paths.push_back((folder / Utf16ToUtf8(MacroFileName(n))).string());
    std::vector<uint8_t> buffer(kMacroFileSize);
    for (auto _ : state) {
        for (const std::string& path : paths) {
            int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) continue;
            benchmark::DoNotOptimize(::read(fd, buffer.data(), buffer.size()));
            ::close(fd);
        }
    }
}

class Collector : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                ms[run.benchmark_name()] = run.GetAdjustedRealTime() /
                                           benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e3;
        }
    }
    std::map<std::string, double> ms;
};

}  // namespace

int main(int argc, char** argv) {
    const fs::path all = MakeFolder("all", kMacroFileCount);
    const fs::path book1 = MakeFolder("book1", kSetCount);
    for (auto [name, folder] : {std::pair{"all400", all}, std::pair{"book1only", book1}}) {
        benchmark::RegisterBenchmark((std::string("ReadMacroFolder/") + name).c_str(),
                                     ReadTheFolder, folder)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("PlainReads/") + name).c_str(), PlainReads,
                                     folder)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(all.parent_path(), ec);

    const double folder = collector.ms["ReadMacroFolder/all400"];
    const double plain = collector.ms["PlainReads/all400"];
    if (folder > 0 && plain > 0) {
        std::printf("open of a folder with all 400 files: %.2f ms (goal: 20 ms or less)\n", folder);
        std::printf("ratio ReadMacroFolder / plain reads (400 files): %.2f\n", folder / plain);
    }
    return 0;
}
