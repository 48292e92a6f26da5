#pragma once
// A small reader of PNM images: P2, P3, P5 and P6 decode into packed RGB bytes;
// P1 and P4 are recognised but refused. Every failure yields no image.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

struct PnmImage {
    // Pixel bytes come from calloc, so a huge declared raster costs address
    // space but no memory until it is written.
    struct ReleaseBytes {
        void operator()(std::uint8_t* bytes) const { std::free(bytes); }
    };

    std::uint16_t width = 0;
    std::uint16_t height = 0;
    // width * height pixels, R, G, B each, rows top to bottom as in the file.
    std::unique_ptr<std::uint8_t[], ReleaseBytes> pixels;
};

// Largest width, height and maxval accepted.
constexpr int pnmLimit = 65535;

// Reads the next token (whitespace and "#" comments skip; "#" also ends a
// token) into buffer, at most capacity - 1 characters and a NUL. Returns the
// number of characters stored, 0 when the input ends before a token.
int readPnmToken(std::FILE* stream, char* buffer, int capacity);

// Reads the magic token and the numbers after it. Returns the format digit 1
// to 6, or 0 (outputs untouched) when the magic token is not P1 to P6.
// P1 and P4 get maxval 1 without reading it. Values are not checked.
int readPnmHeader(std::FILE* stream, int& width, int& height, int& maxval);

// Decodes the image at the stream's position; null when there is none. The
// caller owns the result and releases it with freePnmImage (or PnmImagePtr).
PnmImage* readPnmImage(std::FILE* stream);

void freePnmImage(PnmImage* image);

struct PnmImageDeleter {
    void operator()(PnmImage* image) const { freePnmImage(image); }
};
using PnmImagePtr = std::unique_ptr<PnmImage, PnmImageDeleter>;
