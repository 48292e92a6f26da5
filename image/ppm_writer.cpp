#include "image/ppm_writer.h"

#include <cstdint>
#include <cstdio>

std::string ppmFile(int width, int height, const std::vector<unsigned char>& rgb)
{
    std::string file = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    const std::size_t row = static_cast<std::size_t>(width) * 3;
    file.reserve(file.size() + row * static_cast<std::size_t>(height));
    for (std::size_t y = static_cast<std::size_t>(height); y-- > 0;) {
        const auto first = rgb.begin() + static_cast<std::ptrdiff_t>(y * row);
        file.append(first, first + static_cast<std::ptrdiff_t>(row));
    }
    return file;
}

std::string ppmPixelChecksum(int width, int height, const std::vector<unsigned char>& rgb)
{
    std::uint64_t hash = 14695981039346656037ULL;
    const std::size_t row = static_cast<std::size_t>(width) * 3;
    for (std::size_t y = static_cast<std::size_t>(height); y-- > 0;) {
        for (std::size_t i = y * row; i < (y + 1) * row; ++i) {
            hash ^= rgb[i];
            hash *= 1099511628211ULL;
        }
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}
