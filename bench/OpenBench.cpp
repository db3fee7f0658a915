// Opening a character folder through the window, as the File menu's open does: the
// folder picker answers at once, then the window reads the 400 macro file names, cnf.dat
// and acq.dat and shows set 1. The reference, timed in the same run, interleaved, is
// plain open/read/close of the files that are there. The last line prints the ratio;
// goal: 3 or less for a folder with book 1 only, 1.5 for one with all 40 books.
//
//   quillmor_open_bench [books]   (default 1)
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "Median.h"
#include "support/WindowFixture.h"

namespace {

using namespace qm;
using Clock = std::chrono::steady_clock;

constexpr int kRounds = 201;

void PlainReads(const std::vector<std::string>& paths, std::vector<uint8_t>& buffer) {
    for (const std::string& path : paths) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        if (::read(fd, buffer.data(), buffer.size()) < 0) std::perror("read");
        ::close(fd);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int books = argc > 1 ? std::max(1, std::min(kBookCount, std::atoi(argv[1]))) : 1;

    test::WindowFixture f;
    for (int n = 0; n < books * kSetCount; ++n) {
        MacroFile set;
        for (int m = 0; m < kMacrosPerSet; ++m) {
            StoreFieldText(set.Title(m), u"ケアル");
            StoreFieldText(set.Line(m, 0), u"/ma ケアル <t>");
        }
        UpdateMacroDigest(set);
        f.dir.Write("c/" + Utf16ToUtf8(MacroFileName(n)),
                    std::vector<uint8_t>(set.bytes.begin(), set.bytes.end()));
    }
    f.dir.Write("c/cnf.dat", std::vector<uint8_t>(216, 0));
    f.dir.Write("c/acq.dat", std::vector<uint8_t>(24 + 16 * 20, 0x41));
    const std::u16string folder = f.dir.Text("c");
    f.fake.dialogs.folders.push_back(folder);
    wMenu& w = f.Start();

    // The files that are there; a reader that knew which they are need not look for more.
    std::vector<std::string> paths;
    for (int n = 0; n < books * kSetCount; ++n)
        paths.push_back(f.dir.Path("c/" + Utf16ToUtf8(MacroFileName(n))).string());
    paths.push_back(f.dir.Path("c/cnf.dat").string());
    paths.push_back(f.dir.Path("c/acq.dat").string());
    std::vector<uint8_t> buffer(kMacroFileSize);

    std::vector<double> open, plain;
    for (int i = 0; i < kRounds; ++i) {
        f.fake.dialogs.folders.push_back(folder);
        auto start = Clock::now();
        w.FileOpen_Click();
        open.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        start = Clock::now();
        PlainReads(paths, buffer);
        plain.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    if (!f.fake.dialogs.folders.empty() || w.ContentModified) {
        std::fprintf(stderr, "the window did not open the folder every time\n");
        return 1;
    }
    const double measured = Median(open), reference = Median(plain);
    std::printf("open through the window, %d book(s) of %d files: %.3f ms, plain reads %.3f ms\n",
                books, books * kSetCount, measured, reference);
    std::printf("ratio %.2f (goal <= %.1f)\n", measured / reference, books == 1 ? 3.0 : 1.5);
    return 0;
}
