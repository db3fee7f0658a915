// A whole save through the file-system seam, with every write-side operation failing in
// turn: what is on disk afterwards, what the report says, and what the next save does.
#include "storage/SavePlan.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <set>

#include "config/CnfRecord.h"
#include "config/GameSettings.h"
#include "macro/MacroFolder.h"
#include "platform/linux/RegFile.h"
#include "platform/linux/WineRegistry.h"
#include "settings/ToolPreferences.h"
#include "storage/FaultyFileSystem.h"
#include "storage/Utf.h"
#include "support/NoWineTool.h"
#include "support/TempDir.h"

namespace qm {
namespace {

namespace fs = std::filesystem;
using test::NoWineTool;

const std::string kSystemReg =
    "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n\n"
    "[Software\\\\PlayOnline\\\\SQUARE\\\\FinalFantasyXI] 1700000000\n"
    "#time=1d9000000000000\n"
    "\"0007\"=dword:00000000\n"
    "\"0018\"=dword:00000001\n\n";

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// A character folder (ten sets, two of them with bytes past the record, cnf.dat with
// bytes past its record) and a Wine prefix holding the game's settings, opened as the
// window opens them, with edits in three sets, one colour and the game settings.
class FullSave {
  public:
    FullSave() {
        for (int k = 0; k < kSetCount; ++k) {
            MacroFile f;
            StoreFieldText(f.Title(0), u"セット" + Utf8ToUtf16(std::to_string(k + 1)));
            StoreFieldText(f.Line(0, 0), u"/p 準備");
            UpdateMacroDigest(f);
            std::vector<uint8_t> bytes(f.bytes.begin(), f.bytes.end());
            if (k == 1 || k == 8) bytes.insert(bytes.end(), 40, uint8_t(0xA0 + k));
            dir.Write("char/" + Utf16ToUtf8(MacroFileName(k)), bytes);
        }
        std::vector<uint8_t> cnf(300);
        for (std::size_t i = 0; i < cnf.size(); ++i) cnf[i] = uint8_t(i * 7);
        dir.Write("char/cnf.dat", cnf);
        dir.Write("pfx/system.reg", std::vector<uint8_t>(kSystemReg.begin(), kSystemReg.end()));
        fs::create_directories(dir.Path("tmp"));

        folder = dir.Text("char/");
        disk = ReadMacroFolder(folder);
        books = disk.books;
        cnfRecord = LoadCnf(folder, nullptr, &cnfStored);
        WinePrefixRegistry::Options options;
        options.tmpRoot = dir.Path("tmp");
        options.now = [] {
            return std::chrono::system_clock::time_point(std::chrono::hours(480000));
        };
        registry = std::make_unique<WinePrefixRegistry>(tool, options);
        registry->SetPrefix(dir.Path("pfx"));
        modes = {{1280, 1024}};
        settings = LoadGameSettings(*registry, modes, false);

        for (int k : {1, 4, 8})
            StoreFieldText(books.File(k).Line(3, 2),
                           u"/echo 変更 " + Utf8ToUtf16(std::to_string(k)));
        cnfRecord.SetColor(3, {1, 2, 3, 4});
        settings.general = 2;
        settings.sound = CheckState::Checked;
        settings.backBufferW = u"1024";
    }

    SaveReport Save() {
        SavePlan plan;
        PlanMacroFolder(plan, folder, books, disk);
        PlanCnf(plan, folder, cnfRecord, &cnfStored);
        PlanGameSettings(plan, *registry, settings, modes);
        return plan.Run();
    }

    // The files the save changes, by the label the report gives them.
    std::map<std::u16string, fs::path> Files() const {
        return {{u"mcr1.dat", dir.Path("char/mcr1.dat")},
                {u"mcr4.dat", dir.Path("char/mcr4.dat")},
                {u"mcr8.dat", dir.Path("char/mcr8.dat")},
                {u"cnf.dat", dir.Path("char/cnf.dat")},
                {std::u16string(kGameSettingsLabel), dir.Path("pfx/system.reg")}};
    }
    std::map<std::u16string, std::vector<uint8_t>> Contents() const {
        std::map<std::u16string, std::vector<uint8_t>> all;
        for (const auto& [label, path] : Files())
            all[label] = dir.Read(fs::relative(path, dir.Path()).string());
        return all;
    }

