#include "render/projection.h"

#include <cmath>

#include "geometry/angles.h"

namespace {
const double sin25 = std::sin(25.0 * pi / 180.0);
} // namespace

double fieldOfViewFor(int width, int height)
{
    if (width <= height)
        return 50.0;
    const double t = sin25 * height / width;
    return 25.0 + std::atan2(t, 1.0 - t * t) * 180.0 / pi;
}

float overlayBaselineFor(int width)
{
    return static_cast<float>(1.0 - 15.0 / width - 0.1);
}
