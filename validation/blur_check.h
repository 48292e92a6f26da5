#pragma once
// Blur is the mean: a frame blurred over n sub-frames against the same n
// sub-frames drawn alone at the same orientations.

#include <vector>

#include "validation/check_report.h"
#include "validation/picture.h"

struct BlurFigures {
    double worst = 0.0;  // largest distance from the plain mean, in 8-bit units
    double mean = 0.0;   // average distance over every channel of every pixel
    int worstPixel = 0;  // where the largest distance is
    int model = 0;       // largest distance from the 8-bit running average
};

// Each of the n - 1 blends rounds once to 8 bits, and so does its weight 1/i
// as an alpha: at most one unit for sub-frame i, of which the share i/n
// survives to the end. The sum over i = 2..n.
double blurErrorBound(int n);

// The blurred picture against the mean of the sub-frames, and against the
// running average worked out in 8 bits with every product rounded.
BlurFigures blurFigures(const Picture& blurred, const std::vector<Picture>& subFrames);

// Draws both on the program's goblet and judges them. Needs a current GL
// context; skips a buffer of fewer than 8 bits a channel.
CheckResult checkBlur(int n);
