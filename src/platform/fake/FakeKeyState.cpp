#include "platform/fake/FakeKeyState.h"

namespace qm {

int16_t FakeKeyState::GetAsyncKeyState(int virtualKey) {
    ++queries_;
    Key& key = keys_[virtualKey];
    ++key.queries;
    int16_t state = key.down ? static_cast<int16_t>(0x8000) : int16_t{0};
    if (key.pressedSinceQuery) state = static_cast<int16_t>(state | 1);
    key.pressedSinceQuery = false;
    return state;
}

void FakeKeyState::Press(int virtualKey) {
    Key& key = keys_[virtualKey];
    if (!key.down) key.pressedSinceQuery = true;
    key.down = true;
}

void FakeKeyState::Release(int virtualKey) {
    keys_[virtualKey].down = false;
}

void FakeKeyState::Tap(int virtualKey) {
    Press(virtualKey);
    Release(virtualKey);
}

void FakeKeyState::ReleaseAll() {
    for (auto& entry : keys_) entry.second.down = false;
}

int FakeKeyState::QueryCount(int virtualKey) const {
    const auto it = keys_.find(virtualKey);
    return it == keys_.end() ? 0 : it->second.queries;
}

}  // namespace qm
