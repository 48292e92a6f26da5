// The default environment image: its mapping follows the GL's sphere-map
// generation, and the file the build writes has the sky where the GL looks up.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "image/pnm_reader.h"
#include "image_files.h"
#include "tools/environment_map.h"

namespace {

// The GL's sphere-map texture coordinates of a reflected direction.
void glSphereMapCoords(const Direction& r, double& s, double& t)
{
    const double m = 2.0 * std::sqrt(r.x * r.x + r.y * r.y + (r.z + 1.0) * (r.z + 1.0));
    s = r.x / m + 0.5;
    t = r.y / m + 0.5;
}

double length(const Direction& d)
{
    return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
}

TEST(SphereMapDirection, InvertsTheGlSphereMapInsideTheDisc)
{
    for (double s = 0.03; s < 1.0; s += 0.0625) {
        for (double t = 0.03; t < 1.0; t += 0.0625) {
            if ((s - 0.5) * (s - 0.5) + (t - 0.5) * (t - 0.5) >= 0.24)
                continue;
            const Direction d = sphereMapDirection(s, t);
            EXPECT_NEAR(length(d), 1.0, 1e-9);
            double gs = 0, gt = 0;
            glSphereMapCoords(d, gs, gt);
            EXPECT_NEAR(gs, s, 1e-9) << s << ", " << t;
            EXPECT_NEAR(gt, t, 1e-9) << s << ", " << t;
        }
    }
}

TEST(SphereMapDirection, CentreLooksBackAndTheRimStraightAhead)
{
    const Direction centre = sphereMapDirection(0.5, 0.5);
    EXPECT_NEAR(centre.z, 1.0, 1e-12);
    const Direction rim = sphereMapDirection(0.5, 1.0);
    EXPECT_NEAR(rim.z, -1.0, 1e-12);
    // Higher t reflects upward.
    EXPECT_GT(sphereMapDirection(0.5, 0.7).y, 0.5);
    EXPECT_LT(sphereMapDirection(0.5, 0.3).y, -0.5);
}

TEST(SphereMapDirection, BeyondTheRimTheMapContinuesThroughStraightAhead)
{
    // Both sides of the rim lie close to straight ahead, and the corners
    // still give unit directions.
    EXPECT_LT(sphereMapDirection(0.5, 1.0 + 1e-4).z, -0.99);
    EXPECT_LT(sphereMapDirection(0.5, 1.0 - 1e-4).z, -0.99);
    EXPECT_NEAR(length(sphereMapDirection(0.0, 0.0)), 1.0, 1e-9);
    EXPECT_NEAR(length(sphereMapDirection(1.0, 1.0)), 1.0, 1e-9);
}

class DefaultImage : public ::testing::Test {
protected:
    PnmImagePtr image;

    void SetUp() override
    {
        image = readPnmFile(std::string(QLXTEST_BINARY_DIR) + "/sky.ppm");
        ASSERT_TRUE(image);
    }

    // Mean colour of the texels around sphere-map coordinates (s, t).
    void meanAround(double s, double t, double& r, double& g, double& b) const
    {
        const int cx = static_cast<int>(s * image->width);
        const int cy = static_cast<int>(t * image->height);
        r = g = b = 0;
        int n = 0;
        for (int y = cy - 4; y <= cy + 4; ++y) {
            for (int x = cx - 4; x <= cx + 4; ++x) {
                const std::uint8_t* p = &image->pixels[(static_cast<std::size_t>(y) * image->width + x) * 3];
                r += p[0];
                g += p[1];
                b += p[2];
                ++n;
            }
        }
        r /= n;
        g /= n;
        b /= n;
    }
};

TEST_F(DefaultImage, IsAPowerOfTwoSquare)
{
    EXPECT_EQ(image->width, image->height);
    EXPECT_EQ(image->width & (image->width - 1), 0);
    EXPECT_GE(image->width, 256);
}

TEST_F(DefaultImage, SkyLiesInTheLaterRowsAndGroundInTheFirst)
{
    // The file's first row is texture row t = 0, which the GL uses for
    // reflections pointing down.
    double r, g, b;
    meanAround(0.62, 0.85, r, g, b);
    EXPECT_GT(b, r + 40) << "sky above";
    meanAround(0.5, 0.2, r, g, b);
    EXPECT_GT(g, b + 30) << "fields below";
}

TEST_F(DefaultImage, TheSunIsTheBrightestPlaceAndShowsUpperLeft)
{
    double s = 0, t = 0;
    glSphereMapCoords(sunDirection(), s, t);
    EXPECT_LT(s, 0.5);
    EXPECT_GT(t, 0.5);
    double r, g, b;
    meanAround(s, t, r, g, b);
    EXPECT_GT(r + g + b, 3 * 245.0);
}

} // namespace
