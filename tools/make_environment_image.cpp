// Renders the default environment image: what a mirror ball sees of an open
// landscape under a summer sky, as a sphere map in a P6 file.
//
//   make_environment_image <output.ppm> [size]
//
// The map follows the GL's sphere-map convention: the texel at (s, t) shows the
// environment in the direction a mirror ball reflects the viewing ray to when
// its normal is (2s - 1, 2t - 1, ...), seen along -z with y up. The file's
// first row is t = 0, so the ground lies in the first rows and the sky in the
// last. Everything is procedural and deterministic.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/environment_map.h"

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s <output.ppm> [size]\n", argv[0]);
        return 2;
    }
    const int size = argc == 3 ? std::atoi(argv[2]) : 512;
    if (size < 8 || size > 4096) {
        std::fprintf(stderr, "%s: size must be between 8 and 4096\n", argv[0]);
        return 2;
    }
    const std::vector<std::uint8_t> rgb = renderEnvironmentMap(size);

    // Written to a temporary name first so that an interrupted run never
    // leaves a truncated image that the build would take as up to date.
    const std::string path = argv[1];
    const std::string partial = path + ".partial";
    std::FILE* out = std::fopen(partial.c_str(), "wb");
    if (!out) {
        std::perror(partial.c_str());
        return 1;
    }
    std::fprintf(out, "P6\n# qlxtest default environment: sky, sun, clouds and fields\n%d %d\n255\n",
                 size, size);
    const bool written = std::fwrite(rgb.data(), 1, rgb.size(), out) == rgb.size();
    if (std::fclose(out) != 0 || !written || std::rename(partial.c_str(), path.c_str()) != 0) {
        std::perror(path.c_str());
        std::remove(partial.c_str());
        return 1;
    }
    return 0;
}
