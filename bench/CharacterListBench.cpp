// Listing a player's characters with their book titles, as the window does at start-up:
// ten character folders of 400 macro files and both title files each under one USER
// folder. The reference, timed in the same run, interleaved, is a plain listing of USER
// and open/read/close of the 20 title files. The last line prints the ratio of the
// medians; goal: 2 or less.
//
//   quillmor_charlist_bench [rounds]   (default 401)
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "document/CharacterList.h"
#include "macro/BookTitles.h"
#include "macro/MacroFolder.h"
#include "storage/Paths.h"
#include "storage/Utf.h"

namespace {

using namespace qm;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void WriteFile(const fs::path& path, const uint8_t* bytes, std::size_t size) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes), size);
}

// What a reader that knew where the characters are would do: list USER once, then read
// each title file whole.
std::size_t PlainReads(const std::string& user, const std::vector<std::string>& titles,
                       std::vector<uint8_t>& buffer) {
    std::size_t entries = 0;
    if (DIR* dir = ::opendir(user.c_str())) {
        while (::readdir(dir)) ++entries;
        ::closedir(dir);
    }
    for (const std::string& path : titles) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        if (::read(fd, buffer.data(), buffer.size()) < 0) std::perror("read");
        ::close(fd);
    }
    return entries;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 401;
    const char* tmp = std::getenv("TMPDIR");
    const fs::path root = fs::path(tmp && *tmp ? tmp : "/tmp") /
                          ("quillmor-charlist-bench-" + std::to_string(::getpid()));
    const fs::path user = root / "USER";
    std::vector<std::string> titlePaths;
    for (int c = 0; c < 10; ++c) {
        char name[16];
        std::snprintf(name, sizeof name, "%08x", 0x1a2b3c00u + unsigned(c) * 17u);
        const fs::path folder = user / name;
        fs::create_directories(folder);
        for (int n = 0; n < kMacroFileCount; ++n) {
            MacroFile set;
            StoreFieldText(set.Title(0), u"ケアル");
            StoreFieldText(set.Line(0, 0), u"/ma ケアル <t>");
            const MacroFile record = RecordToWrite(set);
            WriteFile(folder / PathFromText(MacroFileName(n)), record.bytes.data(), kMacroFileSize);
        }
        for (int f = 0; f < kTitleFileCount; ++f) {
            TitleFile file;
            for (int slot = 0; slot < kBooksPerTitleFile; ++slot)
                StoreFieldText(file.Field(slot), u"白魔道士" + Utf8ToUtf16(std::to_string(slot)));
            const TitleFile record = TitleRecordToWrite(file);
            const fs::path path = folder / PathFromText(TitleFileName(f));
            WriteFile(path, record.bytes.data(), kTitleFileSize);
            titlePaths.push_back(path.string());
        }
    }
    const std::u16string userText = TextFromPath(user);
    std::vector<uint8_t> buffer(kTitleFileSize);

    std::vector<double> listed, plain;
    std::size_t checked = 0;
    for (int i = 0; i < rounds; ++i) {
        auto start = Clock::now();
        ListError error;
        const auto characters = ListCharacterFolders(userText, &error);
        listed.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        start = Clock::now();
        checked += PlainReads(user.string(), titlePaths, buffer);
        plain.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        if (error || characters.size() != 10 ||
            characters.back().titles.disk[1].state != TitleFileState::Present) {
            std::fprintf(stderr, "the list did not find the ten characters and their titles\n");
            fs::remove_all(root);
            return 1;
        }
    }
    fs::remove_all(root);
    const double measured = Median(listed), reference = Median(plain);
    std::printf("10 characters listed with their titles: %.1f us, plain reads %.1f us (%zu)\n",
                measured, reference, checked / std::size_t(rounds));
    std::printf("ratio %.2f (goal <= 2)\n", measured / reference);
    return 0;
}
