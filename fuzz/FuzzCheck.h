#pragma once
// What every fuzz target shares: a property that does not hold stops the run with a
// message, as a crash would, so libFuzzer keeps the input that shows it.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string_view>

namespace qm::fuzz {

inline void Check(bool holds, const char* property) {
    if (holds) return;
    std::fprintf(stderr, "property does not hold: %s\n", property);
    std::abort();
}

// Takes bytes off the front of the input.
class Input {
  public:
    Input(const uint8_t* data, std::size_t size) : rest_(data, size) {}
    uint8_t Byte() {
        if (rest_.empty()) return 0;
        const uint8_t b = rest_.front();
        rest_ = rest_.subspan(1);
        return b;
    }
    std::span<const uint8_t> Take(std::size_t n) {
        n = n < rest_.size() ? n : rest_.size();
        auto taken = rest_.first(n);
        rest_ = rest_.subspan(n);
        return taken;
    }
    std::span<const uint8_t> Rest() const { return rest_; }

  private:
    std::span<const uint8_t> rest_;
};

}  // namespace qm::fuzz
