// Fuzz target: the result line. Any byte strings as the swap interval, the
// renderer and the version (and any figures) give one line that a reader
// written from the README's rule reads back: fields key=value apart by
// blanks; a value in double quotes holds \" and \\ for a quote and a
// backslash; control characters (bytes below 32, and 127) become blanks.
// Every string comes back so, and no value can forge another field; every
// number reads back as the value put in, within its printed decimals.

#include <cstddef>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <map>
#include <string>

#include "fuzz_input.h"
#include "render/result_line.h"

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

// The fields of a result line; aborts where the line breaks the rule.
std::map<std::string, std::string> readFields(const std::string& line)
{
    const std::string prefix = "qlxtest-result:";
    require(line.compare(0, prefix.size(), prefix) == 0);
    std::map<std::string, std::string> fields;
    std::size_t at = prefix.size();
    while (line[at] != '\n') {
        require(line[at] == ' ');
        const std::size_t equals = line.find('=', ++at);
        require(equals != std::string::npos);
        const std::string key = line.substr(at, equals - at);
        require(!key.empty() && key.find_first_of(" \"\\") == std::string::npos);
        std::string value;
        at = equals + 1;
        if (line[at] == '"') {
            for (++at; line[at] != '"'; ++at) {
                require(line[at] != '\n');
                if (line[at] == '\\') {
                    ++at;
                    require(line[at] == '"' || line[at] == '\\');
                }
                value += line[at];
            }
            ++at;
        } else {
            const std::size_t end = line.find_first_of(" \n", at);
            value = line.substr(at, end - at);
            require(!value.empty());
            at = end;
        }
        require(fields.emplace(key, value).second);
    }
    require(at + 1 == line.size());
    return fields;
}

std::string blanked(std::string text)
{
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            c = ' ';
    }
    return text;
}

// A field that is wholly a number, and that number.
double number(const std::map<std::string, std::string>& fields, const char* key)
{
    const std::string& text = fields.at(key);
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    require(!text.empty() && *end == '\0');
    return value;
}

// The value, printed with that many decimals and read back.
void requireNumber(const std::map<std::string, std::string>& fields, const char* key, double value, int decimals)
{
    const double read = number(fields, key);
    require(std::fabs(read - value) <= 0.5 * std::pow(10.0, -decimals) * (1.0 + 1e-9) + std::fabs(value) * 1e-15);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    RunFigures figures;
    figures.swapInterval = in.text();
    figures.renderer = in.text();
    figures.glVersion = in.text();
    figures.frames = in.int32();
    // Binary fractions, so that every printed decimal counts.
    figures.seconds = in.int32() / 65536.0;
    figures.trianglesPerFrame = static_cast<std::uint32_t>(in.int32());
    figures.width = in.int32();
    figures.height = in.int32();
    figures.ended = in.text();
    figures.checksum = in.text();
    figures.frameMsP50 = in.int32() / 65536.0;
    figures.frameMsP99 = in.int32() / 65536.0;
    figures.frameMsMax = in.int32() / 65536.0;
    figures.fps1PercentLow = in.int32() / 65536.0;
    figures.cpuSeconds = in.int32() / 65536.0;
    figures.hiddenSeconds = in.int32() / 65536.0;
    figures.resized = (in.byte() & 1) != 0;

    const std::string line = resultLine(figures);
    require(line.find('\n') == line.size() - 1);
    const auto fields = readFields(line);
    // Ten fields, the frame times' five, hidden_seconds, resized and ended,
    // and the checksum where there is one.
    require(fields.size() == 18u + (figures.checksum.empty() ? 0u : 1u));
    require(fields.at("frames") == std::to_string(figures.frames));
    require(fields.at("width") == std::to_string(figures.width));
    require(fields.at("height") == std::to_string(figures.height));
    require(fields.at("resized") == (figures.resized ? "1" : "0"));
    require(number(fields, "triangles_per_frame") == figures.trianglesPerFrame);
    requireNumber(fields, "seconds", figures.seconds, 9);
    const double fps = figures.seconds > 0.0 ? static_cast<double>(figures.frames) / figures.seconds : 0.0;
    requireNumber(fields, "fps", fps, 2);
    requireNumber(fields, "ktps", fps * figures.trianglesPerFrame / 1000.0, 2);
    requireNumber(fields, "frame_ms_p50", figures.frameMsP50, 3);
    requireNumber(fields, "frame_ms_p99", figures.frameMsP99, 3);
    requireNumber(fields, "frame_ms_max", figures.frameMsMax, 3);
    requireNumber(fields, "fps_1pct_low", figures.fps1PercentLow, 2);
    requireNumber(fields, "cpu_seconds", figures.cpuSeconds, 3);
    requireNumber(fields, "hidden_seconds", figures.hiddenSeconds, 9);
    require(fields.at("swap_interval") == blanked(figures.swapInterval));
    require(fields.at("renderer") == blanked(figures.renderer));
    require(fields.at("gl_version") == blanked(figures.glVersion));
    require(fields.at("ended") == blanked(figures.ended));
    if (!figures.checksum.empty())
        require(fields.at("checksum") == blanked(figures.checksum));
    return 0;
}
