#pragma once
// The single source of random values for the preview: target name, position, TP and
// the invented numbers of the search, dice and play-time commands.

#include <cstdint>
#include <deque>
#include <random>

namespace qm {

class IRandom {
  public:
    virtual ~IRandom() = default;
    // A uniform value r with 0 <= r < 1.
    virtual double Next() = 0;
};

// Mersenne twister; the window seeds it from the clock, tests with a fixed number so a
// run can be repeated.
class SeededRandom : public IRandom {
  public:
    explicit SeededRandom(uint64_t seed = 0) : engine_(seed) {}
    void Seed(uint64_t seed) { engine_.seed(seed); }
    double Next() override;

  private:
    std::mt19937_64 engine_;
};

// Hands out given values in order, then repeats the last one (0 when none was given).
// Lets tests choose exactly what each draw returns.
class ScriptedRandom : public IRandom {
  public:
    ScriptedRandom() = default;
    ScriptedRandom(std::initializer_list<double> values) : values_(values) {}
    void Push(double value) { values_.push_back(value); }
    double Next() override;
    int Draws() const { return draws_; }

  private:
    std::deque<double> values_;
    double last_ = 0.0;
    int draws_ = 0;
};

// floor(r * n) for one draw r, kept inside 0 .. n-1 even if a source strays onto 1.0.
int RandomBelow(IRandom& random, int n);

}  // namespace qm
