#include "render/result_line.h"

#include <array>
#include <charconv>
#include <cmath>

namespace {

// to_chars does not look at the locale.
std::string fixed(double value, int decimals)
{
    std::array<char, 400> buffer{};
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                   std::chars_format::fixed, decimals);
    return std::string(buffer.data(), end.ptr);
}

} // namespace

double framesPerSecond(const RunFigures& figures)
{
    return figures.seconds > 0.0 ? static_cast<double>(figures.frames) / figures.seconds : 0.0;
}

std::string resultValue(const std::string& text)
{
    std::string value;
    bool quote = text.empty();
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            value += ' ';
            quote = true;
        } else if (c == '"' || c == '\\') {
            value += '\\';
            value += c;
            quote = true;
        } else {
            value += c;
            quote = quote || c == ' ';
        }
    }
    return quote ? '"' + value + '"' : value;
}

std::string resultLine(const RunFigures& figures)
{
    const double fps = framesPerSecond(figures);
    const double perFrame = figures.trianglesPerFrame;
    // Whole counts as before; a mean of frames that drew differently gets decimals.
    const int perFrameDecimals = std::floor(perFrame) == perFrame ? 0 : 2;
    return "qlxtest-result: frames=" + std::to_string(figures.frames) + " seconds=" + fixed(figures.seconds, 9) +
           " fps=" + fixed(fps, 2) + " ktps=" + fixed(fps * perFrame / 1000.0, 2) +
           " triangles_per_frame=" + fixed(perFrame, perFrameDecimals) + " width=" + std::to_string(figures.width) +
           " height=" + std::to_string(figures.height) + " swap_interval=" + resultValue(figures.swapInterval) +
           " renderer=" + resultValue(figures.renderer) + " gl_version=" + resultValue(figures.glVersion) +
           " frame_ms_p50=" + fixed(figures.frameMsP50, 3) + " frame_ms_p99=" + fixed(figures.frameMsP99, 3) +
           " frame_ms_max=" + fixed(figures.frameMsMax, 3) + " fps_1pct_low=" + fixed(figures.fps1PercentLow, 2) +
           " cpu_seconds=" + fixed(figures.cpuSeconds, 3) + " hidden_seconds=" + fixed(figures.hiddenSeconds, 9) + " resized=" + (figures.resized ? "1" : "0") +
           " ended=" + resultValue(figures.ended) +
           (figures.checksum.empty() ? "" : " checksum=" + resultValue(figures.checksum)) + "\n";
}