    test::TempDir dir;
    NoWineTool tool;
    std::u16string folder;
    MacroFolderContent disk;
    MacroBooks books;
    CnfRecord cnfRecord;
    StoredHead cnfStored;
    std::unique_ptr<WinePrefixRegistry> registry;
    DisplayModeList modes;
    GameSettings settings;
};

bool Contains(const std::vector<std::u16string>& labels, const std::u16string& label) {
    return std::find(labels.begin(), labels.end(), label) != labels.end();
}

TEST(SavePlan, EveryFailingWriteOperationLeavesOldOrNewFilesAndATruthfulReport) {
    std::map<std::u16string, std::vector<uint8_t>> before, after;
    {
        FullSave reference;
        before = reference.Contents();
        ASSERT_TRUE(reference.Save().AllSaved());
        after = reference.Contents();
        for (const auto& [label, bytes] : after)
            ASSERT_NE(bytes, before[label]) << Utf16ToUtf8(label);
    }

    FaultyFileSystem faulty;
    ScopedFileSystem use(faulty);
    int n = 1;
    for (;; ++n) {
        SCOPED_TRACE("failing operation " + std::to_string(n));
        FullSave scene;
        const auto names =
            std::make_pair(Names(scene.dir.Path("char")), Names(scene.dir.Path("pfx")));
        const std::error_code injected = n % 2
                                             ? std::make_error_code(std::errc::io_error)
                                             : std::make_error_code(std::errc::no_space_on_device);
        faulty.FailAt(n, injected);
        const SaveReport report = scene.Save();
        if (!faulty.Triggered()) {
            EXPECT_TRUE(report.AllSaved());
            EXPECT_EQ(scene.Contents(), after);
            break;
        }
        const std::string operation = faulty.Log()[std::size_t(n - 1)];
        SCOPED_TRACE(operation);
        // The system's reason travels with the report; a folder that cannot be synced
        // after the renames leaves a saved file that is reported as maybe not durable.
        if (operation.starts_with("sync-folder")) {
            EXPECT_TRUE(report.AllSaved());
            EXPECT_EQ(report.folderSync, injected);
        } else if (!report.AllSaved() && !operation.starts_with("remove")) {
            EXPECT_EQ(report.cause, injected);
        }

        std::set<std::u16string> unsavedFiles;
        for (const auto& [label, bytes] : scene.Contents()) {
            const bool isNew = bytes == after[label];
            EXPECT_TRUE(isNew || bytes == before[label]) << Utf16ToUtf8(label) << " is neither";
            EXPECT_EQ(isNew, Contains(report.saved, label)) << Utf16ToUtf8(label);
            EXPECT_EQ(!isNew, Contains(report.unsaved, label)) << Utf16ToUtf8(label);
            if (!isNew) unsavedFiles.insert(label);
        }
        // No temporary file is left, and nothing else appeared.
        EXPECT_EQ(Names(scene.dir.Path("char")), names.first);
        EXPECT_EQ(Names(scene.dir.Path("pfx")), names.second);
        // Unsaved changes stay marked exactly when something is not on disk, and the
        // report names the part that failed, and why.
        EXPECT_EQ(report.AllSaved(), unsavedFiles.empty());
        if (!report.AllSaved()) {
            EXPECT_FALSE(report.failed.empty());
            EXPECT_TRUE(report.reason);
        }

        // The next save writes what the first did not, and only that: no kept copy holds
        // a value its file does not.
        faulty.FailAt(0);
        ASSERT_TRUE(scene.Save().AllSaved());
        EXPECT_EQ(scene.Contents(), after);
        std::set<std::u16string> renamed;
        for (const auto& [label, path] : scene.Files())
            if (std::count(faulty.Log().begin(), faulty.Log().end(),
                           "rename " + path.filename().string()))
                renamed.insert(label);
        EXPECT_EQ(renamed, unsavedFiles);
    }
    // Five files of four steps each, five renames and two folders at the least.
    EXPECT_GE(n, 28);
}

TEST(SavePlan, SaveWithoutChangesWritesNothingAndAWrongDigestIsMended) {
    test::TempDir dir;
    for (int k = 0; k < kSetCount; ++k) {
        MacroFile f;
        StoreFieldText(f.Title(2), u"ケアル");
        UpdateMacroDigest(f);
        if (k == 6) f.bytes[kDigestOffset] ^= 0xFF;  // a digest the game would not accept
        std::vector<uint8_t> bytes(f.bytes.begin(), f.bytes.end());
        bytes.push_back(0x5A);  // a byte past the record, which stays
        dir.Write("c/" + Utf16ToUtf8(MacroFileName(k)), bytes);
    }
    dir.Write("c/cnf.dat", std::vector<uint8_t>(216, 9));
    // Whole seconds: Windows keeps times in steps of 100 ns.
    const fs::file_time_type old = std::chrono::floor<std::chrono::seconds>(
        fs::file_time_type::clock::now() - std::chrono::hours(48));
    for (const auto& entry : fs::directory_iterator(dir.Path("c"))) fs::last_write_time(entry, old);

    const std::u16string folder = dir.Text("c/");
    MacroFolderContent disk = ReadMacroFolder(folder);
    const MacroBooks books = disk.books;
    StoredHead cnfStored;
    const CnfRecord cnf = LoadCnf(folder, nullptr, &cnfStored);

    FaultyFileSystem counting;
    ScopedFileSystem use(counting);
    for (int round = 0; round < 2; ++round) {
        SavePlan plan;
        PlanMacroFolder(plan, folder, books, disk);
        PlanCnf(plan, folder, cnf, &cnfStored);
        ASSERT_TRUE(plan.Run().AllSaved());
        // The first save mends mcr6.dat alone; the second has nothing to do.
        const std::vector<std::string> renames =
            round == 0 ? std::vector<std::string>{"rename mcr6.dat"} : std::vector<std::string>{};
        std::vector<std::string> seen;
        for (const auto& op : counting.Log())
            if (op.starts_with("rename")) seen.push_back(op);
        EXPECT_EQ(seen, renames);
        if (round == 1) {
            EXPECT_EQ(counting.WriteOperations(), 0);
        }
        counting.ResetCounts();
    }
    for (const auto& entry : fs::directory_iterator(dir.Path("c"))) {
        if (entry.path().filename() == "mcr6.dat") continue;
        EXPECT_EQ(fs::last_write_time(entry), old) << entry.path();
    }
    const std::vector<uint8_t> mended = dir.Read("c/mcr6.dat");
    ASSERT_EQ(mended.size(), kMacroFileSize + 1);
    EXPECT_EQ(mended.back(), 0x5A);
    MacroFile check;
    std::copy_n(mended.begin(), kMacroFileSize, check.bytes.begin());
    EXPECT_FALSE(MacroDigestMismatch(check));
}

TEST(SavePlan, PreferencesAreReadOnceWrittenOnceAndNeverCachedAheadOfTheFile) {
    ToolPreferences old;
    old.Myname = u"まえ";
    ToolPreferences fresh = old;
    fresh.Myname = u"あと";
    fresh.CaptureKeyCode = 19;

    FaultyFileSystem faulty;
    for (int n = 1;; ++n) {
        SCOPED_TRACE("failing operation " + std::to_string(n));
        test::TempDir dir;
        const fs::path file = dir.Path("config/quillmor/registry.reg");
        {
            RegFileBackend setup(file);
            ASSERT_TRUE(SavePreferences(setup, old));
        }

        ScopedFileSystem use(faulty);
        faulty.FailAt(n);
        faulty.ResetCounts();
        RegFileBackend reg(file);
        EXPECT_EQ(LoadPreferences(reg), old);
        EXPECT_EQ(faulty.FileReads(), 1);  // twelve values, one read
        faulty.ResetCounts();
        const bool saved = SavePreferences(reg, fresh);
        if (!faulty.Triggered()) {
            EXPECT_TRUE(saved);
            EXPECT_EQ(faulty.FilesCreated(), 1);  // twelve values, one file
            RegFileBackend other(file);
            EXPECT_EQ(LoadPreferences(other), fresh);
            break;
        }
        faulty.FailAt(0);
        RegFileBackend other(file);
        const ToolPreferences onDisk = LoadPreferences(other);
        EXPECT_EQ(saved, onDisk == fresh);
        EXPECT_EQ(LoadPreferences(reg), onDisk);
        EXPECT_TRUE(SavePreferences(reg, fresh));
        RegFileBackend third(file);
        EXPECT_EQ(LoadPreferences(third), fresh);
        EXPECT_EQ(Names(dir.Path("config/quillmor")), std::set<std::string>{"registry.reg"});
    }
}

// A process that has ended. On Windows its id is not given to another process while
// the handle is held.
struct EndedProcess {
#ifdef _WIN32
    EndedProcess() {
        std::wstring system(MAX_PATH, L'\0');
        system.resize(GetSystemDirectoryW(system.data(), MAX_PATH));
        std::wstring line = L"\"" + system + L"\\cmd.exe\" /c exit";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                           nullptr, &startup, &info)) {
            WaitForSingleObject(info.hProcess, INFINITE);
            CloseHandle(info.hThread);
            handle = info.hProcess;
            id = long(info.dwProcessId);
        }
    }
    ~EndedProcess() {
        if (handle) CloseHandle(handle);
    }
    HANDLE handle = nullptr;
#else
    EndedProcess() {
        const pid_t pid = ::fork();
        if (pid == 0) ::_exit(0);
        ::waitpid(pid, nullptr, 0);
        id = pid;
    }
#endif
    long id = 0;
};

