#include "geometry/vec3.h"

#include <cmath>

Vec3 operator-(const Vec3& a, const Vec3& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

Vec3& normalize(Vec3& v)
{
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (length != 0.0f) {
        v.x /= length;
        v.y /= length;
        v.z /= length;
    }
    return v;
}

Vec3 normalized(Vec3 v)
{
    return normalize(v);
}

Vec3 cross(const Vec3& u, const Vec3& v)
{
    return {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
}

Vec3 unitCross(const Vec3& u, const Vec3& v)
{
    return normalized(cross(u, v));
}

Vec3 sphereMapCoords(const Vec3& v)
{
    const float zPlusOne = v.z + 1.0f;
    const float m = 2.0f * std::sqrt(v.x * v.x + v.y * v.y + zPlusOne * zPlusOne);
    if (m == 0.0f)
        return {0.0f, 0.5f, v.z};
    return {v.x / m + 0.5f, v.y / m + 0.5f, v.z};
}
