#pragma once
// The sound player the editor holds: it loads the Qt Multimedia module (QtSoundPlayer)
// when the first sound is played, so that start-up does not pay for it.

#include <QString>
#include <memory>

#include "platform/Interfaces.h"

namespace qm {

class LazySoundPlayer : public ISoundPlayer {
  public:
    // `module`: the path of the sound module; empty: beside the program.
    explicit LazySoundPlayer(QString module = {});
    ~LazySoundPlayer() override;
    LazySoundPlayer(const LazySoundPlayer&) = delete;
    LazySoundPlayer& operator=(const LazySoundPlayer&) = delete;

    void Stop() override;  // nothing plays before the module is loaded
    // Without the module no sound is played (a warning goes to standard error once).
    void PlayAsync(std::u16string_view path) override;

    static QString DefaultModulePath();
    bool Loaded() const { return player_ != nullptr; }

  private:
    ISoundPlayer* Player();

    QString module_;
    bool tried_ = false;
    std::unique_ptr<ISoundPlayer> player_;
};

}  // namespace qm
