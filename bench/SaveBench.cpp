// What a save costs against the plainest way to write the same bytes, measured in the
// same run on the same disk; and how many times the tool's own settings file is read at
// start-up and written at close. Each benchmark ends with its ratio on the last line.
//
//   quillmor_save_bench [folder | system-reg | startup-reads | close-writes]
//
// Run by hand; the folder is $TMPDIR (or /tmp), so run it where the game's files live
// (TMPDIR=~/somewhere) to measure that disk.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "config/CnfRecord.h"
#include "config/GameSettings.h"
#include "macro/MacroFolder.h"
#include "platform/linux/RegFile.h"
#include "platform/linux/WineRegistry.h"
#include "settings/GameRegistry.h"
#include "settings/RegistryRouter.h"
#include "settings/ToolPreferences.h"
#include "settings/WineHost.h"
#include "storage/FaultyFileSystem.h"
#include "storage/Paths.h"
#include "storage/SavePlan.h"
#include "storage/Utf.h"
#include "support/NoWineTool.h"

namespace {

using namespace qm;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kRounds = 31;

class Scratch {
  public:
    Scratch() {
        const char* tmp = std::getenv("TMPDIR");
        path_ = fs::path(tmp && *tmp ? tmp : "/tmp") /
                ("quillmor-save-bench-" + std::to_string(::getpid()));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~Scratch() { fs::remove_all(path_); }
    const fs::path& Path() const { return path_; }

  private:
    fs::path path_;
};

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// The plainest safe replacement: write a file beside, flush it, rename it over.
void PlainReplace(const fs::path& path, const std::vector<uint8_t>& bytes) {
    const fs::path temp = path.string() + ".plain";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()) ||
        ::fsync(fd) != 0 || ::close(fd) != 0 || ::rename(temp.c_str(), path.c_str()) != 0) {
        std::perror("plain write");
        std::exit(1);
    }
}

// Makes a rename in the folder last, as a save does once per folder.
void FlushFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0 || ::close(fd) != 0) {
        std::perror("plain folder flush");
        std::exit(1);
    }
}

// The plainest read: one buffer of the file's size, filled by read().
std::vector<uint8_t> ReadAll(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        std::perror("plain read");
        std::exit(1);
    }
    std::vector<uint8_t> bytes(std::size_t(st.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (got <= 0) break;
        done += std::size_t(got);
    }
    ::close(fd);
    bytes.resize(done);
    return bytes;
}

