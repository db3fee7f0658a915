#pragma once
// Sound effects through Qt Multimedia: one at a time, started without waiting.
//
// Qt Multimedia and the sound libraries under it are slow to load and take memory, and
// most runs play no sound; so this lives in a module of its own, loaded by
// LazySoundPlayer on the first sound.

#include <QSoundEffect>

#include "platform/Interfaces.h"

namespace qm {

class QtSoundPlayer : public ISoundPlayer {
  public:
    ~QtSoundPlayer() override;
    void Stop() override;
    // Replaces whatever is playing. A file the toolkit cannot decode plays nothing.
    void PlayAsync(std::u16string_view path) override;

  private:
    QSoundEffect effect_;
};

}  // namespace qm

// The module's one entry point; the caller owns the player.
extern "C" qm::ISoundPlayer* QuillmorCreateSoundPlayer();
