// The general number format: the one rule by which the program writes every
// number as text.
#pragma once

#include <string>

// Writes `value` with `digits` significant digits (limited to 2..18): fixed
// notation when the decimal exponent e of 0.d1d2... x 10^e lies in -3..digits,
// scientific ("1.5E-5", "1E20") otherwise; "INF", "-INF", "NAN"; the decimal
// separator is always ".".
std::string FormatGeneral(long double value, int digits);

// The shortest text in the general format (FormatGeneral's, with up to 21
// significant digits) that ParseDecimal reads back as `value` exactly;
// empty for INF and NAN.
std::string FormatRoundTrip(long double value);

// Converts a decimal text in C syntax ("1.5e-3"), independent of the
// process locale; false when the value overflows the extended range (an
// underflow gives 0 or a denormal).
bool ParseDecimal(const std::string& ascii, long double& value);
