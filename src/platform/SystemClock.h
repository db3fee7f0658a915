#pragma once
#include "platform/Interfaces.h"

namespace qm {

// The local time of the machine.
class SystemClock : public IClock {
  public:
    LocalDateTime Now() override;
    int64_t TickMs() override;
};

}  // namespace qm
