#pragma once
// The sky fades exactly: outside the object, a frame blurred over n
// sub-frames holds 1/n of the sky and (n - 1)/n of the clear colour.

#include <cstdint>
#include <vector>

#include "validation/check_report.h"
#include "validation/picture.h"

struct FadeFigures {
    double worst = 0.0;  // largest distance from the expected mix, in 8-bit units
    int pixels = 0;      // pixels the object never covers
};

// The blurred frame against the sky drawn alone, where no sub-frame covers:
// covered[p] is set where any sub-frame drew the object at pixel p.
FadeFigures fadeFigures(const Picture& faded, const Picture& sky, const std::uint8_t (&clear)[3],
                        const std::vector<bool>& covered, int n);

// Needs a current GL context; skips a buffer of fewer than 8 bits a channel.
CheckResult checkSkyFade(int n);
