// -graph in the real program: windowed on Xvfb and headless through EGL.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "image/image_files.h"
#include "render/frame_graph_scale.h"
#include "support/program_run.h"
#include "support/virtual_display.h"

namespace {

// The graph's line (0.2, 1, 0.2) and a slow frame's bar (1, 0.15, 0.15) in 8 bits.
bool isLine(const std::uint8_t* p)
{
    return p[0] == 51 && p[1] == 255 && p[2] == 51;
}

bool isBar(const std::uint8_t* p)
{
    return p[0] == 255 && p[1] == 38 && p[2] == 38;
}

// The labels' text colour (0.8, 0.8, 0.6), the rate overlay's.
bool isLabel(const std::uint8_t* p)
{
    return p[0] == 204 && p[1] == 204 && p[2] == 153;
}

Screenshot pictureOf(const PnmImage& image)
{
    Screenshot shot{image.width, image.height, {}};
    shot.rgb.assign(image.pixels.get(), image.pixels.get() + std::size_t(image.width) * image.height * 3);
    return shot;
}

// Per column, the height above the bottom of its highest graph pixel (line
// or bar), -1 where it has none; and whether it holds a bar.
struct GraphColumns {
    std::vector<int> height;
    std::vector<bool> bar;
};

GraphColumns graphColumns(const Screenshot& shot)
{
    GraphColumns found{std::vector<int>(std::size_t(shot.width), -1), std::vector<bool>(std::size_t(shot.width))};
    for (int x = 0; x < shot.width; ++x) {
        for (int y = shot.height - 1; y >= 0; --y) {
            const std::uint8_t* p = shot.pixel(x, y);
            if (isLine(p) || isBar(p))
                found.height[std::size_t(x)] = shot.height - 1 - y;
            found.bar[std::size_t(x)] = found.bar[std::size_t(x)] || isBar(p);
        }
    }
    return found;
}

struct Outcome {
    std::optional<int> status;
    std::string err;
};

Outcome runToEnd(const std::vector<std::string>& args, const std::string& display)
{
    std::vector<std::string> argv{QLXTEST_EXECUTABLE};
    argv.insert(argv.end(), args.begin(), args.end());
    auto env = programEnvironment(display, {});
    if (display.empty())
        env.erase(env.begin());  // DISPLAY
    ChildProcess program(argv, env, defaultImageDirectory());
    return {program.waitExit(180000), program.standardError()};
}

class FrameGraph : public ::testing::Test {
protected:
    TempDir dir;

