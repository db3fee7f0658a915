// Files that are not what they seem, fed to the built quillmor-cli: pipes, device nodes,
// links to devices and folders, link loops, a huge file, another user's file. Every
// command ends within 10 s with its exit status and message, refuses to read or replace
// what is no regular file, and nothing outside the test's folder changes.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "macro/MacroFile.h"
#include "storage/Utf.h"
#include "support/TempDir.h"

extern char** environ;

namespace qm {
namespace {

using test::TempDir;
namespace fs = std::filesystem;

constexpr uid_t kOtherUser = 65534;  // nobody

struct Run {
    bool finished = false;  // false: still running after 10 s, then killed
    int status = -1;
    std::string out, err;
};

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs quillmor-cli, as another user when asked (needs root), killed after 10 s.
Run Cli(std::vector<std::string> args, bool asOtherUser = false) {
    if (asOtherUser) {
        args.insert(args.begin(),
                    {"--reuid=" + std::to_string(kOtherUser),
                     "--regid=" + std::to_string(kOtherUser), "--clear-groups", QUILLMOR_CLI_PATH});
    }
    const std::string program = asOtherUser ? "/usr/bin/setpriv" : QUILLMOR_CLI_PATH;
    TempDir io;
    ::chmod(io.Path().c_str(), 0777);
    const fs::path out = io.Path("out"), err = io.Path("err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT, 0666);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT, 0666);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    Run run;
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        ADD_FAILURE() << "cannot start " << program;
        return run;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    int wstatus = 0;
    while (::waitpid(pid, &wstatus, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &wstatus, 0);
            run.out = Slurp(out);
            run.err = Slurp(err);
            return run;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    run.finished = WIFEXITED(wstatus);
    run.status = run.finished ? WEXITSTATUS(wstatus) : -1;
    run.out = Slurp(out);
    run.err = Slurp(err);
    return run;
}

std::string Shown(const std::vector<std::string>& args) {
    std::string s;
    for (const auto& a : args) s += " " + a;
    return s;
}

// The command ends in time with the status and a message (on either stream) holding text.
void Expect(const std::vector<std::string>& args, int status, const std::string& text,
            bool asOtherUser = false) {
    const Run run = Cli(args, asOtherUser);
    EXPECT_TRUE(run.finished) << Shown(args) << ": still running after 10 s";
    EXPECT_EQ(run.status, status) << Shown(args) << "\n" << run.err;
    EXPECT_NE((run.out + run.err).find(text), std::string::npos)
        << Shown(args) << ": no '" << text << "' in\n"
        << run.out << run.err;
}

// What a path is, without following a link: type, device number, size, owner, inode.
std::string Identity(const fs::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return "absent";
    return std::to_string(st.st_mode) + "/" + std::to_string(st.st_rdev) + "/" +
           std::to_string(st.st_size) + "/" + std::to_string(st.st_uid) + "/" +
           std::to_string(st.st_ino);
}

class Hostile : public ::testing::Test {
  protected:
    void SetUp() override {
        devNull_ = Identity("/dev/null");
        devZero_ = Identity("/dev/zero");
        folder_ = dir_.Path() / "char";
        MakeCharacter(folder_);
        backup_ = dir_.Path("Set.txt");
        std::ofstream(backup_, std::ios::binary) << "T\r\nline\r\n";
    }
    void TearDown() override {
        // Nothing outside the test's folder: the system's own devices are as they were.
        EXPECT_EQ(Identity("/dev/null"), devNull_);
        EXPECT_EQ(Identity("/dev/zero"), devZero_);
        EXPECT_EQ(Leftovers(folder_), 0u) << "temporary files left in the folder";
    }

    static void MakeCharacter(const fs::path& folder) {
        fs::create_directories(folder);
        for (int k = 0; k < kSetCount; ++k) {
            MacroFile file;
            StoreFieldText(file.Title(0), u"M" + std::u16string(1, char16_t(u'0' + k)));
            UpdateMacroDigest(file);
            std::ofstream(folder / Utf16ToUtf8(MacroFileName(k)), std::ios::binary)
                .write(reinterpret_cast<const char*>(file.bytes.data()), kMacroFileSize);
        }
        std::ofstream(folder / "cnf.dat", std::ios::binary) << std::string(216, '\x40');
        std::ofstream(folder / "acq.dat", std::ios::binary) << std::string(24 + 32, 'n');
    }
    static std::size_t Leftovers(const fs::path& folder) {
        std::size_t n = 0;
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (name.find("tmp") != std::string::npos || name.find(".qm") != std::string::npos) ++n;
        }
        return n;
    }
    std::string F() const { return folder_.string(); }
    fs::path File(const std::string& name) const { return folder_ / name; }
    void Replace(const std::string& name) const { fs::remove(File(name)); }

    TempDir dir_;
    fs::path folder_, backup_;
    std::string devNull_, devZero_;
};

TEST_F(Hostile, PipesAreRefusedAndNothingHangs) {
    for (const char* name : {"mcr.dat", "cnf.dat", "acq.dat"}) {
        Replace(name);
        ASSERT_EQ(::mkfifo(File(name).c_str(), 0600), 0);
    }
    const std::string mcr = File("mcr.dat").string();
    Expect({"check", F()}, 2, mcr + "\tunreadable");
    Expect({"md5", mcr}, 2, "not a regular file");
    Expect({"fix", F()}, 2, "cannot read");
    Expect({"import", F(), "1", backup_.string()}, 2, "cannot read");
    Expect({"export", F(), "1"}, 2, "cannot read");
    Expect({"preview", F(), "1", "1"}, 2, "cannot read");
    Expect({"preview", F(), "2", "1"}, 2, "cannot read the colours");
    fs::remove(File("cnf.dat"));
    Expect({"preview", F(), "2", "1"}, 0, "");  // a name list that cannot be read: no names
    EXPECT_TRUE(fs::is_fifo(File("mcr.dat")));

    // A pipe as the backup to restore, or as the file to export to.
    const fs::path pipe = dir_.Path("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string before = Slurp(File("mcr1.dat"));
    Expect({"import", F(), "2", pipe.string()}, 2, "is not a regular file");
    Expect({"export", F(), "2", pipe.string()}, 2, "could not write");
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_EQ(Slurp(File("mcr1.dat")), before);
}

TEST_F(Hostile, DevicesAndLinksToThemAreNeverReadNorReplaced) {
    // Device nodes are made in the test's folder; without root only links to the
    // system's own null and zero devices are possible, which such a user cannot replace.
    const bool root = ::geteuid() == 0;
    fs::path null = "/dev/null", zero = "/dev/zero";
    if (root) {
        null = dir_.Path("null");
        zero = dir_.Path("zero");
        ASSERT_EQ(::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
        ASSERT_EQ(::mknod(zero.c_str(), S_IFCHR | 0666, makedev(1, 5)), 0);
    }
    const std::string nullId = Identity(null), zeroId = Identity(zero);

    Replace("mcr.dat");
    fs::create_symlink(zero, File("mcr.dat"));  // an endless tail
    Replace("mcr1.dat");
    fs::create_symlink(null, File("mcr1.dat"));
    Expect({"check", F()}, 2, File("mcr.dat").string() + "\tunreadable");
    Expect({"fix", F()}, 2, "cannot read");
    Expect({"import", F(), "1", backup_.string()}, 2, "cannot read");
    Expect({"import", F(), "2", backup_.string()}, 2, "cannot read");
    Expect({"md5", File("mcr.dat").string()}, 2, "not a regular file");
    Expect({"export", F(), "3", null.string()}, 2, "could not write");
    Expect({"import", F(), "3", zero.string()}, 2, "is not a regular file");
    if (root) {
        Replace("mcr2.dat");
        ASSERT_EQ(::mknod(File("mcr2.dat").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
        Expect({"import", F(), "3", backup_.string()}, 2, "cannot read");
        Expect({"check", F()}, 2, File("mcr2.dat").string() + "\tunreadable");
        EXPECT_TRUE(fs::is_character_file(File("mcr2.dat")));
    }
    EXPECT_EQ(Identity(null), nullId);
    EXPECT_EQ(Identity(zero), zeroId);
    EXPECT_TRUE(fs::is_symlink(File("mcr.dat")));
    if (!root) GTEST_SKIP() << "device nodes in the test's folder need root (mknod)";
}

TEST_F(Hostile, LinksToFoldersAndLinkLoops) {
    fs::create_directory(dir_.Path("sub"));
    Replace("mcr.dat");
    fs::create_symlink(dir_.Path("sub"), File("mcr.dat"));
    Replace("mcr1.dat");
    fs::create_symlink(File("mcr1.dat"), File("mcr1.dat"));
    Replace("mcr2.dat");
    fs::create_symlink(File("loop-b"), File("mcr2.dat"));
    fs::create_symlink(File("mcr2.dat"), File("loop-b"));
    const std::string check = Cli({"check", F()}).out;
    for (const char* name : {"mcr.dat", "mcr1.dat", "mcr2.dat"})
        EXPECT_NE(check.find(File(name).string() + "\tunreadable"), std::string::npos) << check;
    for (const char* set : {"1", "2", "3"}) {
        Expect({"import", F(), set, backup_.string()}, 2, "cannot read");
        Expect({"export", F(), set}, 2, "cannot read");
    }
    Expect({"fix", F()}, 2, "cannot read");
    Expect({"export", F(), "4", (dir_.Path() / "sub").string()}, 2, "could not write");
    EXPECT_TRUE(fs::is_directory(dir_.Path("sub")));
    EXPECT_TRUE(fs::is_empty(dir_.Path("sub")));
    EXPECT_TRUE(fs::is_symlink(File("mcr1.dat")));
}

TEST_F(Hostile, AHundredMegabyteFileIsNoMacroFile) {
    for (const char* name : {"mcr.dat", "big.txt"}) {
        const fs::path path = name[0] == 'm' ? File(name) : dir_.Path(name);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << "x";
        fs::resize_file(path, 100u << 20);
    }
    Expect({"check", F()}, 2, File("mcr.dat").string() + "\tunreadable");
    Expect({"fix", F()}, 2, "not a macro file");
    Expect({"import", F(), "1", backup_.string()}, 2, "not a macro file");
    Expect({"import", F(), "2", dir_.Path("big.txt").string()}, 2, "larger than 65536 bytes");
    Expect({"md5", File("mcr.dat").string()}, 0, "");  // the digest reads the head only
    EXPECT_EQ(fs::file_size(File("mcr.dat")), 100u << 20);
}

// Root restoring into a player's folder leaves the file the player's; a user who may
// write the folder but not the file, or not read it, changes nothing.
TEST_F(Hostile, AnotherUsersFile) {
    if (::geteuid() != 0) GTEST_SKIP() << "files of another user need root";
    ASSERT_EQ(::chown(File("mcr.dat").c_str(), kOtherUser, kOtherUser), 0);
    ASSERT_EQ(::chmod(File("mcr.dat").c_str(), 0640), 0);
    Expect({"import", F(), "1", backup_.string()}, 0, "restored set 1");
    struct stat st {};
    ASSERT_EQ(::stat(File("mcr.dat").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kOtherUser);
    EXPECT_EQ(st.st_gid, kOtherUser);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    ASSERT_EQ(::chmod(dir_.Path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(folder_.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(backup_.c_str(), 0644), 0);
    const std::string set2 = Slurp(File("mcr1.dat"));  // root's, 0644: others may not write
    Expect({"import", F(), "2", backup_.string()}, 2, "ermission denied", true);
    EXPECT_EQ(Slurp(File("mcr1.dat")), set2);
    // The player's own file that the player may write but not read: refused before
    // anything is written, so the set's other macros are kept.
    ASSERT_EQ(::chown(File("mcr3.dat").c_str(), kOtherUser, kOtherUser), 0);
    ASSERT_EQ(::chmod(File("mcr3.dat").c_str(), 0200), 0);
    const std::string set4 = Slurp(File("mcr3.dat"));
    Expect({"import", F(), "4", backup_.string()}, 2, "cannot read", true);
    EXPECT_EQ(Slurp(File("mcr3.dat")), set4);
}

// Imports killed at random moments: the macro file is always the old or the new one,
// whole, and the next run that succeeds leaves no temporary file behind.
TEST_F(Hostile, KilledImportsLeaveTheOldOrTheNewFile) {
    const std::string before = Slurp(File("mcr4.dat"));
    ASSERT_EQ(Cli({"import", dir_.Path().string() + "/char", "5", backup_.string()}).status, 0);
    const std::string after = Slurp(File("mcr4.dat"));
    ASSERT_NE(after, before);

    std::string program = QUILLMOR_CLI_PATH, import = "import", set = "5";
    std::string folder = F(), file = backup_.string();
    char* argv[] = {program.data(), import.data(), folder.data(), set.data(), file.data(), nullptr};
    auto start = [&] {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        EXPECT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    };
    // How long a whole run takes here: the kills fall anywhere inside one.
    const auto begin = std::chrono::steady_clock::now();
    int wstatus = 0;
    ::waitpid(start(), &wstatus, 0);
    const long whole = long(std::chrono::duration_cast<std::chrono::microseconds>(
                                std::chrono::steady_clock::now() - begin)
                                .count());
    const unsigned seed = unsigned(std::random_device{}());
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<long> moment(0, std::max<long>(whole, 1000));

    int killed = 0;
    for (int run = 0; killed < 200 && run < 1000; ++run) {
        // Alternate the starting content, so that a torn write of either would show.
        const std::string& old = run % 2 ? after : before;
        std::ofstream(File("mcr4.dat"), std::ios::binary | std::ios::trunc) << old;
        const pid_t pid = start();
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &wstatus, 0);
        if (WIFSIGNALED(wstatus)) ++killed;
        const std::string now = Slurp(File("mcr4.dat"));
        ASSERT_TRUE(now == before || now == after)
            << "run " << run << ": " << now.size() << " bytes";
    }
    EXPECT_GE(killed, 200);
    const std::size_t leftBehind = Leftovers(folder_);
    ASSERT_EQ(Cli({"import", F(), "5", backup_.string()}).status, 0);
    EXPECT_EQ(Slurp(File("mcr4.dat")), after);
    EXPECT_EQ(Leftovers(folder_), 0u) << leftBehind << " were left by the killed runs";
}

// A shell command line's standard output and status (stderr joins stdout).
std::pair<int, std::string> Shell(const TempDir& io, const std::string& command) {
    const fs::path out = io.Path("shell-out");
    const int status = std::system((command + " > '" + out.string() + "' 2>&1").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out)};
}

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

// Every command that reads or writes a folder removes the temporary files that killed
// runs left there, whichever file they were for; a running process's stay.
TEST_F(Hostile, EveryCommandRemovesWhatKilledRunsLeftInTheFolder) {
    const std::string alive = "mcr2.dat.qmtmp-" + std::to_string(::getpid()) + "-1";
    const std::vector<std::vector<std::string>> commands = {
        {"check", F()},
        {"fix", F()},
        {"export", F(), "3", dir_.Path("out.txt").string()},
        {"export", F(), "3"},
        {"import", F(), "2", backup_.string()},
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(Shown(command));
        for (const char* name : {"mcr.dat.qmtmp-999999999-1", ".qmtmp-999999998-5"})
            std::ofstream(File(name)) << "x";
        std::ofstream(File(alive)) << "x";
        EXPECT_EQ(Cli(command).status, 0);
        EXPECT_FALSE(fs::exists(File("mcr.dat.qmtmp-999999999-1")));
        EXPECT_FALSE(fs::exists(File(".qmtmp-999999998-5")));
        EXPECT_TRUE(fs::exists(File(alive)));
        fs::remove(File(alive));
    }
}

// Names near the system's limits work, what passes them is named as such, and so are a
// read-only drive and a file-size limit; a folder name holding a line break stays on one
// line of check's and fix's output.
TEST_F(Hostile, LimitsOfTheSystemAreReachedOrNamed) {
    const std::string cli = Quoted(QUILLMOR_CLI_PATH);
    const auto [exported, set1] = Shell(dir_, cli + " export " + Quoted(F()) + " 1");
    ASSERT_EQ(exported, 0);

    // An export to a 250-byte file name; an import into a path of 4092 bytes.
    const std::string longName(250, 'n');
    Expect({"export", F(), "1", dir_.Path(longName).string()}, 0, "");
    EXPECT_EQ(Slurp(dir_.Path(longName)), set1);
    fs::path deep = dir_.Path();
    while (deep.native().size() + 1 + 200 + 8 < 4092) deep /= std::string(200, 'd');
    deep /= std::string(4092 - deep.native().size() - 1 - 8, 'e');
    fs::create_directories(deep);
    ASSERT_EQ((deep / "mcr.dat").native().size(), 4092u);
    Expect({"import", deep.string(), "1", backup_.string()}, 0, "restored set 1");
    EXPECT_EQ(fs::file_size(deep / "mcr.dat"), kMacroFileSize);
    EXPECT_EQ(Leftovers(deep), 0u);
    // Past the limit: the folder's path, or its files' paths.
    Expect({"check", deep.string() + "/" + std::string(300, 'x')}, 2,
           "longer path than the system");
    fs::path deeper = deep;
    deeper += "/ffffffffff";
    fs::create_directories(deeper);
    Expect({"check", deeper.string()}, 2, "longer than the system takes");
    fs::remove_all(dir_.Path(std::string(200, 'd')));

    // Standard output as /dev/stdout, in a pipe: the same bytes as to '-'.
    const auto [piped, throughPipe] =
        Shell(dir_, cli + " export " + Quoted(F()) + " 1 /dev/stdout | cat");
    EXPECT_EQ(piped, 0);
    EXPECT_EQ(throughPipe, set1);

    // A file-size limit (the signal it sends ignored, as the program does) and a drive
    // mounted read-only.
    std::vector<uint8_t> wrong(kMacroFileSize, 1);
    std::ofstream(File("mcr7.dat"), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(wrong.data()), std::streamsize(wrong.size()));
    const auto [limited, limitText] = Shell(dir_, "ulimit -f 4; " + cli + " fix " + Quoted(F()));
    EXPECT_EQ(limited, 2) << limitText;
    EXPECT_NE(limitText.find("file size limit"), std::string::npos) << limitText;
    EXPECT_EQ(fs::file_size(File("mcr7.dat")), kMacroFileSize);
    const fs::path readOnly = dir_.Path("ro");
    fs::create_directory(readOnly);
    if (Shell(dir_, "mount -t tmpfs -o ro tmpfs " + Quoted(readOnly.string())).first == 0) {
        Expect({"import", readOnly.string(), "1", backup_.string()}, 2, "Read-only file system");
        Shell(dir_, "umount " + Quoted(readOnly.string()));
    }

    // One line per file, whatever the folder's name holds.
    const fs::path odd = dir_.Path("two\nlines");
    MakeCharacter(odd);
    std::ofstream(odd / "mcr3.dat", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(wrong.data()), std::streamsize(wrong.size()));
    for (const char* command : {"check", "fix"}) {
        const auto run = Cli({command, odd.string()});
        const std::size_t lines = std::size_t(std::count(run.out.begin(), run.out.end(), '\n'));
        EXPECT_EQ(lines, std::string(command) == "check" ? std::size_t(kSetCount) : 1u) << run.out;
        EXPECT_NE(run.out.find("two\u240Alines/mcr3.dat\t"), std::string::npos) << run.out;
    }
}

}  // namespace
}  // namespace qm
