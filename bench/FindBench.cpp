// `quillmor-cli find` over ten characters of 400 macro files each, against
// `grep -c -F` of the same text's CP932 bytes over the same 4000 files. Both run as
// programs, each the best of several runs (the files stay in the page cache). The last
// line is the ratio (goal: 3 or less).
//
//   quillmor_find_bench [runs]

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "macro/Cp932.h"
#include "macro/MacroFile.h"
#include "macro/MacroFolder.h"
#include "storage/Utf.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace qm;

// A full set: every title and line holds a command, one line in seven names the spell.
MacroFile BusySet(int seed) {
    static const char16_t* kLines[] = {u"/ma \"ケアルII\" <stpt>",
                                       u"/ja \"挑発\" <t>",
                                       u"/wait 3",
                                       u"/p MP回復します <call14>",
                                       u"/equip main \"エクスカリバー\"",
                                       u"/ws \"サベッジブレード\" <t>",
                                       u"/echo ---- <me> ----"};
    MacroFile set;
    for (int m = 0; m < kMacrosPerSet; ++m) {
        StoreFieldText(set.Title(m), m % 3 ? u"ＷＳ" : u"回復");
        for (int k = 0; k < kLinesPerMacro; ++k)
            StoreFieldText(set.Line(m, k), kLines[std::size_t(seed + m + k) % 7]);
    }
    return set;
}

double Run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        std::exit(2);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) {
        std::fprintf(stderr, "%s failed\n", argv[0]);
        std::exit(2);
    }
    return std::chrono::duration<double, std::milli>(end - start).count();
}

double Best(const std::vector<std::string>& args, int runs) {
    double best = 1e18;
    for (int i = 0; i < runs; ++i) best = std::min(best, Run(args));
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const fs::path root =
        fs::temp_directory_path() / ("quillmor-find-bench-" + std::to_string(::getpid()));
    std::vector<std::string> folders, files;
    for (int c = 0; c < 10; ++c) {
        const fs::path folder = root / ("character" + std::to_string(c));
        fs::create_directories(folder);
        folders.push_back(folder.string());
        for (int n = 0; n < kMacroFileCount; ++n) {
            const MacroFile record = RecordToWrite(BusySet(c + n));
            const fs::path path = folder / Utf16ToUtf8(MacroFileName(n));
            std::ofstream(path, std::ios::binary)
                .write(reinterpret_cast<const char*>(record.bytes.data()), kMacroFileSize);
            files.push_back(path.string());
        }
    }
    const std::u16string pattern = u"ケアルII";
    const std::vector<uint8_t> bytes = Cp932Encode(pattern);

    std::vector<std::string> find = {QUILLMOR_CLI_PATH, "find", Utf16ToUtf8(pattern)};
    find.insert(find.end(), folders.begin(), folders.end());
    std::vector<std::string> grep = {"grep", "-c", "-F", std::string(bytes.begin(), bytes.end())};
    grep.insert(grep.end(), files.begin(), files.end());

    Run(find);  // warm the page cache
    Run(grep);
    const double grepMs = Best(grep, runs);
    const double findMs = Best(find, runs);
    fs::remove_all(root);
    std::printf("grep -c -F, 4000 files:   %8.2f ms\n", grepMs);
    std::printf("quillmor-cli find, 10 characters: %8.2f ms\n", findMs);
    std::printf("ratio %.2f\n", findMs / grepMs);
    return 0;
}
