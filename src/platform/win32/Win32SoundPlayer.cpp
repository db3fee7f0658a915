#ifdef _WIN32

#include "platform/win32/Win32SoundPlayer.h"

// mmsystem.h needs the types of windows.h first; CMake links winmm.
#include <windows.h>

#include <mmsystem.h>

#include <string>

namespace qm {

void Win32SoundPlayer::Stop() {
    sndPlaySoundW(nullptr, SND_ASYNC);
}

void Win32SoundPlayer::PlayAsync(std::u16string_view path) {
    const std::wstring name(path.begin(), path.end());
    // No default beep for a file that is not a sound.
    sndPlaySoundW(name.c_str(), SND_ASYNC | SND_NODEFAULT);
}

}  // namespace qm

#endif  // _WIN32
