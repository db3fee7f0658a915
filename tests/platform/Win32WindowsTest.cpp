// The Win32 window finder, shell folders and single-instance guard on the system the
// tests run on (Wine with its window-less display driver in the test run, where screen
// grabs fail).
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/win32/Win32InstanceLock.h"
#include "platform/win32/Win32ShellFolders.h"
#include "platform/win32/Win32Windows.h"

namespace qm {
namespace {

// A top-level window of a class of our own choosing, as the game or launcher shows.
class StandIn {
  public:
    StandIn(const wchar_t* className, const wchar_t* title) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = className;
        RegisterClassW(&wc);
        window_ = CreateWindowExW(0, className, title, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    }
    ~StandIn() {
        if (window_) DestroyWindow(window_);
    }
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;
    HWND Get() const { return window_; }

  private:
    HWND window_ = nullptr;
};

TEST(Win32Windows, GameAndLauncherAreFoundByTheirClassesTheGameAlsoByTitle) {
    EXPECT_EQ(FindGameWindow(), nullptr);
    EXPECT_EQ(FindLauncherWindow(), nullptr);
    EXPECT_FALSE(BringForward(nullptr));
    {
        StandIn titled(L"SomeOtherClass", L"FINAL FANTASY XI");
        ASSERT_NE(titled.Get(), nullptr);
        EXPECT_EQ(FindGameWindow(), titled.Get());
        StandIn game(L"FFXiClass", L"");
        EXPECT_EQ(FindGameWindow(), game.Get()) << "the class comes first";
    }
    EXPECT_EQ(FindGameWindow(), nullptr);

    StandIn launcher(L"PlayOnline", L"PlayOnline Viewer");
    EXPECT_EQ(FindLauncherWindow(), launcher.Get());
    ShowWindow(launcher.Get(), SW_MINIMIZE);
    EXPECT_TRUE(BringForward(launcher.Get()));
    EXPECT_FALSE(IsIconic(launcher.Get()));
}

TEST(Win32ShellFolders, SpecialFoldersAndTheTemporaryFolder) {
    Win32ShellFolders folders;
    for (int csidl : {13, 36, 39}) {
        const std::u16string path = folders.GetSpecialFolderPath(csidl);
        EXPECT_TRUE(std::filesystem::path(std::wstring(path.begin(), path.end())).is_absolute())
            << csidl;
    }
    EXPECT_EQ(folders.GetSpecialFolderPath(-5), u"");
    const std::u16string temp = folders.GetTempFolderPath();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), u'\\');
    EXPECT_TRUE(std::filesystem::is_directory(std::wstring(temp.begin(), temp.end())));
}

TEST(Win32InstanceLock, TheFirstCopyHoldsItAndALaterOneWakesIt) {
    const std::wstring name = L"quillmor-test-" + std::to_wstring(GetCurrentProcessId());
    auto first = std::make_unique<Win32InstanceLock>(name);
    Win32InstanceLock second(name);
    EXPECT_FALSE(second.ActivateOtherCopy()) << "nobody to wake yet";
    EXPECT_FALSE(first->AnotherCopyRunning());
    EXPECT_TRUE(second.AnotherCopyRunning());
    EXPECT_EQ(WaitForSingleObject(first->ActivationEvent(), 0), DWORD(WAIT_TIMEOUT));
    EXPECT_TRUE(second.ActivateOtherCopy());
    EXPECT_EQ(WaitForSingleObject(first->ActivationEvent(), 0), DWORD(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(first->ActivationEvent(), 0), DWORD(WAIT_TIMEOUT))
        << "one wake-up per request";

    first.reset();  // the first copy ends: the next one to start holds the guard
    Win32InstanceLock third(name);
    EXPECT_FALSE(third.AnotherCopyRunning());
}

}  // namespace
}  // namespace qm
