#include "settings/Registry.h"

#include <gtest/gtest.h>

#include "macro/Cp932.h"
#include "platform/fake/FakeRegistry.h"
#include "settings/RegistryRouter.h"

namespace qm {
namespace {

constexpr Hive HKLM = Hive::LocalMachine;
constexpr std::u16string_view kKey = u"SOFTWARE\\Test\\Deep\\Key";

RegRawValue Raw(uint32_t type, std::vector<uint8_t> data) {
    return RegRawValue{type, std::move(data)};
}

TEST(RegistryRead, MissingKeyOrValueGivesTheDefaultAndCreatesNothing) {
    FakeRegistry reg;
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"Number", REG_DWORD_TYPE, 77), 77);
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"Text", REG_SZ_TYPE, u"既定"), u"既定");
    reg.PutNumber(kKey, u"Other", 1);
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"Number", REG_DWORD_TYPE, -3), -3);
    EXPECT_EQ(reg.ValueCount(), 1u);
    EXPECT_FALSE(reg.HasKey(u"SOFTWARE\\Missing"));
    EXPECT_EQ(reg.sets, 0);
}

TEST(RegistryRead, TextIsCp932CutAtTheFirstZero) {
    FakeRegistry reg;
    auto bytes = Cp932Encode(u"ｶﾅ～漢字");
    bytes.push_back(0);
    bytes.push_back('x');  // past the terminator: not part of the text
    bytes.push_back(0);
    reg.Put(kKey, u"Text", Raw(REG_SZ_TYPE, bytes));
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"Text", REG_SZ_TYPE, u""), u"ｶﾅ～漢字");
    // Stored without a terminator, it still reads in full.
    reg.Put(kKey, u"Bare", Raw(REG_SZ_TYPE, {'a', 'b'}));
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"Bare", REG_SZ_TYPE, u"-"), u"ab");
}

TEST(RegistryRead, TextNeedingTheWholeBufferOrMoreGivesTheDefault) {
    FakeRegistry reg;
    std::vector<uint8_t> fits(1022, 'a');
    fits.push_back(0);  // 1023 bytes with the terminator
    std::vector<uint8_t> tooLong(1023, 'b');
    tooLong.push_back(0);                         // 1024 bytes
    std::vector<uint8_t> bareTooLong(1023, 'c');  // 1024 once a terminator is added
    reg.Put(kKey, u"Fits", Raw(REG_SZ_TYPE, fits));
    reg.Put(kKey, u"TooLong", Raw(REG_SZ_TYPE, tooLong));
    reg.Put(kKey, u"BareTooLong", Raw(REG_SZ_TYPE, bareTooLong));
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"Fits", REG_SZ_TYPE, u"d").size(), 1022u);
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"TooLong", REG_SZ_TYPE, u"d"), u"d");
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"BareTooLong", REG_SZ_TYPE, u"d"), u"d");
}

TEST(RegistryRead, StoredTypeIsNotCompared) {
    FakeRegistry reg;
    reg.PutNumber(kKey, u"Digits", 0x3130);  // bytes '0' '1' 0 0
    reg.PutText(kKey, u"Short", u"ab");      // 3 bytes
    reg.PutText(kKey, u"Long", u"abcd");     // 5 bytes: too big for a number
    reg.Put(kKey, u"Wide", Raw(11, {1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"Digits", REG_SZ_TYPE, u"-"), u"01");
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"Short", REG_DWORD_TYPE, -1), 0x6261);
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"Long", REG_DWORD_TYPE, -1), -1);
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"Wide", REG_DWORD_TYPE, -1), -1);
}

TEST(RegistryRead, NumbersAreSigned32Bit) {
    FakeRegistry reg;
    reg.Put(kKey, u"Max", Raw(REG_DWORD_TYPE, {0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"Max", REG_DWORD_TYPE, 0), -1);
    ASSERT_TRUE(RegWriteValue(reg, HKLM, kKey, u"Min", REG_DWORD_TYPE, INT32_MIN));
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"Min", REG_DWORD_TYPE, 0), INT32_MIN);
    EXPECT_EQ(reg.Peek(kKey, u"Min")->data, (std::vector<uint8_t>{0, 0, 0, 0x80}));
}

TEST(RegistryRead, UnknownTypeCodeGivesTheDefault) {
    FakeRegistry reg;
    reg.PutNumber(kKey, u"N", 5);
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"N", 3, 9), 9);
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"N", 0, u"d"), u"d");
}

TEST(RegistryRead, ResultFollowsTheDefaultsKind) {
    FakeRegistry reg;
    reg.PutNumber(kKey, u"N", -42);
    reg.PutText(kKey, u"Digits", u" 123 ");
    reg.PutText(kKey, u"Word", u"12a");
    reg.PutText(kKey, u"Huge", u"99999999999");
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"N", REG_DWORD_TYPE, u""), u"-42");
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"Digits", REG_SZ_TYPE, 0), 123);
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"Word", REG_SZ_TYPE, 7), 7);
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"Huge", REG_SZ_TYPE, 7), 7);
}

