#include "storage/PrivateTemp.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdlib>

#include "support/TempDir.h"

namespace qm {
namespace {

using test::TempDir;
namespace fs = std::filesystem;

// Windows has its own temporary folder for each account and no fork: there the folder
// only has to hold the files, and names must not lead out of it.
TEST(PrivateTemp, NamesStayInsideTheFolder) {
    auto folder = PrivateTempFolder();
    ASSERT_TRUE(folder);
    const uint8_t content[] = {'n', 'e', 'w'};
    auto path = WritePrivateTempFile("Set1.txt", content);
    ASSERT_TRUE(path);
    EXPECT_EQ(*path, *folder / "Set1.txt");
    EXPECT_EQ(fs::file_size(*path), 3u);
    EXPECT_TRUE(WritePrivateTempFile("Set1.txt", std::vector<uint8_t>(5, 'x')));
    EXPECT_EQ(fs::file_size(*path), 5u);
    for (const char* name : {"../escape", "..", "", "a/b"}) {
        Reason error;
        EXPECT_FALSE(WritePrivateTempFile(name, content, &error)) << name;
        EXPECT_EQ(error.kind, ReasonKind::TempFile);
    }
#ifdef _WIN32
    EXPECT_FALSE(WritePrivateTempFile("..\\escape", content));
#endif
}

TEST(PrivateTemp, OnlyThisUserMayEnterAndALinkThereIsNeverFollowed) {
#ifdef _WIN32
    GTEST_SKIP() << "POSIX modes and links";
#else
    auto folder = PrivateTempFolder();
    ASSERT_TRUE(folder);
    EXPECT_EQ(PrivateTempFolder(), folder);
    struct stat st {};
    ASSERT_EQ(::lstat(folder->c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, ::geteuid());

    TempDir dir;
    dir.Write("victim", {'o', 'l', 'd'});
    fs::remove(*folder / "Set1.txt");
    fs::create_symlink(dir.Path("victim"), *folder / "Set1.txt");
    const uint8_t content[] = {'n', 'e', 'w'};
    auto path = WritePrivateTempFile("Set1.txt", content);
    ASSERT_TRUE(path);
    EXPECT_EQ(*path, *folder / "Set1.txt");
    EXPECT_EQ(dir.Read("victim"), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(*path)));
    EXPECT_EQ(fs::file_size(*path), 3u);
    Reason error;
    EXPECT_FALSE(WritePrivateTempFile("../escape", content, &error));
    EXPECT_EQ(error.kind, ReasonKind::TempFile);
#endif
}

// Each process has its own folder, removed when it exits; one left by a killed run is
// removed by the next run that makes one.
TEST(PrivateTemp, RemovedOnExitAndAfterAKilledRun) {
#ifdef _WIN32
    GTEST_SKIP() << "needs fork";
#else
    TempDir base;
    auto runChild = [&](bool killed) {
        pid_t pid = ::fork();
        if (pid == 0) {
            ::setenv("TMPDIR", base.Path().c_str(), 1);
            auto folder = PrivateTempFolder();
            if (!folder || folder->parent_path() != base.Path()) ::_exit(3);
            if (!WritePrivateTempFile("wine-0.reg", std::vector<uint8_t>(10, 'x'))) ::_exit(4);
            if (killed) ::_exit(0);  // no exit handlers run, as when killed
            std::exit(0);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    // The folders of runs still going - another process, a forked child that waits -
    // are theirs.
    const std::string others = "quillmor-" + std::to_string(::getppid()) + "-aaaaaa";
    fs::create_directory(base.Path(others));
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t waiting = ::fork();
    if (waiting == 0) {
        ::setenv("TMPDIR", base.Path().c_str(), 1);
        const bool made = PrivateTempFolder().has_value();
        const char answer = made ? 'y' : 'n';
        (void)!::write(ready[1], &answer, 1);
        ::pause();
        ::_exit(0);
    }
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    ASSERT_EQ(answer, 'y');
    ASSERT_EQ(runChild(true), 0);
    EXPECT_EQ(base.Count(), 3u);
    ASSERT_EQ(runChild(false), 0);
    EXPECT_EQ(base.Count(), 2u);
    EXPECT_TRUE(fs::is_directory(base.Path(others)));
    ::kill(waiting, SIGKILL);
    ::waitpid(waiting, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    fs::remove(base.Path(others));
    ASSERT_EQ(runChild(false), 0);
    EXPECT_EQ(base.Count(), 0u);
    // The parent's own folder is untouched by its children's exits.
    auto mine = PrivateTempFolder();
    ASSERT_TRUE(mine);
    EXPECT_TRUE(fs::is_directory(*mine));
#endif
}

}  // namespace
}  // namespace qm
