#include "image/ppm_writer.h"

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
