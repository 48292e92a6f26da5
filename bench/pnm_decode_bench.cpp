// Image decoding: the program's PNM reader against netpbm's library (its PAM
// and its PNM row readers) and, for the raw formats, stb_image, on 4096 x 4096
// P6, P3, P5 and P2 files with maxval 255. Every contender opens the file,
// decodes it into packed RGB bytes and closes it, once an iteration.
//
// The files are written once per run into a fresh temporary directory (or
// into --pnm-dir=DIR, kept there and reused). Before timing, each contender's
// pixels are checked against the program's reader; a mismatch ends the run.
//
// Alternate the contenders and repeat, e.g.:
//   qlx_pnm_decode_bench --benchmark_repetitions=5
//     --benchmark_enable_random_interleaving=true
#include <benchmark/benchmark.h>

extern "C" {
#include <netpbm/pam.h>
#include <netpbm/pnm.h>
}
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNM
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#endif
#include <stb/stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "image/pnm_reader.h"

namespace {

namespace fs = std::filesystem;

constexpr int side = 4096;

enum class Format { P2, P3, P5, P6 };

const char* nameOf(Format f)
{
    switch (f) {
    case Format::P2:
        return "P2";
    case Format::P3:
        return "P3";
    case Format::P5:
        return "P5";
    case Format::P6:
        return "P6";
    }
    return "?";
}

bool isGrey(Format f)
{
    return f == Format::P2 || f == Format::P5;
}

bool isPlain(Format f)
{
    return f == Format::P2 || f == Format::P3;
}

fs::path imageDirectory;
bool removeDirectory = false;

fs::path pathOf(Format f)
{
    return imageDirectory / (std::string(nameOf(f)) + (isGrey(f) ? ".pgm" : ".ppm"));
}

// A sky-like gradient with noise, so that samples of every size occur.
std::uint8_t sampleAt(int x, int y, int channel, std::uint32_t& noise)
{
    noise ^= noise << 13;
    noise ^= noise >> 17;
    noise ^= noise << 5;
    const int base = (x * 160 / side + y * 96 / side + channel * 40) % 256;
    return static_cast<std::uint8_t>((base + static_cast<int>(noise % 64)) % 256);
}

void writeImage(Format f)
{
    const fs::path path = pathOf(f);
    if (fs::exists(path))
        return;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        std::perror(path.c_str());
        std::exit(1);
    }
    const int channels = isGrey(f) ? 1 : 3;
    std::fprintf(out, "%s\n# qlxtest decoding benchmark\n%d %d\n255\n", nameOf(f), side, side);
    std::uint32_t noise = 2463534242u;
    std::vector<char> line;
    for (int y = 0; y < side; ++y) {
        line.clear();
        int onLine = 0;
        for (int x = 0; x < side; ++x) {
            for (int c = 0; c < channels; ++c) {
                const std::uint8_t v = sampleAt(x, y, c, noise);
                if (!isPlain(f)) {
                    line.push_back(static_cast<char>(v));
                    continue;
                }
                char digits[4];
                const int n = std::snprintf(digits, sizeof digits, "%u", v);
                line.insert(line.end(), digits, digits + n);
                // Lines of 16 samples stay under netpbm's 70 columns.
                line.push_back(++onLine % 16 == 0 ? '\n' : ' ');
            }
        }
        if (isPlain(f))
            line.back() = '\n';
        std::fwrite(line.data(), 1, line.size(), out);
    }
    std::fclose(out);
}

struct File {
    explicit File(Format f) : stream(std::fopen(pathOf(f).c_str(), "rb"))
    {
        if (!stream) {
            std::perror(pathOf(f).c_str());
            std::exit(1);
        }
    }
    ~File() { std::fclose(stream); }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    std::FILE* stream;
};

struct Rgb {
    std::vector<std::uint8_t> bytes;
    int width = 0;
    int height = 0;
};

// ---- The contenders. Each returns the decoded RGB bytes.

