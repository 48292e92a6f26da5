// Fuzz target: readPnmImage over a memory stream.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "image/pnm_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // fmemopen wants a writable buffer and at least one byte.
    std::vector<std::uint8_t> bytes(data, data + size);
    bytes.push_back(0);
    std::FILE* stream = fmemopen(bytes.data(), size, "rb");
    if (!stream)
        return 0;
    const PnmImagePtr image(readPnmImage(stream));
    std::fclose(stream);
    if (image) {
        // A decoded image always has a size inside the limits, and its whole
        // pixel array exists: touch both ends.
        if (image->width < 1 || image->height < 1 || !image->pixels)
            std::abort();
        const std::size_t last = static_cast<std::size_t>(image->width) * image->height * 3 - 1;
        volatile std::uint8_t sink = image->pixels[0];
        sink = image->pixels[last];
        (void)sink;
    }
    return 0;
}