long OwnProcessId() {
#ifdef _WIN32
    return long(GetCurrentProcessId());
#else
    return long(::getpid());
#endif
}

// A killed run's temporary files are removed by the next write or scan of their folder,
// whichever file it concerns, once; those of a process still running (this one too) stay,
// and so does everything that merely looks like one.
TEST(SafeFile, StaleTemporaryFilesOfTheFolderGoAtTheNextWriteOrScan) {
    const EndedProcess gone;
    ASSERT_GT(gone.id, 0);
    const std::string dead = std::to_string(gone.id), own = std::to_string(OwnProcessId());
#ifdef _WIN32
    const std::string alive = own;
#else
    const std::string alive = std::to_string(::getppid());
#endif
    const struct {
        std::string name;
        bool removed;
    } planted[] = {
        {"mcr.dat.qmtmp-" + dead + "-1", true},   // of a target, named as older runs did
        {"mcr1.dat.qmtmp-" + dead + "-3", true},  // of another file of the folder
        {".qmtmp-" + dead + "-7", true},
        {"mcr.dat.qmtmp-" + alive + "-2", false},  // a save running in another process
        {".qmtmp-" + own + "-4", false},
        {"mcr.dat.qmtmpx", false},
        {"x.qmtmp-12a-1", false},
        {".qmtmp-" + dead + "-", false},
        {".qmtmp-" + dead, false},
        {"mcr.dat", false},
    };
    const uint8_t record[] = {1, 2, 3};
    const struct {
        const char* what;
        std::function<void(const test::TempDir&)> run;
    } runs[] = {
        {"a write of another file",
         [&](const test::TempDir& dir) {
             ASSERT_TRUE(WriteRecordFile(dir.Path("cnf.dat"), record));
         }},
        {"a folder read", [&](const test::TempDir& dir) { ReadMacroFolder(dir.Text("")); }},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.what);
        test::TempDir dir;
        for (const auto& p : planted) dir.Write(p.name, {1});
        run.run(dir);
        for (const auto& p : planted) EXPECT_EQ(!dir.Exists(p.name), p.removed) << p.name;
    }
}

