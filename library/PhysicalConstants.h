// The physical constants list: fixed program data.
#pragma once

#include <span>

struct TPhysicalConstant {
    const char* Item; // the item text in the list
    const char* Line; // the notebook line it appends
};

// The 21 constants in list order.
std::span<const TPhysicalConstant> PhysicalConstants();