Rgb decodeQlxtest(Format f)
{
    const File file(f);
    const PnmImagePtr image(readPnmImage(file.stream));
    Rgb rgb;
    if (!image)
        return rgb;
    rgb.width = image->width;
    rgb.height = image->height;
    const std::size_t size = static_cast<std::size_t>(rgb.width) * rgb.height * 3;
    rgb.bytes.assign(image->pixels.get(), image->pixels.get() + size);
    return rgb;
}

struct MallocBytes {
    void operator()(std::uint8_t* p) const { std::free(p); }
};
using Bytes = std::unique_ptr<std::uint8_t[], MallocBytes>;

// netpbm's general reader: tuples of unsigned long samples, row by row.
Bytes decodeNetpbmPam(Format f, int& width, int& height)
{
    const File file(f);
    struct pam pam {};
    pnm_readpaminit(file.stream, &pam, PAM_STRUCT_SIZE(tuple_type));
    width = pam.width;
    height = pam.height;
    Bytes rgb(static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(width) * height * 3)));
    tuple* row = pnm_allocpamrow(&pam);
    const bool asIs = pam.maxval == 255;
    const double factor = 255.0 / static_cast<double>(pam.maxval);
    auto scale = [&](sample s) {
        return asIs ? static_cast<std::uint8_t>(s) : static_cast<std::uint8_t>(s * factor + 0.5);
    };
    std::uint8_t* out = rgb.get();
    for (int y = 0; y < height; ++y) {
        pnm_readpamrow(&pam, row);
        for (int x = 0; x < width; ++x) {
            if (pam.depth >= 3) {
                *out++ = scale(row[x][0]);
                *out++ = scale(row[x][1]);
                *out++ = scale(row[x][2]);
            } else {
                const std::uint8_t v = scale(row[x][0]);
                *out++ = v;
                *out++ = v;
                *out++ = v;
            }
        }
    }
    pnm_freepamrow(row);
    return rgb;
}

// netpbm's older PNM row reader: xels of unsigned int.
Bytes decodeNetpbmPnm(Format f, int& width, int& height)
{
    const File file(f);
    int format = 0;
    xelval maxval = 0;
    pnm_readpnminit(file.stream, &width, &height, &maxval, &format);
    Bytes rgb(static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(width) * height * 3)));
    xel* row = pnm_allocrow(static_cast<unsigned>(width));
    const bool asIs = maxval == 255;
    const double factor = 255.0 / static_cast<double>(maxval);
    auto scale = [&](xelval s) {
        return asIs ? static_cast<std::uint8_t>(s) : static_cast<std::uint8_t>(s * factor + 0.5);
    };
    const bool colour = PNM_FORMAT_TYPE(format) == PPM_TYPE;
    std::uint8_t* out = rgb.get();
    for (int y = 0; y < height; ++y) {
        pnm_readpnmrow(file.stream, row, width, maxval, format);
        for (int x = 0; x < width; ++x) {
            if (colour) {
                *out++ = scale(PPM_GETR(row[x]));
                *out++ = scale(PPM_GETG(row[x]));
                *out++ = scale(PPM_GETB(row[x]));
            } else {
                const std::uint8_t v = scale(PNM_GET1(row[x]));
                *out++ = v;
                *out++ = v;
                *out++ = v;
            }
        }
    }
    pnm_freerow(row);
    return rgb;
}

struct StbBytes {
    void operator()(stbi_uc* p) const { stbi_image_free(p); }
};

std::unique_ptr<stbi_uc, StbBytes> decodeStb(Format f, int& width, int& height)
{
    const File file(f);
    int channels = 0;
    return std::unique_ptr<stbi_uc, StbBytes>(stbi_load_from_file(file.stream, &width, &height, &channels, 3));
}

// ---- Benchmarks.

void setCounters(benchmark::State& state, Format f)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fs::file_size(pathOf(f))));
}