// Median time of `rounds` runs of each, interleaved so that all see the same disk.
std::vector<double> CompareAll(const std::vector<std::function<void(int)>>& runs) {
    std::vector<std::vector<double>> times(runs.size());
    for (int i = 0; i < kRounds; ++i) {
        for (std::size_t r = 0; r < runs.size(); ++r) {
            const auto start = Clock::now();
            runs[r](i);
            times[r].push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
    }
    std::vector<double> medians;
    for (auto& t : times) {
        std::sort(t.begin(), t.end());
        medians.push_back(t[t.size() / 2]);
    }
    return medians;
}

std::pair<double, double> Compare(const std::function<void(int)>& measured,
                                  const std::function<void(int)>& reference) {
    const std::vector<double> medians = CompareAll({measured, reference});
    return {medians[0], medians[1]};
}

void PrintRatio(const char* what, double measured, double reference, double goal,
                const char* unit) {
    std::printf("%s: %.3f %s, reference %.3f %s\n", what, measured, unit, reference, unit);
    std::printf("ratio %.2f (goal <= %.1f)\n", measured / reference, goal);
}

// A save of a character folder with all 40 books where three sets changed, against
// writing three files of the same folder the plain way.
void FolderSave() {
    Scratch scratch;
    const fs::path folder = scratch.Path() / "char";
    const int changed[] = {1, 204, 398};
    for (int k = 0; k < kMacroFileCount; ++k) {
        MacroFile f;
        for (int m = 0; m < kMacrosPerSet; ++m) StoreFieldText(f.Line(m, 0), u"/ma ケアル <t>");
        UpdateMacroDigest(f);
        const std::vector<uint8_t> bytes(f.bytes.begin(), f.bytes.end());
        WriteFile(folder / PathFromText(MacroFileName(k)), bytes);
        // The reference files live in the same folder: what a new file costs depends on
        // the folder (ext4 looks further for a free inode where many were just freed).
        if (std::find(std::begin(changed), std::end(changed), k) != std::end(changed))
            WriteFile(folder / ("plain-" + Utf16ToUtf8(MacroFileName(k))), bytes);
    }
    WriteFile(folder / "cnf.dat", std::vector<uint8_t>(216, 7));
    const std::u16string text = TextFromPath(folder) + u"/";
    MacroFolderContent disk = ReadMacroFolder(text);
    MacroBooks books = disk.books;
    StoredHead cnfStored;
    const CnfRecord cnf = LoadCnf(text, nullptr, &cnfStored);

    auto edit = [&](int round) {
        for (int k : changed)
            StoreFieldText(books.File(k).Line(0, 1),
                           u"/echo " + Utf8ToUtf16(std::to_string(round)));
    };
    const auto [save, plain] = Compare(
        [&](int round) {
            edit(round);
            SavePlan plan;
            PlanMacroFolder(plan, text, books, disk);
            PlanCnf(plan, text, cnf, &cnfStored);
            if (!plan.Run().AllSaved()) std::exit(1);
        },
        [&](int) {
            for (int k : changed) {
                const MacroFile f = RecordToWrite(books.File(k));
                PlainReplace(folder / ("plain-" + Utf16ToUtf8(MacroFileName(k))),
                             std::vector<uint8_t>(f.bytes.begin(), f.bytes.end()));
            }
        });
    std::printf("folder save, 3 of 400 sets changed, against 3 plain write+flush+rename\n");
    PrintRatio("save", save, plain, 1.3, "ms");
}

// A prefix's system.reg of about 1.7 MB with the game's key in it.
std::string LargeSystemReg() {
    std::string text =
        "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n\n"
        "[Software\\\\PlayOnline\\\\SQUARE\\\\FinalFantasyXI] 1700000000\n"
        "#time=1d9000000000000\n\"0007\"=dword:00000000\n\n";
    for (int k = 0; text.size() < 1700000; ++k) {
        text += "[Software\\\\Vendor" + std::to_string(k) + "\\\\Product] 1700000000\n";
        text += "#time=1d9000000000000\n";
        for (int v = 0; v < 8; ++v)
            text += "\"Value" + std::to_string(v) + "\"=\"Some text " + std::to_string(v) + "\"\n";
        text += "\n";
    }
    return text;
}

// Thirteen game settings into a 1.7 MB system.reg, against one read and one plain rewrite
// of the file with the folder flushed after the rename, as a save does: by a store that
// has not read the file yet (quillmor-cli, or the first save after the file changed), and
// as the editor saves, by the store that read it at start-up.
void SystemRegSave() {
    Scratch scratch;
    const std::string text = LargeSystemReg();
    for (const char* folder : {"cold", "warm", "plain"})
        WriteFile(scratch.Path() / folder / "system.reg",
                  std::vector<uint8_t>(text.begin(), text.end()));
    test::NoWineTool tool;
    WinePrefixRegistry::Options options;
    options.tmpRoot = scratch.Path() / "tmp";
    GameSettings settings;
    settings.backBufferW = u"1024";
    settings.backBufferH = u"1024";
    settings.frontBuffer = 0;
    const DisplayModeList modes{{1280, 1024}};
    auto change = [&](int round) {
        settings.general = round % 3;
        settings.sound = round % 2 ? CheckState::Checked : CheckState::Clear;
    };
    const fs::path plainFile = scratch.Path() / "plain" / "system.reg";
    auto plain = [&](int) {
        PlainReplace(plainFile, ReadAll(plainFile));
        FlushFolder(plainFile.parent_path());
    };
    auto noFolderFlush = [&](int) { PlainReplace(plainFile, ReadAll(plainFile)); };

    // Each case in a loop of its own: the memory one frees is not the other's to reuse.
    const std::vector<double> cold = CompareAll({
        [&](int round) {
            WinePrefixRegistry store(tool, options);
            store.SetPrefix(scratch.Path() / "cold");
            change(round);
            if (!SaveGameSettings(store, settings, modes).AllSaved()) std::exit(1);
        },
        plain,
        noFolderFlush,
    });
    WinePrefixRegistry store(tool, options);
    store.SetPrefix(scratch.Path() / "warm");
    DisplayModeList shown = modes;
    LoadGameSettings(store, shown, false);
    const std::vector<double> warm = CompareAll({
        [&](int round) {
            change(round);
            if (!SaveGameSettings(store, settings, modes).AllSaved()) std::exit(1);
        },
        plain,
        noFolderFlush,
    });

    std::printf(
        "13 game settings into a %zu-byte system.reg, against one read and one rewrite "
        "(write beside, flush, rename, flush the folder, as a save does)\n",
        text.size());
    std::printf(
        "read at start-up: %.3f ms, reference %.3f ms, ratio %.2f (%.2f against %.3f ms "
        "without the folder flush)\n",
        warm[0], warm[1], warm[0] / warm[1], warm[0] / warm[2], warm[2]);
    std::printf("not read before: %.3f ms (%.2f against %.3f ms without the folder flush)\n",
                cold[0], cold[0] / cold[2], cold[2]);
    PrintRatio("not read before", cold[0], cold[1], 1.5, "ms");
}

// The tool's settings file as a start-up uses it (the remembered prefix, the game keys
// kept there while no prefix is found, the twelve preferences) and as the close writes it.
struct ToolSettings {
    Scratch scratch;
    fs::path file = scratch.Path() / "config" / "registry.reg";
    test::NoWineTool tool;

    ToolSettings() {
        RegFileBackend setup(file);
        ToolPreferences prefs;
        prefs.Myname = u"ベンチ";
        SavePreferences(setup, prefs);
        RememberWinePrefix(setup, TextFromPath(scratch.Path() / "no-prefix"));
    }
};

void StartUpReads() {
    ToolSettings settings;
    FaultyFileSystem counting;
    ScopedFileSystem use(counting);
    RegFileBackend file(settings.file);
    WineHost host(file, settings.tool, WineEnvironment{std::nullopt, std::nullopt});
    RegistryRouter registry(file);
    for (std::u16string_view root : kGameRoots) registry.Route(root, &host.GameKeys());
    DisplayModeList modes{{1280, 1024}};
    LoadGameSettings(registry, modes, false);
    const ToolPreferences prefs = LoadPreferences(registry);
    if (prefs.Myname != u"ベンチ") std::exit(1);
    std::printf(
        "start-up: %d read(s) of the settings file for the remembered prefix, the "
        "game's thirteen values and the twelve preferences\n",
        counting.FileReads());
    std::printf("ratio %.2f (goal: 1 read)\n", double(counting.FileReads()) / 1.0);
}

void CloseWrites() {
    ToolSettings settings;
    RegFileBackend file(settings.file);
    ToolPreferences prefs = LoadPreferences(file);
    prefs.TabIndex = 2;
    prefs.CaptureKeyCode = 19;
    FaultyFileSystem counting;
    ScopedFileSystem use(counting);
    const bool saved = SavePreferences(file, prefs);
    int flushes = 0;
    for (const auto& op : counting.Log()) flushes += op.starts_with("flush");
    std::printf("close: twelve preferences %s in %d file write(s), %d flush(es)\n",
                saved ? "saved" : "NOT saved", counting.FilesCreated(), flushes);
    std::printf("ratio %.2f (goal: 1 write)\n", double(counting.FilesCreated()) / 1.0);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::pair<std::string, void (*)()>> all{{"folder", FolderSave},
                                                              {"system-reg", SystemRegSave},
                                                              {"startup-reads", StartUpReads},
                                                              {"close-writes", CloseWrites}};
    bool ran = false;
    for (const auto& [name, run] : all) {
        if (argc > 1 && name != argv[1]) continue;
        if (ran) std::printf("\n");
        run();
        ran = true;
    }
    if (!ran) {
        std::fprintf(stderr, "usage: %s [folder | system-reg | startup-reads | close-writes]\n",
                     argv[0]);
        return 2;
    }
    return 0;
}