// Each cause a player can act on is named, and apart from the others: a read-only drive is
// not a missing permission, a file-size limit not a file too long to be the game's.
TEST(SafeFile, CausesOfFailuresAreToldApart) {
    const std::error_code causes[] = {
        std::make_error_code(std::errc::permission_denied),
        std::make_error_code(std::errc::read_only_file_system),
        std::make_error_code(std::errc::file_too_large),
        std::make_error_code(std::errc::filename_too_long),
        std::make_error_code(std::errc::no_space_on_device),
        std::make_error_code(std::errc::no_such_file_or_directory),
        TooLongFileError(),
        NotRegularFileError(),
    };
    std::set<FileProblem> problems;
    for (const std::error_code& cause : causes) {
        const FileProblem problem = ClassifyFileError(cause);
        EXPECT_NE(problem, FileProblem::Other) << cause.message();
        EXPECT_TRUE(problems.insert(problem).second) << cause.message() << " is named as another";
    }
}

// A staged file whose flush or close fails fails the whole save, reported against that
// file also past the first batch of flushes; nothing is replaced and no temporary stays.
TEST(SavePlan, AFailedWriteFlushOrCloseOfAnyStagedFileChangesNothing) {
    constexpr int kFiles = 40;
    const struct {
        const char* operation;
        int file;  // counted from 0
    } rows[] = {{"flush", 0},  {"close", 0},  {"flush", 35},
                {"close", 35}, {"write", 35}, {"flush", kFiles - 1}};
    FaultyFileSystem faulty;
    ScopedFileSystem use(faulty);
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.operation) + " of file " + std::to_string(row.file));
        test::TempDir dir;
        SavePlan plan;
        for (int k = 0; k < kFiles; ++k) {
            const std::string name = "f" + std::to_string(k) + ".dat";
            dir.Write(name, {uint8_t(k)});
            plan.AddFile(dir.Path(name), {uint8_t(k), 1}, Utf8ToUtf16(name));
        }
        const auto names = Names(dir.Path());
        const std::error_code injected = std::make_error_code(std::errc::no_space_on_device);
        faulty.FailOnFile(row.operation, row.file + 1, injected);
        const SaveReport report = plan.Run();
        ASSERT_TRUE(faulty.Triggered());
        EXPECT_EQ(report.outcome, SaveReport::Outcome::NotWritten);
        EXPECT_EQ(report.failed, Utf8ToUtf16("f" + std::to_string(row.file) + ".dat"));
        EXPECT_EQ(report.cause, injected);
        EXPECT_EQ(report.saved.size(), 0u);
        for (int k = 0; k < kFiles; ++k)
            EXPECT_EQ(dir.Read("f" + std::to_string(k) + ".dat"), std::vector<uint8_t>{uint8_t(k)});
        EXPECT_EQ(Names(dir.Path()), names);
    }
    faulty.FailAt(0);
}