void BM_qlxtest(benchmark::State& state, Format f)
{
    for (auto _ : state) {
        const File file(f);
        const PnmImagePtr image(readPnmImage(file.stream));
        benchmark::DoNotOptimize(image->pixels[0]);
    }
    setCounters(state, f);
}

// Times one decoder that returns its pixels and reports the image size.
template <auto decode>
void BM_decoder(benchmark::State& state, Format f)
{
    for (auto _ : state) {
        int w = 0;
        int h = 0;
        const auto rgb = decode(f, w, h);
        benchmark::DoNotOptimize(&rgb);
    }
    setCounters(state, f);
}

bool sameImage(const Rgb& expected, const std::uint8_t* bytes, int width, int height)
{
    if (!bytes || width != expected.width || height != expected.height)
        return false;
    for (std::size_t i = 0; i < expected.bytes.size(); ++i) {
        if (bytes[i] != expected.bytes[i]) {
            std::fprintf(stderr, "byte %zu (pixel %zu): %u, the program's reader %u\n", i, i / 3, bytes[i],
                         expected.bytes[i]);
            return false;
        }
    }
    return true;
}

// Every contender must decode the same pixels, or the timings mean nothing.
void checkContenders()
{
    for (const Format f : {Format::P2, Format::P3, Format::P5, Format::P6}) {
        const Rgb expected = decodeQlxtest(f);
        if (expected.width != side || expected.height != side) {
            std::fprintf(stderr, "%s: the program's reader did not decode the file\n", nameOf(f));
            std::exit(1);
        }
        // Decoded first: the sizes are outputs of the decoders.
        int w = 0;
        int h = 0;
        const char* wrong = nullptr;
        const Bytes pam = decodeNetpbmPam(f, w, h);
        if (!sameImage(expected, pam.get(), w, h))
            wrong = "netpbm_pam";
        const Bytes pnm = decodeNetpbmPnm(f, w, h);
        if (!wrong && !sameImage(expected, pnm.get(), w, h))
            wrong = "netpbm_pnm";
        if (!wrong && !isPlain(f)) {
            const auto stb = decodeStb(f, w, h);
            if (!sameImage(expected, stb.get(), w, h))
                wrong = "stb_image";
        }
        if (wrong) {
            std::fprintf(stderr, "%s: %s disagrees with the program's reader\n", nameOf(f), wrong);
            std::exit(1);
        }
    }
}

void registerBenchmarks()
{
    for (const Format f : {Format::P6, Format::P3, Format::P5, Format::P2}) {
        const std::string suffix = std::string("/") + nameOf(f);
        benchmark::RegisterBenchmark(("qlxtest" + suffix).c_str(), BM_qlxtest, f)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("netpbm_pam" + suffix).c_str(), BM_decoder<decodeNetpbmPam>, f)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("netpbm_pnm" + suffix).c_str(), BM_decoder<decodeNetpbmPnm>, f)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        if (!isPlain(f))
            benchmark::RegisterBenchmark(("stb_image" + suffix).c_str(), BM_decoder<decodeStb>, f)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
    }
}

void prepareImages(int& argc, char** argv)
{
    // Our own flag; Google Benchmark has taken its own already.
    const std::string flag = "--pnm-dir=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], flag.c_str(), flag.size()) == 0) {
            imageDirectory = argv[i] + flag.size();
            std::copy(argv + i + 1, argv + argc + 1, argv + i);
            --argc;
            break;
        }
    }
    if (imageDirectory.empty()) {
        std::string pattern = (fs::temp_directory_path() / "qlx-pnm-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        imageDirectory = pattern;
        removeDirectory = true;
    }
    fs::create_directories(imageDirectory);
    for (const Format f : {Format::P2, Format::P3, Format::P5, Format::P6})
        writeImage(f);
}

} // namespace

int main(int argc, char** argv)
{
    pm_init(argv[0], 0);
    benchmark::Initialize(&argc, argv);
    prepareImages(argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    checkContenders();
    registerBenchmarks();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (removeDirectory)
        fs::remove_all(imageDirectory);
    return 0;
}
