#pragma once
// The default environment: a landscape under a summer sky, and its sphere map.

#include <cstdint>
#include <vector>

struct Direction {
    double x, y, z;
};

struct Rgb {
    double r, g, b;
};

// Direction shown at sphere-map texture coordinates (s, t): the reflection of
// the viewing ray (0, 0, -1) off a ball whose normal is (2s - 1, 2t - 1, nz).
// Beyond the rim the map continues through the straight-ahead direction onto
// the far side, so filtering across the rim blends neighbours, not a border.
Direction sphereMapDirection(double s, double t);

// Where the sun stands: behind the viewer, up and to the left, so that a
// mirror ball shows it in its upper left quarter.
Direction sunDirection();

// Colour seen in direction d (unit length), in display values; the sun exceeds 1.
Rgb environmentColour(const Direction& d);

// size x size texels, 3 bytes each, rows in rising t (the file's first row
// is t = 0), supersampled.
std::vector<std::uint8_t> renderEnvironmentMap(int size);
