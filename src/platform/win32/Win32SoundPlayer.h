#pragma once
// Sound effects through the system's simple sound call: one at a time, asynchronous.
#ifdef _WIN32

#include "platform/Interfaces.h"

namespace qm {

class Win32SoundPlayer : public ISoundPlayer {
  public:
    void Stop() override;
    void PlayAsync(std::u16string_view path) override;
};

}  // namespace qm

#endif  // _WIN32
