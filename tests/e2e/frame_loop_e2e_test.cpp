#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <regex>
#include <string>
#include <thread>

#include "support/program_run.h"
#include "support/virtual_display.h"

namespace {

const std::string kTitle = "Super sampled Motion-Blur";
// Clear colour (0, 0.4, 1) in 8 bits.
constexpr int kClear[3] = {0, 102, 255};

struct Rates {
    std::string fpsField;
    std::string ktpsField;
    double fps = 0.0;
    double ktps = 0.0;
    std::string rest;
};

// "%7.2f FPS %9.3f kTPS <title>", or one of the two figures alone.
std::optional<Rates> parseRates(const std::string& name)
{
    static const std::regex both(R"(^( *\d+\.\d\d) FPS ( *\d+\.\d\d\d) kTPS(.*)$)");
    static const std::regex framesOnly(R"(^( *\d+\.\d\d) FPS(.*)$)");
    static const std::regex trianglesOnly(R"(^( *\d+\.\d\d\d) kTPS(.*)$)");
    std::smatch m;
    Rates rates;
    if (std::regex_match(name, m, both)) {
        rates.fpsField = m[1];
        rates.ktpsField = m[2];
        rates.rest = m[3];
    } else if (std::regex_match(name, m, framesOnly)) {
        rates.fpsField = m[1];
        rates.rest = m[2];
    } else if (std::regex_match(name, m, trianglesOnly)) {
        rates.ktpsField = m[1];
        rates.rest = m[2];
    } else {
        return std::nullopt;
    }
    rates.fps = rates.fpsField.empty() ? 0.0 : std::atof(rates.fpsField.c_str());
    rates.ktps = rates.ktpsField.empty() ? 0.0 : std::atof(rates.ktpsField.c_str());
    return rates;
}

// Both figures come from one sample, so their ratio is exact up to the
// printed precision.
bool hasRatio(const Rates& rates, double ratio)
{
    return rates.fps > 1.0 && std::abs(rates.ktps - ratio * rates.fps) <= 0.0006 + ratio * 0.005;
}

bool near(const std::uint8_t* pixel, int r, int g, int b, int tolerance)
{
    return std::abs(pixel[0] - r) <= tolerance && std::abs(pixel[1] - g) <= tolerance &&
           std::abs(pixel[2] - b) <= tolerance;
}

struct OverlayPixels {
    int text = 0;
    int shadow = 0;
};

// Text (0.8, 0.8, 0.6) and shadow (0.5, 0.5, 0.3) pixels in the top left corner.
OverlayPixels overlayPixels(const Screenshot& shot)
{
    OverlayPixels found;
    for (int y = 0; y < std::min(30, shot.height); ++y) {
        for (int x = 0; x < shot.width / 2 + 40 && x < shot.width; ++x) {
            found.text += near(shot.pixel(x, y), 204, 204, 153, 2);
            found.shadow += near(shot.pixel(x, y), 128, 128, 77, 2);
        }
    }
    return found;
}

bool showsOverlay(const Screenshot& shot)
{
    const OverlayPixels pixels = overlayPixels(shot);
    return pixels.text > 100 && pixels.shadow > 20;
}

int whitePixels(const Screenshot& shot)
{
    int count = 0;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            count += near(shot.pixel(x, y), 255, 255, 255, 0);
    return count;
}

// "y" when the window's visual is double-buffered, "." when not: the "db"
// column of glxinfo's row for the visual that xwininfo names, before the
// table of frame buffer configurations.
std::string doubleBuffered(const std::string& display, unsigned long id)
{
    return captureCommand("export DISPLAY=" + shellQuote(display) + "; v=$(xwininfo -id " + std::to_string(id) +
                          " | awk '/Visual:/ {print $2}'); glxinfo | awk -v v=\"^0x0*${v#0x} \" "
                          "'/GLXFBConfigs/ {exit} $0 ~ v {print $8}'");
}

class FrameLoop : public ::testing::Test {
protected:
    VirtualDisplay display;
    std::optional<ProgramRun> run;
    TopWindow window;

    // Starts the program and waits until its title shows a measured rate.
    void start(const std::vector<std::string>& args)
    {
        run.emplace(display.name(), args);
        const auto found = run->waitWindow();
        ASSERT_TRUE(found.has_value()) << run->process().standardError();
        window = *found;
        const std::string name = waitTitle([](const Rates& r) { return r.fps > 1.0 || r.ktps > 1.0; });
        ASSERT_TRUE(parseRates(name).has_value()) << name;
    }

