#include "tools/environment_map.h"

#include <algorithm>
#include <cmath>

#include "geometry/angles.h"

namespace {

// Small colour arithmetic ---------------------------------------------------

Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Rgb operator*(Rgb a, double k) { return {a.r * k, a.g * k, a.b * k}; }

Rgb mix(Rgb a, Rgb b, double t) { return a * (1.0 - t) + b * t; }
double clamp01(double v) { return std::min(1.0, std::max(0.0, v)); }

double smoothstep(double edge0, double edge1, double v)
{
    const double t = clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3.0 - 2.0 * t);
}

double dot(const Direction& a, const Direction& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Direction normalized(Direction d)
{
    const double n = std::sqrt(dot(d, d));
    return {d.x / n, d.y / n, d.z / n};
}

// Deterministic gradient noise ----------------------------------------------

std::uint32_t hash(std::int32_t x, std::int32_t y, std::uint32_t seed)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 0x8da6b343u ^
                      static_cast<std::uint32_t>(y) * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h;
}

double unitHash(std::int32_t x, std::int32_t y, std::uint32_t seed)
{
    return (hash(x, y, seed) & 0xffffffu) / 16777216.0;
}

double gradientAt(std::int32_t ix, std::int32_t iy, double dx, double dy, std::uint32_t seed)
{
    const double angle = unitHash(ix, iy, seed) * 2.0 * pi;
    return std::cos(angle) * dx + std::sin(angle) * dy;
}

// Perlin-style noise, roughly in [-0.7, 0.7].
double noise(double x, double y, std::uint32_t seed)
{
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const auto ix = static_cast<std::int32_t>(fx);
    const auto iy = static_cast<std::int32_t>(fy);
    const double dx = x - fx;
    const double dy = y - fy;
    const double u = dx * dx * dx * (dx * (dx * 6 - 15) + 10);
    const double v = dy * dy * dy * (dy * (dy * 6 - 15) + 10);
    const double a = gradientAt(ix, iy, dx, dy, seed);
    const double b = gradientAt(ix + 1, iy, dx - 1, dy, seed);
    const double c = gradientAt(ix, iy + 1, dx, dy - 1, seed);
    const double d = gradientAt(ix + 1, iy + 1, dx - 1, dy - 1, seed);
    return a + (b - a) * u + (c - a) * v + (a - b - c + d) * u * v;
}

// Fractal sum; every octave is turned a little so the grids do not line up.
double fbm(double x, double y, int octaves, std::uint32_t seed)
{
    double sum = 0.0;
    double amplitude = 0.5;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * noise(x, y, seed + static_cast<std::uint32_t>(i));
        const double rx = 0.8 * x - 0.6 * y;
        const double ry = 0.6 * x + 0.8 * y;
        x = rx * 2.03 + 17.1;
        y = ry * 2.03 - 9.7;
        amplitude *= 0.5;
    }
    return sum;
}

// The scene -----------------------------------------------------------------

const Rgb horizonHaze{0.80, 0.86, 0.93};
const Rgb zenithBlue{0.13, 0.33, 0.74};
const Rgb sunLight{1.00, 0.93, 0.78};

Rgb skyGradient(const Direction& d, double sunCosine)
{
    const double up = std::max(d.y, 0.0);
    Rgb sky = mix(horizonHaze, zenithBlue, std::pow(up, 0.5));
    // Forward scattering brightens the sky around the sun.
    const double c = std::max(sunCosine, 0.0);
    sky = sky + sunLight * (0.22 * std::pow(c, 3.0) + 0.35 * std::pow(c, 24.0) + 0.9 * std::pow(c, 600.0));
    return sky;
}

Rgb sunDisc(double sunCosine)
{
    const double angle = std::acos(std::min(1.0, sunCosine));
    return Rgb{1.0, 0.97, 0.88} * (4.0 * smoothstep(0.042, 0.034, angle));
}

// Cumulus on a flat layer above the viewer, lit from the sun's side.
Rgb withClouds(Rgb sky, const Direction& d, double sunCosine)
{
    if (d.y <= 0.0)
        return sky;
    const double lift = d.y + 0.06;
    const double qx = d.x / lift * 0.85 + 4.3;
    const double qz = d.z / lift * 0.85 - 2.1;
    const double shape = fbm(qx, qz, 7, 11);
    const double density =
        smoothstep(0.0, 0.3, shape + 0.06) * smoothstep(0.0, 0.22, d.y);
    if (density <= 0.0)
        return sky;

    // Denser cloud on the way to the sun means this part lies in shadow.
    const Direction sun = sunDirection();
    const double toward = fbm(qx + sun.x * 0.18, qz + sun.z * 0.18, 7, 11);
    const double lit = clamp01(0.78 - (toward - shape) * 4.0);
    Rgb cloud = mix(Rgb{0.56, 0.61, 0.71}, Rgb{1.0, 0.99, 0.97}, lit);
    // Thin edges near the sun glow.
    const double c = std::max(sunCosine, 0.0);
    cloud = cloud + sunLight * (0.7 * std::pow(c, 10.0) * (1.0 - density));
    // Far clouds fade into the haze.
    cloud = mix(horizonHaze, cloud, smoothstep(0.0, 0.3, d.y));
    return mix(sky, cloud, 0.96 * density);
}

