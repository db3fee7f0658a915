#pragma once
// Keys pressed and released by a test, reported as the system reports them: the high bit
// while the key is down, the low bit when it was pressed since the previous query.

#include <map>

#include "platform/Interfaces.h"

namespace qm {

class FakeKeyState : public IKeyState {
  public:
    int16_t GetAsyncKeyState(int virtualKey) override;

    void Press(int virtualKey);
    void Release(int virtualKey);
    // Pressed and released between two queries.
    void Tap(int virtualKey);
    void ReleaseAll();

    // Queries so far, of one key or of all keys.
    int QueryCount(int virtualKey) const;
    int QueryCount() const { return queries_; }

  private:
    struct Key {
        bool down = false;
        bool pressedSinceQuery = false;
        int queries = 0;
    };
    std::map<int, Key> keys_;
    int queries_ = 0;
};

}  // namespace qm