    // The last frame of a run that ends by itself; empty display: headless.
    std::optional<Screenshot> lastFrame(std::vector<std::string> args, const std::string& display)
    {
        const std::string file = dir.file("frame.ppm");
        args.insert(args.end(), {"-frames", "120", "-timestep", "16", "-blur", "-spin", "360", "-snapshot", file});
        if (display.empty())
            args.push_back("-headless");
        const Outcome run = runToEnd(args, display);
        EXPECT_EQ(run.status, 0) << run.err;
        const PnmImagePtr image = readPnmFile(file);
        if (!image)
            return std::nullopt;
        return pictureOf(*image);
    }
};

// The graph's band differs from the same run without it in most columns,
// windowed (double and single-buffered) and headless; above it nothing changes.
TEST_F(FrameGraph, DrawsItsBandOverThePicture)
{
    VirtualDisplay display;
    const struct {
        const char* name;
        std::vector<std::string> args;
        std::string display;
    } cases[] = {
        {"windowed", {}, display.name()},
        {"single-buffered", {"-SINGLE"}, display.name()},
        {"headless", {}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> withGraph = c.args;
        withGraph.push_back("-graph");
        const auto plain = lastFrame(c.args, c.display);
        const auto graphed = lastFrame(withGraph, c.display);
        ASSERT_TRUE(plain && graphed);
        ASSERT_EQ(plain->width, graphed->width);
        ASSERT_EQ(plain->height, graphed->height);
        const GraphBand band = graphBand(plain->width, plain->height);
        int differing = 0;
        int labels[2] = {};  // text pixels of the upper and the lower label
        const int bandTop = plain->height - band.height;
        for (int x = 0; x < plain->width; ++x) {
            bool differs = false;
            for (int y = bandTop; y < plain->height; ++y) {
                differs = differs || !std::equal(plain->pixel(x, y), plain->pixel(x, y) + 3, graphed->pixel(x, y));
                labels[y - bandTop >= 14] += isLabel(graphed->pixel(x, y));
            }
            differing += differs;
        }
        EXPECT_GT(differing, plain->width * 9 / 10);
        // Both labels, in the toolkit's font or, headless, the program's own.
        EXPECT_GT(labels[0], 20);
        EXPECT_GT(labels[1], 20);
        const auto above = plain->rgb.size() - std::size_t(plain->width) * band.height * 3;
        EXPECT_TRUE(std::equal(plain->rgb.begin(), plain->rgb.begin() + long(above), graphed->rgb.begin()));
        // The 119 frames before the last, one a column at the right; none without -graph.
        const GraphColumns drawn = graphColumns(*graphed);
        const auto columns = std::count_if(drawn.height.begin(), drawn.height.end(), [](int h) { return h >= 0; });
        EXPECT_GE(columns, 119);
        EXPECT_GE(drawn.height.back(), 0);
        const GraphColumns none = graphColumns(*plain);
        EXPECT_EQ(std::count(none.height.begin(), none.height.end(), -1), plain->width);
    }
}

// A stopped process makes one long frame: it appears as the tallest column,
// a slow frame's bar, in the right half (the newest frames are on the right).
TEST_F(FrameGraph, AStallIsTheTallestColumnOnTheRight)
{
    VirtualDisplay display;
    ProgramRun run(display.name(), {"-graph", "-width", "200", "-height", "160", "-blur"});
    const auto window = run.waitWindow();
    ASSERT_TRUE(window) << run.process().standardError();
    ASSERT_TRUE(waitViewable(display.name(), window->id));
    const auto shot = [&] { return screenshot(display.name(), window->id); };
    const auto deadline = [] { return std::chrono::steady_clock::now() + std::chrono::seconds(30); };
    // The column that stands far above the others, if one does.
    const auto standing = [](const GraphColumns& columns) -> std::optional<long> {
        std::vector<int> heights = columns.height;
        const long tallest = std::max_element(heights.begin(), heights.end()) - heights.begin();
        std::nth_element(heights.begin(), heights.begin() + long(heights.size() / 2), heights.end());
        const int median = heights[heights.size() / 2];
        if (columns.height[std::size_t(tallest)] < 4 * std::max(median, 2))
            return std::nullopt;
        return tallest;
    };
    // Until the graph fills the window and the slow first frames have left it.
    for (const auto end = deadline();;) {
        const GraphColumns columns = graphColumns(shot());
        if (columns.height.front() >= 0 && !standing(columns))
            break;
        ASSERT_LT(std::chrono::steady_clock::now(), end) << "the graph did not settle";
    }

    ASSERT_EQ(::kill(run.process().pid(), SIGSTOP), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ASSERT_EQ(::kill(run.process().pid(), SIGCONT), 0);

    // The first picture after it in which one column stands out.
    for (const auto end = deadline();;) {
        ASSERT_LT(std::chrono::steady_clock::now(), end) << "no column stood out";
        const GraphColumns columns = graphColumns(shot());
        const auto tallest = standing(columns);
        if (!tallest)
            continue;
        EXPECT_GE(*tallest, 100);
        EXPECT_TRUE(columns.bar[std::size_t(*tallest)]);
        break;
    }
    sendKey(display.name(), window->id, "Escape");
    EXPECT_EQ(run.process().waitExit(30000), 0) << run.process().standardError();
}

} // namespace