// Every part hears once whether it reached its store, and a part that is not a file
// runs only after every file was replaced.
TEST(SavePlan, EachPartIsToldWhetherItWasWrittenAndActionsWaitForTheFiles) {
    const struct {
        const char* what;
        int failRename;  // the rename that fails (1 for the first), 0: none
        bool refuse;
        bool run;
        std::vector<bool> told;  // a.dat, b.dat, the action
        bool applied;
    } rows[] = {
        {"a save", 0, false, true, {true, true, true}, true},
        {"a rename failing midway", 2, false, true, {true, false, false}, false},
        {"the first rename failing", 1, false, true, {false, false, false}, false},
        {"a refused plan", 0, true, true, {false, false, false}, false},
        {"a plan dropped unrun", 0, false, false, {false, false, false}, false},
    };
    FaultyFileSystem faulty;
    ScopedFileSystem use(faulty);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        test::TempDir dir;
        dir.Write("a.dat", {0});
        dir.Write("b.dat", {0});
        std::vector<int> told(3, -1);
        bool applied = false;
        {
            SavePlan plan;
            plan.AddFile(dir.Path("a.dat"), {1}, u"a.dat", [&](bool w) { told[0] = w; });
            plan.AddFile(dir.Path("b.dat"), {2}, u"b.dat", [&](bool w) { told[1] = w; });
            plan.AddAction(
                u"registry",
                [&](Reason&) {
                    applied = true;
                    return true;
                },
                [&](bool w) { told[2] = w; });
            if (row.refuse) plan.Refuse(u"registry", Reason{.kind = ReasonKind::ValuesNotStored});
            faulty.FailAt(0);
            if (row.failRename) {
                // The renames come after 2 creates, 2 writes, 2 flushes, 2 closes.
                faulty.FailAt(8 + row.failRename);
            }
            if (row.run) {
                const SaveReport report = plan.Run();
                if (row.failRename) {
                    EXPECT_EQ(faulty.Log()[std::size_t(7 + row.failRename)].substr(0, 6), "rename");
                    EXPECT_EQ(report.outcome, row.failRename == 1 ? SaveReport::Outcome::NotWritten
                                                                  : SaveReport::Outcome::Partial);
                }
            }
        }
        for (std::size_t k = 0; k < 3; ++k) EXPECT_EQ(told[k], int(row.told[k])) << k;
        EXPECT_EQ(applied, row.applied);
        EXPECT_EQ(dir.Read("a.dat"), std::vector<uint8_t>{uint8_t(row.told[0] ? 1 : 0)});
        EXPECT_EQ(dir.Read("b.dat"), std::vector<uint8_t>{uint8_t(row.told[1] ? 2 : 0)});
    }
    faulty.FailAt(0);
}