TEST(RegistryWrite, CreatesEveryLevelOfTheKey) {
    FakeRegistry reg;
    ASSERT_TRUE(RegWriteValue(reg, HKLM, kKey, u"N", REG_DWORD_TYPE, 1));
    EXPECT_TRUE(reg.HasKey(u"SOFTWARE"));
    EXPECT_TRUE(reg.HasKey(u"SOFTWARE\\Test"));
    EXPECT_TRUE(reg.HasKey(u"SOFTWARE\\Test\\Deep"));
    EXPECT_TRUE(reg.HasKey(kKey));
}

TEST(RegistryWrite, TextIsCp932WithItsTerminator) {
    FakeRegistry reg;
    ASSERT_TRUE(RegWriteValue(reg, HKLM, kKey, u"Empty", REG_SZ_TYPE, u""));
    EXPECT_EQ(reg.Peek(kKey, u"Empty")->data, std::vector<uint8_t>{0});
    EXPECT_EQ(reg.Peek(kKey, u"Empty")->type, uint32_t{REG_SZ_TYPE});
    ASSERT_TRUE(RegWriteValue(reg, HKLM, kKey, u"Kana", REG_SZ_TYPE, u"ア"));
    EXPECT_EQ(reg.Peek(kKey, u"Kana")->data, (std::vector<uint8_t>{0x83, 0x41, 0}));
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"Kana", REG_SZ_TYPE, u""), u"ア");
}

TEST(RegistryWrite, UnknownTypeOrNonNumberWritesNothing) {
    FakeRegistry reg;
    EXPECT_FALSE(RegWriteValue(reg, HKLM, kKey, u"A", 3, 5));
    EXPECT_FALSE(RegWriteValue(reg, HKLM, kKey, u"B", 7, u"x"));
    EXPECT_FALSE(RegWriteValue(reg, HKLM, kKey, u"C", REG_DWORD_TYPE, u"abc"));
    EXPECT_EQ(reg.ValueCount(), 0u);
    EXPECT_FALSE(reg.HasKey(kKey));
    EXPECT_TRUE(RegWriteValue(reg, HKLM, kKey, u"D", REG_DWORD_TYPE, u"-12"));
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"D", REG_DWORD_TYPE, 0), -12);
    EXPECT_TRUE(RegWriteValue(reg, HKLM, kKey, u"E", REG_SZ_TYPE, 250));
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"E", REG_SZ_TYPE, u""), u"250");
}

TEST(RegistryWrite, ReportsAFailingStore) {
    FakeRegistry reg;
    reg.failSet = [](std::u16string_view, std::u16string_view name) { return name == u"Bad"; };
    EXPECT_FALSE(RegWriteValue(reg, HKLM, kKey, u"Bad", REG_DWORD_TYPE, 1));
    EXPECT_TRUE(RegWriteValue(reg, HKLM, kKey, u"Good", REG_DWORD_TYPE, 1));
    EXPECT_EQ(RegReadValue(reg, HKLM, kKey, u"Bad", REG_DWORD_TYPE, 0), 0);
}

TEST(RegistryRouter, SendsKeysToTheLongestMatchingPrefix) {
    FakeRegistry own, game, settings;
    RegistryRouter router(own);
    router.Route(u"SOFTWARE\\PlayOnline", &game);
    router.Route(u"software\\playonline\\SQUARE", &settings);

    ASSERT_TRUE(RegWriteValue(router, HKLM, u"SOFTWARE\\Tavrel\\Quillmor", u"A", 4, 1));
    ASSERT_TRUE(RegWriteValue(router, HKLM, u"SOFTWARE\\PLAYONLINE\\InstallFolder", u"B", 4, 2));
    ASSERT_TRUE(RegWriteValue(router, HKLM, u"SOFTWARE\\PlayOnline\\SQUARE\\FFXI", u"C", 4, 3));
    // A name that merely starts like a routed level is not below it.
    ASSERT_TRUE(RegWriteValue(router, HKLM, u"SOFTWARE\\PlayOnlineUS", u"D", 4, 4));
    EXPECT_EQ(own.ValueCount(), 2u);
    EXPECT_EQ(game.ValueCount(), 1u);
    EXPECT_EQ(settings.ValueCount(), 1u);
    EXPECT_EQ(RegReadValue(router, HKLM, u"SOFTWARE\\PlayOnline\\InstallFolder", u"B", 4, 0), 2);

    own.notice = {{.kind = ReasonKind::SettingsFileUnreadable}, true};
    settings.notice = {{.kind = ReasonKind::GameRunning}, false};
    const std::vector<StoreNotice> both = router.TakeNotice();
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].reason.kind, ReasonKind::SettingsFileUnreadable);
    EXPECT_EQ(both[1].reason.kind, ReasonKind::GameRunning);
    EXPECT_TRUE(router.TakeNotice().empty());

    router.Route(u"SOFTWARE\\PlayOnline", nullptr);
    EXPECT_EQ(&router.BackendFor(u"SOFTWARE\\PlayOnline\\InstallFolder"), &own);
    EXPECT_EQ(&router.BackendFor(u"SOFTWARE\\PlayOnline\\Square"), &settings);
}

}  // namespace
}  // namespace qm
