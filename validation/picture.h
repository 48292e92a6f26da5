#pragma once
// A picture read back from the colour buffer, and the pixel arithmetic the
// checks share.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "validation/check_report.h"

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // bottom row first, as GL reads it

    const std::uint8_t* at(int x, int y) const
    {
        return rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3;
    }
    std::size_t pixels() const { return rgb.size() / 3; }
};

// The lower left width x height pixels of the buffer being drawn to. Needs a
// current GL context.
Picture readPicture(int width, int height);

// Pixels whose colours differ in any channel; the pictures are the same size.
int differingPixels(const Picture& a, const Picture& b);

bool isColour(const std::uint8_t* pixel, const std::uint8_t (&colour)[3]);

// A skip for the check called name where the buffer being drawn to holds
// fewer than 8 bits of red, green or blue: the check's bounds are in 8-bit
// units, and a shallower buffer rounds by more. detail goes before the reason
// (the blur's line has always read "blur skip: n=2 the colour buffer ...").
// Needs a current GL context.
std::optional<CheckResult> skipBelowEightBits(const std::string& name, const std::string& detail = "");