    std::string waitTitle(const std::function<bool(const Rates&)>& matches, int timeoutMs = patienceMs)
    {
        return waitForName(
            display.name(), window.id,
            [&](const std::string& name) {
                const auto rates = parseRates(name);
                return rates && matches(*rates);
            },
            timeoutMs);
    }

    void key(const std::string& keysym) { sendKey(display.name(), window.id, keysym); }

    Screenshot shot() { return screenshot(display.name(), window.id); }

    // Polls the window's picture until it satisfies the condition; the last one taken.
    Screenshot waitShot(const std::string& what, const std::function<bool(const Screenshot&)>& holds)
    {
        Screenshot last;
        EXPECT_TRUE(eventually(what, [&] {
            last = shot();
            return holds(last);
        }));
        return last;
    }

    // Escape ends the program with status 0 from whatever mode it is in.
    void quitWithEscape()
    {
        key("Escape");
        EXPECT_EQ(run->process().waitExit(patienceMs), 0) << run->process().standardError();
    }
};

TEST_F(FrameLoop, GobletTitleAndTriangleRateWithAndWithoutBlur)
{
    ASSERT_NO_FATAL_FAILURE(start({}));
    // 1216 triangles a draw; with blur off one draw counts.
    std::string name = waitTitle([](const Rates& r) { return hasRatio(r, 1.216); });
    auto rates = parseRates(name);
    ASSERT_TRUE(rates && hasRatio(*rates, 1.216)) << name;
    EXPECT_EQ(rates->fpsField.size(), 7u) << name;
    EXPECT_EQ(rates->ktpsField.size(), 9u) << name;
    EXPECT_EQ(rates->rest, " " + kTitle);
    std::cout << "default start: " << name << "\n";

    // Eight blurred sub-frames draw the object 15 times.
    key("m");
    name = waitTitle([](const Rates& r) { return hasRatio(r, 18.24); });
    rates = parseRates(name);
    ASSERT_TRUE(rates && hasRatio(*rates, 18.24)) << name;
    EXPECT_EQ(rates->rest, " " + kTitle);
    std::cout << "after m: " << name << "\n";

    key("M");
    name = waitTitle([](const Rates& r) { return hasRatio(r, 1.216); });
    EXPECT_TRUE(hasRatio(*parseRates(name), 1.216)) << name;
    key("m");
    quitWithEscape();
}

TEST_F(FrameLoop, TeapotAndSquareShowTheFrameRateOnly)
{
    for (const char* scene : {"-TEAPOT", "-TEXTURE"}) {
        ASSERT_NO_FATAL_FAILURE(start({scene, "-title", "Scene"}));
        const std::string name = waitTitle([](const Rates& r) { return r.fps > 1.0; });
        const auto rates = parseRates(name);
        ASSERT_TRUE(rates.has_value()) << name;
        EXPECT_EQ(rates->fpsField.size(), 7u) << name;
        EXPECT_TRUE(rates->ktpsField.empty()) << name;
        EXPECT_EQ(rates->rest, " Scene") << name;
        quitWithEscape();
    }
}

TEST_F(FrameLoop, MaxTrianglesShowsTheTriangleRateAlone)
{
    ASSERT_NO_FATAL_FAILURE(start({"-MAXTRIANGLES"}));
    EXPECT_EQ(window.width, 128);
    EXPECT_EQ(window.height, 128);
    const std::string name = waitTitle([](const Rates& r) { return r.ktps > 1.0; });
    const auto rates = parseRates(name);
    ASSERT_TRUE(rates.has_value()) << name;
    EXPECT_TRUE(rates->fpsField.empty()) << name;
    EXPECT_EQ(rates->ktpsField.size(), 9u) << name;
    EXPECT_EQ(rates->rest, "") << name;
    std::cout << "-MAXTRIANGLES: " << name << "\n";
    quitWithEscape();
}

TEST_F(FrameLoop, OverlayFromTheOption)
{
    ASSERT_NO_FATAL_FAILURE(start({"-FPS"}));
    waitShot("the overlay's text and shadow", showsOverlay);
    quitWithEscape();
}

TEST_F(FrameLoop, OverlayKeyShowsAndHidesTheText)
{
    ASSERT_NO_FATAL_FAILURE(start({}));
    const OverlayPixels pixels = overlayPixels(shot());
    EXPECT_EQ(pixels.text, 0);
    EXPECT_EQ(pixels.shadow, 0);

    key("f");
    waitShot("the overlay's text and shadow after f", showsOverlay);
    key("F");
    waitShot("the overlay gone after F", [](const Screenshot& s) { return overlayPixels(s).text == 0; });
    key("f");
    quitWithEscape();
}

// With the sky behind the object, repeated passes fade it to an eighth over
// the clear colour; a single pass ("n") shows it at full strength.
TEST_F(FrameLoop, RepeatedPassesKeyChangesHowTheSkyIsDrawn)
{
    ASSERT_NO_FATAL_FAILURE(start({"-sphere", "1"}));
    const Screenshot repeated = shot();
    key("n");
    waitTitle([](const Rates& r) { return hasRatio(r, 1.216); });
    const Screenshot single =
        waitShot("the single pass's picture", [&](const Screenshot& s) { return s.rgb != repeated.rgb; });
    ASSERT_EQ(repeated.width, single.width);
    ASSERT_GT(single.width, 100);

    const int w = single.width;
    const int h = single.height;
    int skyPixelsThatDiffer = 0;
    for (auto [x, y] : {std::pair{8, 8}, std::pair{w - 8, 8}, std::pair{8, h - 8}, std::pair{w - 8, h - 8},
                        std::pair{w / 2, 8}}) {
        const std::uint8_t* full = single.pixel(x, y);
        const std::uint8_t* faded = repeated.pixel(x, y);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(faded[c], (full[c] + 7.0 * kClear[c]) / 8.0, 3.0) << x << "," << y << " channel " << c;
        skyPixelsThatDiffer += !near(full, kClear[0], kClear[1], kClear[2], 20);
    }
    EXPECT_GT(skyPixelsThatDiffer, 0) << "the sky must differ from the clear colour somewhere";

    key("N");
    const std::uint8_t* sky = repeated.pixel(8, 8);
    waitShot("the faded sky back after N", [&](const Screenshot& s) {
        return s.width == repeated.width && near(s.pixel(8, 8), sky[0], sky[1], sky[2], 1);
    });
    quitWithEscape();
}

// Without texturing the goblet is flat white; "t" switches it off and on.
TEST_F(FrameLoop, TexturingKeySwitchesTheEnvironmentOffAndOn)
{
    ASSERT_NO_FATAL_FAILURE(start({}));
    const int textured = whitePixels(shot());
    key("t");
    const int plain = whitePixels(waitShot("the plain white goblet after t", [&](const Screenshot& s) {
        const int white = whitePixels(s);
        return white > 10000 && textured * 4 < white;
    }));
    key("T");
    waitShot("the environment back after T", [&](const Screenshot& s) { return whitePixels(s) * 4 < plain; });
    quitWithEscape();
}

TEST_F(FrameLoop, DragSetsTheObjectSpinningAndItKeepsSpinning)
{
    ASSERT_NO_FATAL_FAILURE(start({}));
    const Screenshot still = shot();
    // Nothing should happen: without a drag the picture stays.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(shot().rgb, still.rgb) << "without a drag the picture stays";

    dragLeft(display.name(), 256, 256, 330, 280);
    const Screenshot first = waitShot("the picture to move after the drag",
                                      [&](const Screenshot& s) { return s.rgb != still.rgb; });
    waitShot("the spin to go on after the release", [&](const Screenshot& s) { return s.rgb != first.rgb; });
    key("m");
    quitWithEscape();
}

// "-SINGLE" draws the default picture, the clear colour round the object,
// into a window whose visual has no back buffer.
TEST_F(FrameLoop, SingleBufferedWindowShowsTheFrames)
{
    ASSERT_NO_FATAL_FAILURE(start({}));
    const Screenshot doubled = shot();
    EXPECT_EQ(doubleBuffered(display.name(), window.id), "y\n");
    quitWithEscape();
    int clear = 0;
    for (int y = 0; y < doubled.height; ++y)
        for (int x = 0; x < doubled.width; ++x)
            clear += near(doubled.pixel(x, y), kClear[0], kClear[1], kClear[2], 0);
    EXPECT_GT(clear, 10000);
    EXPECT_GT(doubled.width * doubled.height - clear, 10000);

    ASSERT_NO_FATAL_FAILURE(start({"-SINGLE"}));
    waitShot("the single-buffered picture to equal the double-buffered one",
             [&](const Screenshot& s) { return s.rgb == doubled.rgb; });
    EXPECT_EQ(doubleBuffered(display.name(), window.id), ".\n");
    quitWithEscape();
}

} // namespace
