#include "options/number_text.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

bool isWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

const char* skipWhiteSpace(const char* p)
{
    while (isWhiteSpace(*p))
        ++p;
    return p;
}

const char* skipDigits(const char* p)
{
    while (isDigit(*p))
        ++p;
    return p;
}

const char* skipSign(const char* p)
{
    return *p == '+' || *p == '-' ? p + 1 : p;
}

} // namespace

bool isWholeInteger(const char* text)
{
    if (!text)
        return false;
    const char* digits = skipSign(text);
    const char* end = skipDigits(digits);
    return end != digits && *end == '\0';
}

bool isWholeReal(const char* text)
{
    if (!text)
        return false;
    const char* mantissa = skipSign(text);
    const char* p = skipDigits(mantissa);
    bool haveDigits = p != mantissa;
    if (*p == '.') {
        const char* fraction = p + 1;
        p = skipDigits(fraction);
        haveDigits = haveDigits || p != fraction;
    }
    if (!haveDigits)
        return false;
    if (*p == 'e' || *p == 'E') {
        const char* exponent = skipSign(p + 1);
        p = skipDigits(exponent);
        if (p == exponent)
            return false;
    }
    return *p == '\0';
}

int parseIntText(const char* text)
{
    if (!text)
        return 0;
    const char* p = skipWhiteSpace(text);
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-')
        ++p;
    // Accumulate as a negative number so INT_MIN itself is representable.
    long long value = 0;
    for (; isDigit(*p); ++p) {
        value = value * 10 - (*p - '0');
        if (value < INT_MIN)
            return negative ? INT_MIN : INT_MAX;
    }
    if (negative)
        return static_cast<int>(value);
    return value < -INT_MAX ? INT_MAX : static_cast<int>(-value);
}

double parseRealText(const char* text)
{
    if (!text)
        return 0.0;
    const char* start = skipWhiteSpace(text);
    const char* p = start;
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-')
        ++p;
    const char* mantissa = p;
    p = skipDigits(p);
    bool haveDigits = p != mantissa;
    if (*p == '.') {
        const char* fraction = p + 1;
        const char* end = skipDigits(fraction);
        if (haveDigits || end != fraction) {
            haveDigits = true;
            p = end;
        }
    }
    if (!haveDigits)
        return 0.0;
    const char* mantissaEnd = p;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        if (*q == '+' || *q == '-')
            ++q;
        const char* end = skipDigits(q);
        if (end != q)
            p = end;
    }
    // strtod on exactly the accepted prefix: it can no longer read hex, inf or nan.
    // The program never changes the C locale, so the decimal point is the full stop.
    const std::string number(start, p);
    const double value = std::strtod(number.c_str(), nullptr);
    // strtod gives 0 below the smallest double: a tiny limit must not become none.
    const bool nonzero = std::any_of(mantissa, mantissaEnd, [](char c) { return c >= '1' && c <= '9'; });
    const double smallest = std::numeric_limits<double>::denorm_min();
    if (value == 0.0 && nonzero)
        return negative ? -smallest : smallest;
    return value;
}

float narrowToFloat(double value)
{
    if (value > FLT_MAX)
        return HUGE_VALF;
    if (value < -FLT_MAX)
        return -HUGE_VALF;
    const float narrowed = static_cast<float>(value);
    // A nonzero value stays nonzero, as 0 means "none" to several options.
    const float smallest = std::numeric_limits<float>::denorm_min();
    if (narrowed == 0.0f && value != 0.0)
        return value > 0.0 ? smallest : -smallest;
    return narrowed;
}
