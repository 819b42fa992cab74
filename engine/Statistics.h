// Lists of numbers and their statistics: the mean, the deviations, the
// median, the least-squares line of two lists.  Qt-free; the engine reads
// them where a statistic names a list ("media(t)").
#pragma once

#include "engine/CompensatedSum.h"

#include <cstdint>
#include <string>
#include <vector>

// A list of numbers ("t = 1.21; 1.25; 1.19"): each value as the engine reads
// it, and its difference from the first.  Whoever reads the list from text
// may work the differences out from the decimal texts, so that the spread
// of 10000000.1 and 10000000.3 keeps every digit; SetOffsets works them out
// from the values.
struct TDataList {
    std::string Name; // as written
    std::vector<long double> Values;
    long double Origin = 0;           // Values[0]; 0 for an empty list
    std::vector<long double> Offsets; // Values[i] - Origin, rounded once
};
void SetOffsets(TDataList& list);

enum TListStatistic : uint8_t {
    kStatNone,
    kStatCount,
    kStatTotal,
    kStatMean,
    kStatMedian,
    kStatDeviation,           // sample, n - 1
    kStatPopulationDeviation, // n
    kStatVariance,            // sample
    kStatMinimum,
    kStatMaximum,
    kStatMeanError, // deviation / sqrt(n)
    // Of two lists x and y of the same length: the least-squares line.
    kStatSlope,
    kStatIntercept,
    kStatCorrelation,
};

// The statistic of `a` (the line's of x = a and y = b); false with the
// reason (Spanish) when it has none.  Sums are compensated, deviations
// taken in two passes about the mean, and the line fitted to the data
// centred at its means (x - mean of x is orthogonal to the constant), so
// no digit is lost to the size of the values.
bool ListStatistic(TListStatistic kind, const TDataList& a, const TDataList* b, long double& value,
                   std::string& why);

// The mean of a list and its squared deviations about it, both
// compensated, the deviations scaled by the largest of them so that
// neither huge nor tiny values overflow or vanish when squared: the pieces
// the statistics share.
struct TListMoments {
    std::size_t Count = 0;
    long double Mean = 0;          // of the values
    long double OffsetMean = 0;    // of the offsets
    long double Scale = 0;         // the largest |offset - OffsetMean|; 0 when all are equal
    long double ScaledSquares = 0; // the sum of ((offset - OffsetMean) / Scale)^2
};
TListMoments ListMoments(const TDataList& list);