// Only regular files are read or replaced, a tail is read only up to its bound, and the
// failure says why.
TEST(SafeFile, WhatIsNoRegularFileOfASaneSizeIsRefusedWithItsReason) {
    test::TempDir dir;
    fs::create_directory(dir.Path("folder"));
#ifdef _WIN32
    // A pipe that nobody writes, and a device under a folder's name. Each look at the
    // pipe connects to one waiting instance of it.
    const fs::path pipe = L"\\\\.\\pipe\\quillmor-test-" + std::to_wstring(OwnProcessId());
    std::vector<HANDLE> instances;
    for (int i = 0; i < 16; ++i) {
        instances.push_back(CreateNamedPipeW(pipe.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE,
                                             PIPE_UNLIMITED_INSTANCES, 0, 0, 0, nullptr));
        ASSERT_NE(instances.back(), INVALID_HANDLE_VALUE);
    }
    const fs::path device = dir.Path("NUL");
#else
    const fs::path pipe = dir.Path("pipe"), device = "/dev/null";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    fs::create_symlink(dir.Path("loop"), dir.Path("loop"));
#endif
    for (const fs::path& path : {pipe, device}) {
        std::error_code read;
        EXPECT_FALSE(ReadFileHead(path, 10, &read)) << path;
        EXPECT_EQ(read, NotRegularFileError()) << path;
    }
    const uint8_t record[] = {1, 2, 3};
    const struct {
        fs::path path;
        std::error_code cause;
    } refused[] = {
        {pipe, NotRegularFileError()},
        {dir.Path("folder"), std::make_error_code(std::errc::is_a_directory)},
#ifdef _WIN32
        {device, NotRegularFileError()},
#else
        {dir.Path("loop"), std::make_error_code(std::errc::too_many_symbolic_link_levels)},
#endif
    };
    for (const auto& r : refused) {
        WriteCause cause;
        Reason error;
        EXPECT_FALSE(WriteWholeFile(r.path, record, &error, &cause)) << r.path;
        EXPECT_EQ(cause.failure, r.cause) << r.path;
        EXPECT_EQ(error.cause, r.cause) << r.path;
    }
#ifdef _WIN32
    for (HANDLE instance : instances) CloseHandle(instance);
#else
    EXPECT_TRUE(fs::is_fifo(pipe));
#endif

    for (std::size_t past : {kMaxBytesPastRecord, kMaxBytesPastRecord + 1}) {
        dir.Write("long.dat", std::vector<uint8_t>(3 + past, 7));
        WriteCause cause;
        EXPECT_EQ(WriteRecordFile(dir.Path("long.dat"), record, nullptr, &cause),
                  past == kMaxBytesPastRecord);
        EXPECT_EQ(bool(cause.failure), past != kMaxBytesPastRecord);
    }
}

}  // namespace
}  // namespace qm
