#include "render/projection.h"

#include <cmath>

namespace {
const double kPi = std::acos(-1.0);
const double kSin25 = std::sin(25.0 * kPi / 180.0);
} // namespace

double fieldOfViewFor(int width, int height)
{
    if (width <= height)
        return 50.0;
    const double t = kSin25 * height / width;
    return 25.0 + std::atan2(t, 1.0 - t * t) * 180.0 / kPi;
}

float overlayBaselineFor(int width)
{
    return static_cast<float>(1.0 - 15.0 / width - 0.1);
}
