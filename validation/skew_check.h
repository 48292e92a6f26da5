#pragma once
// The image is mapped without skew: the textured square carrying a 5 x 3
// probe image, 15 bytes a row, shows each texel where it belongs, with the
// nearest and with the linear filter. Any row alignment but 1 would shift
// rows 1 and 2 by one or two bytes and mix the channels.

#include <string>
#include <utility>

#include "image/pnm_reader.h"
#include "validation/check_report.h"
#include "validation/picture.h"

constexpr int probeColumns = 5;
constexpr int probeRows = 3;

// The probe: every texel a different colour, rows top to bottom as in a file.
const PnmImage& probeImage();

// Where the centre of texel (column, row) lands in a picture of a square
// window side pixels wide, counted from the bottom left as GL reads: the
// square spans -8..8 at 16 units from the eye, under a field of view of 50
// degrees, and the image's first row is at the bottom.
std::pair<int, int> texelCentre(int column, int row, int side);

struct ProbeFigures {
    int matched = 0;          // texel centres within 6 units of their texel
    std::string firstMiss;    // what the first wrong one showed
};

ProbeFigures probeFigures(const Picture& picture);

// Whether the GL takes texture sizes other than powers of two.
bool takesAnyTextureSize(const char* version, const char* extensions);

// Needs a current GL context; skips a buffer of fewer than 8 bits a channel.
CheckResult checkSkew();
