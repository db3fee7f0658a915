#pragma once
// A sound player that remembers what it was asked to play.

#include <string>
#include <vector>

#include "platform/Interfaces.h"

namespace qm {

class FakeSoundPlayer : public ISoundPlayer {
  public:
    void Stop() override {
        ++stops_;
        playing_.clear();
    }
    void PlayAsync(std::u16string_view path) override {
        played_.emplace_back(path);
        playing_.assign(path);
    }

    const std::vector<std::u16string>& Played() const { return played_; }
    const std::u16string& Playing() const { return playing_; }
    int StopCount() const { return stops_; }
    void Clear() {
        played_.clear();
        playing_.clear();
        stops_ = 0;
    }

  private:
    std::vector<std::u16string> played_;
    std::u16string playing_;
    int stops_ = 0;
};

}  // namespace qm
