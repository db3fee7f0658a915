#pragma once
// A clock that moves only when a test moves it.

#include "platform/Interfaces.h"

namespace qm {

class FakeClock : public IClock {
  public:
    explicit FakeClock(LocalDateTime start = {2004, 5, 6, 21, 7, 3}) : now_(start) {}

    LocalDateTime Now() override { return now_; }
    int64_t TickMs() override { return tickMs_; }

    void Set(const LocalDateTime& now) { now_ = now; }
    // Moves the tick and the date and time forward; the date carries over days, months
    // and years (leap years included) whenever the millisecond total crosses a second.
    void Advance(int64_t ms);

  private:
    LocalDateTime now_;
    int64_t tickMs_ = 0;
    int64_t subSecondMs_ = 0;
};

}  // namespace qm
