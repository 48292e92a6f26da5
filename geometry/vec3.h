#pragma once
// The three-float vector of the scene geometry. Packed so that a Vec3, or an
// array of them, goes to glVertex3fv / glNormal3fv / glTexCoord2fv as it is.

#include <type_traits>

struct Vec3 {
    float x;
    float y;
    float z;

    // The components as the GL's vector entry points take them.
    const float* data() const { return &x; }
};

static_assert(sizeof(Vec3) == 3 * sizeof(float), "Vec3 must be three packed floats");
static_assert(std::is_standard_layout_v<Vec3> && std::is_trivial_v<Vec3>,
              "Vec3 must stay plain data");

Vec3 operator-(const Vec3& a, const Vec3& b);

// Scales v to unit length in place and returns it; the zero vector stays zero.
Vec3& normalize(Vec3& v);
Vec3 normalized(Vec3 v);
Vec3 cross(const Vec3& u, const Vec3& v);
Vec3 unitCross(const Vec3& u, const Vec3& v);

// x, y: the GL's sphere-map (s, t) for the direction v; z: v.z unchanged.
// The direction (0, 0, -1) exactly maps to (0, 0.5), a point on the map's rim.
Vec3 sphereMapCoords(const Vec3& v);
