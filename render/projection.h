#pragma once
// Size-dependent values of the projection and the overlay, kept free of GL so
// they can be checked on their own.

// Vertical field of view in degrees: 50 for portrait and square windows; for
// landscape ones the angle that keeps the 50-degree view across the height.
double fieldOfViewFor(int width, int height);

// Baseline of the overlay text in normalised device coordinates: 15 pixels
// plus a margin below the top edge, taken from the width alone.
float overlayBaselineFor(int width);

// Depth range of the object's projection. The sky's pass keeps the near
// plane and reaches much further.
inline constexpr double nearPlane = 5.0;
inline constexpr double farPlane = 30.0;

// A window with no area has no aspect ratio; its projection is left alone.
inline bool hasArea(int width, int height)
{
    return width > 0 && height > 0;
}
