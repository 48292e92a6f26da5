#include "image/mipmap_input.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <new>

namespace {

bool isPowerOfTwo(int side)
{
    return side > 0 && (side & (side - 1)) == 0;
}

int largestPowerOfTwoAtMost(int side)
{
    int power = 1;
    while (power <= side / 2)
        power *= 2;
    return power;
}

} // namespace

bool mipmapsFitGlu(int width, int height)
{
    // GLU sizes its working copies (two bytes a sample at most) in int.
    return width > 0 && height > 0 && std::int64_t{width} * height * 3 * 2 <= INT_MAX;
}

int gluPowerOfTwo(int side)
{
    if (side < 1)
        return 1;
    const int lower = largestPowerOfTwoAtMost(side);
    return std::int64_t{side} * 2 >= std::int64_t{lower} * 3 && lower <= INT_MAX / 2 ? lower * 2 : lower;
}

int rowRescaleWidth(int width, int height, int maxSide)
{
    if (width < 1 || maxSide < 1)
        return 0;
    const bool heightStays = isPowerOfTwo(height) && height <= maxSide;
    const bool widthStays = isPowerOfTwo(width) && width <= maxSide;
    if (!heightStays || widthStays)
        return 0;
    return std::min(gluPowerOfTwo(width), largestPowerOfTwoAtMost(maxSide));
}

std::unique_ptr<std::uint8_t[]> rowsRescaled(const std::uint8_t* rgb, int width, int height, int newWidth)
{
    const std::size_t rowBytes = static_cast<std::size_t>(newWidth) * 3;
    std::unique_ptr<std::uint8_t[]> rows(new (std::nothrow) std::uint8_t[rowBytes * static_cast<std::size_t>(height)]);
    if (!rows)
        return rows;
    const double span = static_cast<double>(width) / newWidth;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = rgb + static_cast<std::size_t>(y) * width * 3;
        std::uint8_t* out = rows.get() + static_cast<std::size_t>(y) * rowBytes;
        for (int x = 0; x < newWidth; ++x) {
            const double from = x * span;
            const double to = (x + 1) * span;
            double sum[3] = {0.0, 0.0, 0.0};
            const int last = std::min(width - 1, static_cast<int>(std::ceil(to)) - 1);
            for (int i = static_cast<int>(from); i <= last; ++i) {
                const double share = std::min(to, i + 1.0) - std::max(from, static_cast<double>(i));
                for (int c = 0; c < 3; ++c)
                    sum[c] += share * in[3 * i + c];
            }
            for (int c = 0; c < 3; ++c)
                out[3 * x + c] = static_cast<std::uint8_t>(std::clamp(std::lround(sum[c] / span), 0L, 255L));
        }
    }
    return rows;
}
