// The Win32 registry backends against the real registry (Wine's, in the test run):
// where the values land, what reg.exe reads back, and a write the system refuses.
#include "platform/win32/Win32Registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "settings/Registry.h"
#include "storage/Utf.h"
#include "support/Process.h"

namespace qm {
namespace {

constexpr std::u16string_view kTestKey = u"SOFTWARE\\QuillmorTest\\Settings";

void DeleteTestKeys(HKEY root, REGSAM view) {
    HKEY software = nullptr;
    if (RegOpenKeyExW(root, L"SOFTWARE", 0, KEY_ALL_ACCESS | view, &software) == ERROR_SUCCESS) {
        RegDeleteTreeW(software, L"QuillmorTest");
        RegCloseKey(software);
    }
}

class Win32RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        DeleteTestKeys(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY);
        DeleteTestKeys(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY);
        DeleteTestKeys(HKEY_CURRENT_USER, 0);
    }
};

bool KeyExists(HKEY root, const wchar_t* key, REGSAM view) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(root, key, 0, KEY_READ | view, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

std::string RegQuery(const std::string& key) {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    const test::Outcome run =
        test::RunProgram(std::filesystem::path(system) / "reg.exe", {"query", key});
    EXPECT_TRUE(run.started);
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out;
}

TEST_F(Win32RegistryTest, GameKeysLandInThe32BitViewOfTheMachine) {
    Win32RegistryBackend machine(Win32RegistryBackend::Root::Machine32);
    ASSERT_TRUE(
        RegWriteValue(machine, Hive::LocalMachine, kTestKey, u"0018", REG_DWORD_TYPE, 0x1234));
    ASSERT_TRUE(RegWriteValue(machine, Hive::LocalMachine, kTestKey, u"0001", REG_SZ_TYPE,
                              u"C:\\Program Files (x86)\\PlayOnline\\SquareEnix\\"));
    ASSERT_TRUE(
        RegWriteValue(machine, Hive::LocalMachine, kTestKey, u"Name", REG_SZ_TYPE, u"日本語"));

    // A 64-bit prefix keeps the 32-bit view under WOW6432Node; the 64-bit view has nothing.
    const std::string listed = RegQuery("HKLM\\SOFTWARE\\Wow6432Node\\QuillmorTest\\Settings");
    EXPECT_NE(listed.find("0018    REG_DWORD    0x1234"), std::string::npos) << listed;
    EXPECT_NE(listed.find("0001    REG_SZ    C:\\Program Files (x86)\\PlayOnline\\SquareEnix\\"),
              std::string::npos)
        << listed;
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\QuillmorTest", KEY_WOW64_64KEY));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"SOFTWARE\\QuillmorTest", 0));

    // The text is stored as UTF-16 and comes back as the same CP932 text.
    wchar_t text[16] = {};
    DWORD size = sizeof text;
    ASSERT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Wow6432Node\\QuillmorTest\\Settings",
                           L"Name", RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, text, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(text), L"日本語");
    EXPECT_EQ(RegReadValue(machine, Hive::LocalMachine, kTestKey, u"Name", REG_SZ_TYPE, u"-"),
              u"日本語");
    EXPECT_EQ(RegReadValue(machine, Hive::LocalMachine, kTestKey, u"0018", REG_DWORD_TYPE, -1),
              0x1234);
}

TEST_F(Win32RegistryTest, ToolKeysLandUnderTheCurrentUser) {
    Win32RegistryBackend user(Win32RegistryBackend::Root::CurrentUser);
    ASSERT_TRUE(
        RegWriteValue(user, Hive::LocalMachine, kTestKey, u"CaptureInterval", REG_DWORD_TYPE, 5));
    const std::string listed = RegQuery("HKCU\\SOFTWARE\\QuillmorTest\\Settings");
    EXPECT_NE(listed.find("CaptureInterval    REG_DWORD    0x5"), std::string::npos) << listed;
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\QuillmorTest", KEY_WOW64_32KEY));
    EXPECT_EQ(
        RegReadValue(user, Hive::LocalMachine, kTestKey, u"CaptureInterval", REG_DWORD_TYPE, 0), 5);
    // Reading a missing key creates nothing.
    EXPECT_EQ(RegReadValue(user, Hive::LocalMachine, u"SOFTWARE\\QuillmorTest\\None", u"X",
                           REG_DWORD_TYPE, 7),
              7);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"SOFTWARE\\QuillmorTest\\None", 0));
}

// Wine grants every access to its one user, so the refusal here is another one the
// system makes: a lasting key below a volatile one. A refused HKEY_LOCAL_MACHINE on
// Windows takes the same road, with its own reason.
TEST_F(Win32RegistryTest, ARefusedWriteIsReportedWithItsReasonOnce) {
    Win32RegistryBackend user(Win32RegistryBackend::Root::CurrentUser);
    ASSERT_TRUE(RegWriteValue(user, Hive::LocalMachine, kTestKey, u"A", REG_DWORD_TYPE, 1));
    HKEY volatileKey = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\QuillmorTest\\Volatile", 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_READ, nullptr, &volatileKey, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(volatileKey);

    const std::u16string_view refused = u"SOFTWARE\\QuillmorTest\\Volatile\\Settings";
    for (const char16_t* name : {u"0001", u"0002"})
        EXPECT_FALSE(RegWriteValue(user, Hive::LocalMachine, refused, name, REG_DWORD_TYPE, 1));
    const std::vector<StoreNotice> notices = user.TakeNotice();
    ASSERT_EQ(notices.size(), 1u);
    const Reason& reason = notices[0].reason;
    EXPECT_TRUE(reason.kind == ReasonKind::RegistryDenied ||
                reason.kind == ReasonKind::RegistryError);
    EXPECT_NE(reason.subject.find(u"SOFTWARE\\QuillmorTest\\Volatile\\Settings"),
              std::u16string::npos)
        << Utf16ToUtf8(reason.subject);
    EXPECT_TRUE(user.TakeNotice().empty());  // the same refusal is told once
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"SOFTWARE\\QuillmorTest\\Volatile\\Settings", 0));

    ASSERT_TRUE(RegWriteValue(user, Hive::LocalMachine, kTestKey, u"A", REG_DWORD_TYPE, 1));
    EXPECT_FALSE(user.LastError());
}

}  // namespace
}  // namespace qm
