#pragma once
// Text-to-number rules of the command line. They never fail: text that does not
// start with a number gives 0.

// Leading white space, one optional sign, decimal digits; the rest is ignored.
// Values beyond the 32-bit range saturate at INT_MIN / INT_MAX.
int parseIntText(const char* text);

// Leading white space, then the longest prefix of the form
// [sign] digits [. digits] [(e|E) [sign] digits]; no hex, "inf" or "nan".
// Magnitudes too large for a double give +-HUGE_VAL; nonzero ones too small
// for it give the smallest double of their sign, never 0.
double parseRealText(const char* text);

// double -> float without undefined behaviour: out-of-range values become
// +-infinity, nonzero ones too small for a float its smallest of their sign.
float narrowToFloat(double value);