double azimuth(const Direction& d)
{
    return std::atan2(d.x, -d.z);
}

// Ridge heights as the sine of their elevation, periodic around the horizon.
double ridgeHeight(double az, double base, double range, double radius, std::uint32_t seed)
{
    const double n = fbm(std::cos(az) * radius, std::sin(az) * radius, 6, seed);
    return base + range * std::pow(clamp01(n * 0.9 + 0.5), 1.6);
}

// Distant blue mountains with snow on the highest peaks, green hills in front.
bool distantLand(const Direction& d, Rgb& colour)
{
    if (d.y < 0.0 || d.y > 0.25)
        return false;
    const double az = azimuth(d);
    const double hills = ridgeHeight(az, 0.012, 0.05, 3.4, 71);
    if (d.y < hills) {
        const double shade = 0.9 + 0.25 * fbm(az * 40.0, d.y * 300.0, 3, 73);
        colour = mix(Rgb{0.27, 0.40, 0.25} * shade, horizonHaze, 0.42 + 0.3 * (1.0 - d.y / hills));
        return true;
    }
    const double peaks = ridgeHeight(az, 0.03, 0.17, 2.2, 41);
    if (d.y < peaks) {
        // Slopes that fall away from the sun's side are in shade.
        const double slope = ridgeHeight(az + 0.004, 0.03, 0.17, 2.2, 41) -
                             ridgeHeight(az - 0.004, 0.03, 0.17, 2.2, 41);
        const double sunSide = std::sin(azimuth(sunDirection()) - az);
        const double lit = clamp01(0.6 + 40.0 * slope * sunSide);
        const double rock = 0.9 + 0.2 * fbm(az * 30.0, d.y * 120.0, 4, 43);
        const Rgb face = mix(Rgb{0.27, 0.34, 0.52}, Rgb{0.45, 0.52, 0.68}, lit) * rock;
        Rgb mountain = mix(horizonHaze, face, 0.4 + 0.4 * d.y / peaks);
        // Snow above a ragged line, on the high peaks only.
        const double snowLine = 0.1 + 0.02 * fbm(az * 30.0, d.y * 40.0, 4, 47);
        const double snow = smoothstep(snowLine - 0.004, snowLine + 0.004, d.y);
        mountain = mix(mountain, mix(Rgb{0.70, 0.76, 0.88}, Rgb{0.97, 0.98, 1.0}, lit), 0.9 * snow);
        colour = mountain;
        return true;
    }
    return false;
}

Rgb environmentColourAbove(const Direction& d);

// Distance across the ground from the middle of the river, which winds
// from side to side behind the viewer.
double riverOffset(double gx, double gz)
{
    const double centre = 1.5 + 0.5 * std::sin(gx * 0.7) + 0.8 * fbm(gx * 0.2, 0.5, 3, 131);
    return std::abs(gz - centre);
}

// Farmland: fields of several crops, some halved, hedges with trees along
// them, and the shadows of the clouds.
Rgb farmland(double gx, double gz)
{
    // Field grid, turned and a little warped so that it looks laid out by hand.
    const double u = (0.91 * gx - 0.42 * gz) * 1.1 + 0.35 * fbm(gx * 0.3, gz * 0.3, 3, 91);
    const double v = (0.42 * gx + 0.91 * gz) * 1.1 + 0.35 * fbm(gx * 0.3 + 5.0, gz * 0.3, 3, 93);
    const auto cu = static_cast<std::int32_t>(std::floor(u));
    const auto cv = static_cast<std::int32_t>(std::floor(v));
    const std::uint32_t cell = hash(cu, cv, 97);
    // One field in three is split in two along its length.
    const bool split = cell % 3 == 0;
    const double fu = u - cu;
    const double fv = v - cv;
    const std::uint32_t part = split && fu >= 0.5 ? cell / 7 : cell;
    static const Rgb crops[] = {
        {0.30, 0.52, 0.19}, {0.43, 0.61, 0.24}, {0.70, 0.68, 0.32},
        {0.50, 0.40, 0.26}, {0.23, 0.43, 0.17}, {0.56, 0.64, 0.27},
    };
    Rgb field = crops[part % 6];
    field = field * (0.86 + 0.28 * (fbm(gx * 7.0, gz * 7.0, 3, 99) + 0.5));

    double edge = std::min({fu, 1.0 - fu, fv, 1.0 - fv});
    if (split)
        edge = std::min(edge, std::abs(fu - 0.5));
    const double hedge = 1.0 - smoothstep(0.012, 0.04, edge);
    field = mix(field, Rgb{0.15, 0.28, 0.12}, 0.8 * hedge);
    // Clumps of trees grow along some hedges.
    const double trees = smoothstep(0.02, 0.12, fbm(gx * 2.5, gz * 2.5, 3, 101)) *
                         (1.0 - smoothstep(0.03, 0.09, edge));
    field = mix(field, Rgb{0.09, 0.20, 0.08}, 0.9 * trees);

    // Shadows of the clouds drifting over the land.
    const double shadow = smoothstep(0.05, 0.25, fbm(gx * 0.09 + 2.0, gz * 0.09, 4, 113));
    return field * (1.0 - 0.35 * shadow);
}

