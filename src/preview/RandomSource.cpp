#include "preview/RandomSource.h"

#include <cmath>

namespace qm {

double SeededRandom::Next() {
    // The top 53 bits as a fraction: every value is exact and strictly below 1.
    return static_cast<double>(engine_() >> 11) * 0x1.0p-53;
}

double ScriptedRandom::Next() {
    ++draws_;
    if (!values_.empty()) {
        last_ = values_.front();
        values_.pop_front();
    }
    return last_;
}

int RandomBelow(IRandom& random, int n) {
    if (n <= 0) {
        random.Next();  // the draw still happens, so later draws keep their order
        return 0;
    }
    double r = random.Next();
    if (!(r >= 0.0)) r = 0.0;  // also catches NaN
    int k = static_cast<int>(std::floor(r * n));
    return k >= n ? n - 1 : k;
}

}  // namespace qm
