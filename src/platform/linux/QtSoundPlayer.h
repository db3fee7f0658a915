#pragma once
// Sound effects through Qt Multimedia: one at a time, started without waiting.

#include <QSoundEffect>

#include "platform/Interfaces.h"

namespace qm {

class QtSoundPlayer : public ISoundPlayer {
  public:
    void Stop() override;
    // Replaces whatever is playing. A file the toolkit cannot decode plays nothing.
    void PlayAsync(std::u16string_view path) override;

  private:
    QSoundEffect effect_;
};

}  // namespace qm
