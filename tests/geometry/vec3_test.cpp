#include <cmath>
#include <gtest/gtest.h>

#include "geometry/vec3.h"

namespace {

void expectVec(const Vec3& v, float x, float y, float z, float tolerance = 1e-6f)
{
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

TEST(Vec3, NormalizeScalesInPlaceAndLeavesZeroAlone)
{
    Vec3 v{3.0f, 0.0f, 4.0f};
    Vec3& result = normalize(v);
    EXPECT_EQ(&result, &v);
    expectVec(v, 0.6f, 0.0f, 0.8f);

    Vec3 zero{0.0f, 0.0f, 0.0f};
    normalize(zero);
    expectVec(zero, 0.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_FALSE(std::isnan(zero.x));
}

TEST(Vec3, NormalizedLeavesItsArgumentUnchanged)
{
    const Vec3 v{0.0f, -2.0f, 0.0f};
    expectVec(normalized(v), 0.0f, -1.0f, 0.0f);
    expectVec(v, 0.0f, -2.0f, 0.0f, 0.0f);
}

TEST(Vec3, CrossFollowsTheRightHandRule)
{
    expectVec(cross({1, 0, 0}, {0, 1, 0}), 0, 0, 1, 0.0f);
    expectVec(cross({0, 1, 0}, {1, 0, 0}), 0, 0, -1, 0.0f);
    expectVec(cross({1, 2, 3}, {4, 5, 6}), -3, 6, -3, 0.0f);
    expectVec(unitCross({2, 0, 0}, {0, 3, 0}), 0, 0, 1);
    // Parallel vectors: a zero cross product stays zero rather than NaN.
    expectVec(unitCross({1, 1, 0}, {2, 2, 0}), 0, 0, 0, 0.0f);
}

TEST(Vec3, SphereMapCoordsMatchTheGlFormula)
{
    expectVec(sphereMapCoords({0, 0, 1}), 0.5f, 0.5f, 1.0f);
    expectVec(sphereMapCoords({1, 0, 0}), 0.853553f, 0.5f, 0.0f);
    expectVec(sphereMapCoords({0, -1, 0}), 0.5f, 0.146447f, 0.0f);
    // Straight away from the viewer: the rim of the map, not its centre.
    expectVec(sphereMapCoords({0, 0, -1}), 0.0f, 0.5f, -1.0f, 0.0f);
    // z is passed through even for a direction that is not unit length.
    EXPECT_EQ(sphereMapCoords({0.0f, 0.0f, 2.5f}).z, 2.5f);
}

} // namespace
