// Neumaier's compensated sum: the rounding error of each addition is kept
// aside and added back at the end, so a long sum of terms of any sign and
// size loses no more than one rounding.
#pragma once

#include <cmath>

struct TCompensatedSum {
    long double Sum = 0, Carry = 0;
    void Add(long double v)
    {
        const long double t = Sum + v;
        Carry += std::fabs(Sum) >= std::fabs(v) ? (Sum - t) + v : (v - t) + Sum;
        Sum = t;
    }
    long double Value() const { return Sum + Carry; }
};
