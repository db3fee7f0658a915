#include "platform/fake/FakeClock.h"

namespace qm {

namespace {

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month == 2 && leap) return 29;
    return (month >= 1 && month <= 12) ? kDays[month - 1] : 31;
}

void AddOneSecond(LocalDateTime& t) {
    if (++t.second < 60) return;
    t.second = 0;
    if (++t.minute < 60) return;
    t.minute = 0;
    if (++t.hour < 24) return;
    t.hour = 0;
    if (++t.day <= DaysInMonth(t.year, t.month)) return;
    t.day = 1;
    if (++t.month <= 12) return;
    t.month = 1;
    ++t.year;
}

}  // namespace

void FakeClock::Advance(int64_t ms) {
    if (ms <= 0) return;
    tickMs_ += ms;
    subSecondMs_ += ms;
    while (subSecondMs_ >= 1000) {
        subSecondMs_ -= 1000;
        AddOneSecond(now_);
    }
}

}  // namespace qm