// The ground plane one unit below the eye, fading into haze with distance.
Rgb ground(const Direction& d)
{
    const double distance = 1.0 / std::max(-d.y, 1e-4);
    const double gx = d.x * distance;
    const double gz = d.z * distance;
    Rgb land = farmland(gx, gz);
    const double river = riverOffset(gx, gz);
    if (river < 0.36) {
        // The water mirrors the sky; sandy banks line it.
        const Rgb mirrored = environmentColourAbove({d.x, -d.y, d.z});
        const Rgb water = mix(Rgb{0.10, 0.22, 0.30}, mirrored, 0.6);
        const Rgb shore = mix(Rgb{0.52, 0.50, 0.36}, land, smoothstep(0.30, 0.36, river));
        land = mix(water, shore, smoothstep(0.24, 0.30, river));
    }
    const double fog = 1.0 - std::exp(-distance * 0.045);
    return mix(land, Rgb{0.74, 0.80, 0.86}, fog);
}

std::uint8_t toByte(double v)
{
    return static_cast<std::uint8_t>(std::lround(clamp01(v) * 255.0));
}

} // namespace

Direction sphereMapDirection(double s, double t)
{
    double x = 2.0 * s - 1.0;
    double y = 2.0 * t - 1.0;
    const double r = std::sqrt(x * x + y * y);
    if (r > 1.0) {
        // Mirror through the rim: radius 1 + e shows what radius 1 - e shows
        // on the opposite side of the centre.
        const double folded = std::max(0.0, 2.0 - r);
        x = -x / r * folded;
        y = -y / r * folded;
    }
    const double nz = std::sqrt(std::max(0.0, 1.0 - x * x - y * y));
    return {2.0 * nz * x, 2.0 * nz * y, 2.0 * nz * nz - 1.0};
}

Direction sunDirection()
{
    return normalized({-0.45, 0.50, 0.74});
}

Rgb environmentColour(const Direction& d)
{
    return d.y < 0.0 ? ground(d) : environmentColourAbove(d);
}

namespace {

Rgb environmentColourAbove(const Direction& d)
{
    Rgb land{};
    if (distantLand(d, land))
        return land;
    const double sunCosine = dot(d, sunDirection());
    const Rgb sky = skyGradient(d, sunCosine) + sunDisc(sunCosine);
    return withClouds(sky, d, sunCosine);
}

} // namespace

std::vector<std::uint8_t> renderEnvironmentMap(int size)
{
    constexpr int grid = 3;  // grid x grid samples a texel
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(size) * size * 3);
    for (int row = 0; row < size; ++row) {
        for (int column = 0; column < size; ++column) {
            Rgb sum{0.0, 0.0, 0.0};
            for (int j = 0; j < grid; ++j) {
                for (int i = 0; i < grid; ++i) {
                    const double s = (column + (i + 0.5) / grid) / size;
                    const double t = (row + (j + 0.5) / grid) / size;
                    const Rgb c = environmentColour(sphereMapDirection(s, t));
                    // Clamp each sample so that the sun does not bleed.
                    sum = sum + Rgb{clamp01(c.r), clamp01(c.g), clamp01(c.b)};
                }
            }
            sum = sum * (1.0 / (grid * grid));
            std::uint8_t* texel = &rgb[(static_cast<std::size_t>(row) * size + column) * 3];
            texel[0] = toByte(sum.r);
            texel[1] = toByte(sum.g);
            texel[2] = toByte(sum.b);
        }
    }
    return rgb;
}
