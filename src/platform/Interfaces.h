#pragma once
// The services the program asks of the operating system. The core and the window
// reach the system only through these; main() fills Platform with the real
// backends (linux/, win32/) and tests with the fakes (fake/).

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/Reason.h"

namespace qm {

class IRegistryBackend;

// Message boxes; the caption is always the program title.
// YesNoDefaultNo: a question whose Yes gives something up; Enter answers No.
enum class MsgButtons { Ok, YesNo, YesNoCancel, YesNoDefaultNo };
enum class MsgIcon { None, Information, Warning, Critical, Question };
enum class MsgAnswer { Ok, Yes, No, Cancel };

class IMessageBox {
  public:
    virtual ~IMessageBox() = default;
    virtual MsgAnswer Show(std::u16string_view text, MsgButtons buttons, MsgIcon icon) = 0;
};

// System-wide key state by Windows virtual-key code (16 Shift, 44 Print, 65 A, ...).
class IKeyState {
  public:
    virtual ~IKeyState() = default;
    // Non-zero while the key is down, or when it was pressed since the previous query.
    virtual int16_t GetAsyncKeyState(int virtualKey) = 0;
};

// Another running copy of the program, and the way to bring it forward.
class IInstanceChannel {
  public:
    virtual ~IInstanceChannel() = default;
    // True when another copy already runs. When none runs, this copy becomes the one
    // that others find; onActivate is then called whenever a later copy asks for it.
    virtual bool AnotherCopyRunning(std::function<void()> onActivate) = 0;
    // Asks the running copy to restore its window and come forward.
    virtual void ActivateOtherCopy() = 0;
};

// Local date and time, for the trace log, /clock and screenshot names.
struct LocalDateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
class IClock {
  public:
    virtual ~IClock() = default;
    virtual LocalDateTime Now() = 0;
    // A monotonic tick in milliseconds, for timers and seeding.
    virtual int64_t TickMs() = 0;
};

// Folder and file pickers. Empty result: cancelled.
class IFileDialogs {
  public:
    virtual ~IFileDialogs() = default;
    // The chosen folder without a trailing separator (a root keeps its own), or empty.
    virtual std::u16string BrowseForFolder(std::u16string_view prompt,
                                           std::u16string_view preselect) = 0;
    // A file to open. filterLabel e.g. "マクロファイル", pattern e.g. "mcr*.dat".
    virtual std::u16string GetOpenFileName(std::u16string_view initialFolder,
                                           std::u16string_view filterLabel,
                                           std::u16string_view pattern) = 0;
};

// Shell special folders by CSIDL number (13 music, 36 Windows, 39 pictures, 53 shared
// music) and the temporary folder.
class IShellFolders {
  public:
    virtual ~IShellFolders() = default;
    virtual std::u16string GetSpecialFolderPath(int csidl) = 0;  // empty when unknown
    virtual std::u16string GetTempFolderPath() = 0;              // ends with a separator
    // Where the desktop keeps its sound themes, each searched with its subfolders (on
    // Linux every "sounds" folder of the data folders); by default folder 36 alone.
    virtual std::vector<std::u16string> SoundThemeFolders() {
        std::u16string system = GetSpecialFolderPath(36);
        if (system.empty()) return {};
        return {system};
    }
};

// The system clipboard's plain text.
class IClipboard {
  public:
    virtual ~IClipboard() = default;
    virtual void Clear() = 0;
    virtual void SetText(std::u16string_view text) = 0;
    virtual std::u16string GetText() = 0;  // empty when the clipboard holds no text
};

// Finding other programs' windows and starting programs.
class IWindowsAndProcesses {
  public:
    virtual ~IWindowsAndProcesses() = default;
    // Brings a running launcher's window to the front; false when none runs.
    virtual bool ActivateLauncherWindow() = 0;
    // Starts a program without waiting for it; on failure, the reason.
    virtual bool StartProcess(std::u16string_view path, Reason* error) = 0;
    // True while the game's own window exists (found as the capture engine finds it):
    // the game then holds the logged-in character's macros and writes them back later.
    virtual bool IsGameRunning() = 0;
};

// Screen images for the capture engine.
struct ScreenImage {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0xAARRGGBB, row by row from the top
};
class IScreenGrabber {
  public:
    virtual ~IScreenGrabber() = default;
    // The display-sized block from the game window's client origin, or the whole
    // screen when the game is not running. Empty image when nothing could be grabbed.
    virtual ScreenImage GrabGameOrScreen() = 0;
};

// The display adapter: full-screen modes, bump-mapping ability, desktop size.
struct DisplayMode {
    int width = 0, height = 0;
    int bitsPerPixel = 0;  // 16, 24, 32 ...
    int format = 0;  // Direct3D format code where known: 20 R8G8B8, 22 X8R8G8B8, 23 R5G6B5 ...
};
class IDisplayProbe {
  public:
    virtual ~IDisplayProbe() = default;
    virtual bool Available() = 0;  // false: no display API, no list at all
    virtual std::vector<DisplayMode> Modes() = 0;
    // Vertex shader version as Direct3D reports it (0x0101 is 1.1); nothing when the query fails.
    virtual std::optional<uint32_t> VertexShaderVersion() = 0;
    // The same question without waiting: `done` gets the answer later on the window's
    // thread, or at once from a probe for which the question is cheap.
    virtual void AskVertexShaderVersion(std::function<void(std::optional<uint32_t>)> done) {
        done(VertexShaderVersion());
    }
    virtual std::optional<std::pair<int, int>> DesktopSize() = 0;
};

// Sounds: one at a time, asynchronous.
class ISoundPlayer {
  public:
    virtual ~ISoundPlayer() = default;
    virtual void Stop() = 0;
    virtual void PlayAsync(std::u16string_view path) = 0;
};

// Listing a folder's files (name and full path), in the file system's order.
struct FolderEntry {
    std::u16string name, path;
};

}  // namespace qm
