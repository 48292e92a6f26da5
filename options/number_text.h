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

// For the options that scripts use, which must not run on a typo: the whole
// text, nothing before or after, is what parseIntText reads (sign, digits).
bool isWholeInteger(const char* text);

// The whole text is what parseRealText reads: [sign] digits [. digits]
// [(e|E) [sign] digits], with digits on at least one side of the point.
bool isWholeReal(const char* text);

// double -> float without undefined behaviour: out-of-range values become
// +-infinity, nonzero ones too small for a float its smallest of their sign.
float narrowToFloat(double value);
