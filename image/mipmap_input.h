#pragma once
// What gluBuild2DMipmaps is handed. GLU rescales an image to powers of two
// before building the levels, and two cases of that go wrong inside GLU: an
// image too large for its int sizes (it writes past its buffers), and an
// image whose width it must rescale while its height stays (it drops one
// source row from every output row: a 300 x 1 image comes out black, a 7 x 2
// one at half brightness). The first is refused; in the second the rows are
// rescaled here, so GLU finds nothing left to rescale.

#include <cstdint>
#include <memory>

// Whether GLU can work on an image of this size at all.
bool mipmapsFitGlu(int width, int height);

// The power of two GLU rescales a side to: the nearest one, halves going up.
int gluPowerOfTwo(int side);

// The width to rescale the rows to before GLU sees the image, or 0 when GLU
// can be left to do all the rescaling itself. maxSide is the GL's largest
// texture side.
int rowRescaleWidth(int width, int height, int maxSide);

// Every row of a packed RGB image resampled to newWidth pixels: each new pixel
// is the mean of the stretch of the row it covers, partly covered pixels
// weighted by their share. Null when the memory cannot be had.
std::unique_ptr<std::uint8_t[]> rowsRescaled(const std::uint8_t* rgb, int width, int height, int newWidth);
