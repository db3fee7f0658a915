#include "config/CnfRecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include "macro/Cp932.h"
#include "storage/Paths.h"
#include "storage/SafeFile.h"
#include "storage/SavePlan.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

class CnfFile : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ =
            fs::temp_directory_path() /
            ("quillmor-cnf-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir_);
        folder_ = TextFromPath(dir_) + u"/";
    }
    void TearDown() override {
        SetSafeFileFaultHook(nullptr);
        fs::remove_all(dir_);
    }

    fs::path File() const { return dir_ / "cnf.dat"; }

    void WriteBytes(const std::vector<uint8_t>& bytes) const {
        std::ofstream out(File(), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    std::vector<uint8_t> ReadBytes() const {
        std::ifstream in(File(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static std::vector<uint8_t> Pattern(std::size_t size) {
        std::vector<uint8_t> bytes(size);
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
        return bytes;
    }

    fs::path dir_;
    std::u16string folder_;
};

TEST_F(CnfFile, MissingFileReadsAsZeros) {
    std::error_code error;
    CnfRecord record = LoadCnf(folder_, &error);
    EXPECT_EQ(record.bytes, (std::array<uint8_t, kCnfRecordSize>{}));
    EXPECT_FALSE(record.readFailed);
    EXPECT_FALSE(error);
}

TEST_F(CnfFile, LongFileKeepsItsTailOnSave) {
    const std::vector<uint8_t> original = Pattern(300);
    WriteBytes(original);
    CnfRecord record = LoadCnf(folder_);
    ASSERT_TRUE(std::equal(record.bytes.begin(), record.bytes.end(), original.begin()));

    record.SetColorByte(5, ColorByte::Red, 0xAB);
    Reason error;
    ASSERT_TRUE(SaveCnf(folder_, record, &error)) << error.cause.message();

    std::vector<uint8_t> expected = original;
    expected[80 + 4 * 5 + 2] = 0xAB;
    EXPECT_EQ(ReadBytes(), expected);
}

TEST_F(CnfFile, ShortFileReadsZerosPastItsEndAndGrowsTo216) {
    const std::vector<uint8_t> original = Pattern(100);
    WriteBytes(original);
    CnfRecord record = LoadCnf(folder_);
    EXPECT_TRUE(std::equal(original.begin(), original.end(), record.bytes.begin()));
    EXPECT_TRUE(std::all_of(record.bytes.begin() + 100, record.bytes.end(),
                            [](uint8_t b) { return b == 0; }));

    record.SetColor(22, TextColor{1, 2, 3, 4});
    ASSERT_TRUE(SaveCnf(folder_, record));
    const std::vector<uint8_t> written = ReadBytes();
    ASSERT_EQ(written.size(), kCnfRecordSize);
    EXPECT_TRUE(std::equal(original.begin(), original.end(), written.begin()));
    EXPECT_EQ(std::vector<uint8_t>(written.begin() + 168, written.end() - 44),
              (std::vector<uint8_t>{1, 2, 3, 4}));
}

TEST_F(CnfFile, SavingIntoAFolderWithoutTheFileCreatesIt) {
    CnfRecord record;
    record.SetColorByte(0, ColorByte::Alpha, 9);
    ASSERT_TRUE(SaveCnf(folder_, record));
    std::vector<uint8_t> expected(kCnfRecordSize, 0);
    expected[83] = 9;
    EXPECT_EQ(ReadBytes(), expected);
}

TEST_F(CnfFile, FailedWriteIsReportedAndLeavesTheOldFile) {
    const std::vector<uint8_t> original = Pattern(216);
    WriteBytes(original);
    CnfRecord record = LoadCnf(folder_);
    record.SetColor(0, TextColor{0, 0, 0, 0});
    SetSafeFileFaultHook([](const fs::path&) { return false; });
    Reason error;
    EXPECT_FALSE(SaveCnf(folder_, record, &error));
    EXPECT_EQ(error.kind, ReasonKind::File);
    EXPECT_EQ(ReadBytes(), original);
}

TEST_F(CnfFile, RecordOfAnUnreadableFileIsNeverWritten) {
    CnfRecord record;
    record.readFailed = true;
    Reason error;
    EXPECT_FALSE(SaveCnf(folder_, record, &error));
    EXPECT_EQ(error.kind, ReasonKind::ColorsUnread);
    EXPECT_FALSE(fs::exists(File()));
}

// In a save of several parts, colours read from a file that could not be read refuse the
// whole save: nothing is written, the macro file beside included.
TEST_F(CnfFile, AnUnreadableRecordRefusesTheWholeSave) {
    CnfRecord record;
    record.readFailed = true;
    const fs::path other = dir_ / "mcr.dat";
    SavePlan plan;
    plan.AddFile(other, std::vector<uint8_t>(7624, 1), u"mcr.dat");
    PlanCnf(plan, folder_, record, nullptr);
    const SaveReport report = plan.Run();
    EXPECT_EQ(report.outcome, SaveReport::Outcome::Refused);
    EXPECT_EQ(report.failed, u"cnf.dat");
    EXPECT_EQ(report.reason.kind, ReasonKind::ColorsUnread);
    EXPECT_FALSE(fs::exists(other));
    EXPECT_FALSE(fs::exists(File()));
}

#ifndef _WIN32
TEST_F(CnfFile, ExistingButUnopenableFileIsReportedNotZeroed) {
    // A socket is there but cannot be opened as a file, even by root.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string path = File().string();
    ASSERT_LT(path.size(), sizeof addr.sun_path);
    std::copy(path.begin(), path.end(), addr.sun_path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);

    std::error_code error;
    CnfRecord record = LoadCnf(folder_, &error);
    ::close(fd);
    EXPECT_TRUE(record.readFailed);
    EXPECT_TRUE(error);
    EXPECT_FALSE(SaveCnf(folder_, record));
}
#endif

TEST(CnfRecordLayout, ColourEntriesAreBlueGreenRedAlphaFromOffset80) {
    CnfRecord record;
    record.SetColorByte(5, ColorByte::Blue, 10);
    record.SetColorByte(5, ColorByte::Green, 20);
    record.SetColorByte(5, ColorByte::Red, 30);
    record.SetColorByte(5, ColorByte::Alpha, 40);
    EXPECT_EQ(std::vector<uint8_t>(record.bytes.begin() + 100, record.bytes.begin() + 104),
              (std::vector<uint8_t>{10, 20, 30, 40}));
    EXPECT_EQ(record.Color(5), (TextColor{10, 20, 30, 40}));
    EXPECT_EQ(record.ColorByteAt(5, ColorByte::Red), 30);

    // Only those four bytes changed.
    CnfRecord blank;
    blank.SetColor(5, TextColor{10, 20, 30, 40});
    EXPECT_EQ(record.bytes, blank.bytes);
    EXPECT_EQ(std::count(record.bytes.begin(), record.bytes.end(), 0), int(kCnfRecordSize) - 4);
}

TEST(CnfRecordLayout, EntriesOutsideTheTableTouchNothing) {
    CnfRecord record;
    record.SetColor(23, TextColor{1, 1, 1, 1});
    record.SetColor(-1, TextColor{1, 1, 1, 1});
    record.SetColorByte(23, ColorByte::Blue, 5);
    EXPECT_EQ(record.bytes, (std::array<uint8_t, kCnfRecordSize>{}));
    record.bytes[172] = 77;
    EXPECT_EQ(record.Color(23), TextColor{});
}

TEST(CnfRecordLayout, BackgroundIsSignedLittleEndianAtOffset56) {
    CnfRecord record;
    record.bytes[56] = 3;
    EXPECT_EQ(record.BackgroundValue(), 3);
    record.bytes[56] = 0xFE;
    record.bytes[57] = 0xFF;
    record.bytes[58] = 0xFF;
    record.bytes[59] = 0xFF;
    EXPECT_EQ(record.BackgroundValue(), -2);
    record.bytes[56] = 0x01;
    record.bytes[57] = 0x02;
    record.bytes[58] = 0x03;
    record.bytes[59] = 0x04;
    EXPECT_EQ(record.BackgroundValue(), 0x04030201);
}

TEST(TextColorTree, GroupsCoverEveryEntryOnceInOrder) {
    auto groups = TextColorGroups();
    ASSERT_EQ(groups.size(), 4u);
    EXPECT_EQ(groups[0].caption, u"会話");
    EXPECT_EQ(groups[0].key, u"talk");
    EXPECT_EQ(groups[1].key, u"me");
    EXPECT_EQ(groups[2].key, u"others");
    EXPECT_EQ(groups[3].caption, u"システム");
    EXPECT_EQ(groups[3].key, u"system");
    int next = 0;
    for (const auto& g : groups) {
        EXPECT_EQ(g.firstEntry, next);
        EXPECT_GE(g.lastEntry, g.firstEntry);
        next = g.lastEntry + 1;
    }
    EXPECT_EQ(next, kTextColorCount);
    EXPECT_EQ(groups[1].firstEntry, 8);
    EXPECT_EQ(groups[2].firstEntry, 14);
    EXPECT_EQ(groups[3].firstEntry, 20);
}

TEST(TextColorTree, CaptionsAndKeys) {
    EXPECT_EQ(TextColorCaption(0), u"通常会話(Say)");
    EXPECT_EQ(TextColorCaption(7), u"NPC発言");
    EXPECT_EQ(TextColorCaption(13), u"相手からのアクションを回避");
    EXPECT_EQ(TextColorCaption(22), u"一部のシステムメッセージ");
    EXPECT_EQ(TextColorCaption(23), u"");
    EXPECT_EQ(TextColorNodeKey(5), u"5 node");
    EXPECT_EQ(TextColorNodeKey(17), u"17 node");
    for (int i = 0; i < kTextColorCount; ++i) {
        EXPECT_FALSE(TextColorCaption(i).empty());
        EXPECT_EQ(TextColorEntryFromKey(TextColorNodeKey(i)), i);
    }
}

TEST(TextColorTree, GroupAndForeignKeysSelectNoEntry) {
    for (const auto& g : TextColorGroups()) EXPECT_EQ(TextColorEntryFromKey(g.key), -1);
    EXPECT_EQ(TextColorEntryFromKey(u"23 node"), -1);
    EXPECT_EQ(TextColorEntryFromKey(u"99999999999 node"), -1);
    EXPECT_EQ(TextColorEntryFromKey(u"node 5"), -1);
    EXPECT_EQ(TextColorEntryFromKey(u" node"), -1);
    EXPECT_EQ(TextColorEntryFromKey(u"12x node"), 12);
}

}  // namespace
}  // namespace qm
