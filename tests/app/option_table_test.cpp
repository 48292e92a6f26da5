#include <GL/glut.h>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "app/option_table.h"
#include "app/settings.h"
#include "app/surface.h"
#include "options/option_reader.h"
#include "render/frame_state.h"

namespace {

using Strings = std::vector<std::string>;

// Runs the table on fresh records over "prog" + args; returns what it left.
Strings apply(const Strings& args)
{
    settings = Settings{};
    frameState = FrameState{};
    frameState.measuredFps = 99.0f;  // the table must reset it
    Strings storage{"prog"};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    OptionReader reader(static_cast<int>(storage.size()), argv.data());
    applyOptionTable(reader);
    Strings left;
    for (int i = 1; i < reader.count(); ++i)
        left.emplace_back(reader.arg(i).data());
    return left;
}

TEST(OptionTable, NoArgumentsGiveTheDefaults)
{
    EXPECT_TRUE(apply({}).empty());
    EXPECT_EQ(settings.windowWidth, 512);
    EXPECT_EQ(settings.windowHeight, 512);
    EXPECT_EQ(settings.textureFilter, GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(settings.qlxSize, 440);
    EXPECT_EQ(settings.xCenter, -20);
    EXPECT_EQ(settings.yCenter, 10);
    EXPECT_EQ(settings.sampleCount, 2);
    EXPECT_EQ(settings.textureSize, 256);
    EXPECT_EQ(settings.motionSteps, 8);
    EXPECT_EQ(settings.motionSpeed, 160.0f);
    EXPECT_EQ(settings.showSky, 0);
    EXPECT_EQ(settings.showObject, 1);
    EXPECT_EQ(settings.autoRotate, 0);
    EXPECT_EQ(settings.divisions, 16);
    EXPECT_EQ(settings.skyUDivisions, 32);
    EXPECT_EQ(settings.skyVDivisions, 16);
    EXPECT_EQ(settings.mirrorA, 23.0595f);
    EXPECT_EQ(settings.mirrorB, 32.6842f);
    EXPECT_EQ(settings.focalLength, 5.44f);
    EXPECT_EQ(settings.showRates, 0);
    EXPECT_EQ(settings.bufferMode, GLUT_DOUBLE);
    EXPECT_EQ(settings.glass, 0);
    EXPECT_EQ(settings.sceneKind, SceneKind::Goblet);
    EXPECT_EQ(settings.texturing, 1);
    EXPECT_EQ(settings.maxTriangles, 0);
    EXPECT_EQ(settings.envMapKind, EnvMapKind::RSPHERICAL);
    EXPECT_EQ(frameState.multiPass, 1);
    EXPECT_EQ(frameState.blurSteps, 0);
    EXPECT_EQ(frameState.measuredFps, 0.0f);
}

TEST(OptionTable, AbbreviationsReachTheRightRow)
{
    apply({"-s", "1"});
    EXPECT_EQ(settings.showSky, 1);
    EXPECT_EQ(settings.sampleCount, 2);
    apply({"-sa", "4"});
    EXPECT_EQ(settings.sampleCount, 4);
    EXPECT_EQ(settings.showSky, 0);
    apply({"-m", "4", "-ms", "80"});
    EXPECT_EQ(settings.motionSteps, 4);
    EXPECT_EQ(settings.motionSpeed, 80.0f);
    apply({"-S"});
    EXPECT_EQ(settings.bufferMode, 0);
    apply({"-SP"});
    EXPECT_EQ(settings.envMapKind, EnvMapKind::SPHERICAL);
    EXPECT_EQ(settings.bufferMode, 2);
    apply({"-f", "2.5", "-F"});
    EXPECT_EQ(settings.focalLength, 2.5f);
    EXPECT_EQ(settings.showRates, 1);
    apply({"-NO"});
    EXPECT_EQ(settings.texturing, 0);
    EXPECT_EQ(settings.textureFilter, GL_LINEAR_MIPMAP_LINEAR);
    apply({"-su", "7", "-sv", "9", "-d", "3", "-o", "0", "-r", "1", "-x", "5", "-y", "6", "-ts", "2"});
    EXPECT_EQ(settings.skyUDivisions, 7);
    EXPECT_EQ(settings.skyVDivisions, 9);
    EXPECT_EQ(settings.divisions, 3);
    EXPECT_EQ(settings.showObject, 0);
    EXPECT_EQ(settings.autoRotate, 1);
    EXPECT_EQ(settings.xCenter, 5);
    EXPECT_EQ(settings.yCenter, 6);
    EXPECT_EQ(settings.textureSize, 4);
}

// The rows added last leave every older abbreviation where it was.
TEST(OptionTable, NewRowsKeepTheOldAbbreviations)
{
    apply({"-sp", "2"});
    EXPECT_EQ(settings.showSky, 2);
    apply({"-s", "1", "-d", "5", "-b", "3", "-fr", "7"});
    EXPECT_EQ(settings.showSky, 1);
    EXPECT_EQ(settings.divisions, 5);
    EXPECT_EQ(settings.mirrorB, 3.0f);
    EXPECT_EQ(settings.frameLimit, 7);
    EXPECT_EQ(settings.spinSpeed, 0.0f);
    EXPECT_EQ(settings.startBlurred, 0);
    apply({"-frame", "9"});
    EXPECT_EQ(settings.frameLimit, 9);
    // The title's forms stay for start-up to read.
    EXPECT_EQ(apply({"-t", "Demo", "-ti", "Demo"}), (Strings{"-t", "Demo", "-ti", "Demo"}));
    EXPECT_EQ(settings.timeStepMs, 0.0f);
    apply({"-bl", "-spi", "90", "-tim", "16.5", "-c"});
    EXPECT_EQ(settings.startBlurred, 1);
    EXPECT_EQ(settings.spinSpeed, 90.0f);
    EXPECT_EQ(settings.timeStepMs, 16.5f);
    EXPECT_EQ(settings.checksum, 1);
    EXPECT_EQ(settings.mirrorB, 32.6842f);
}

TEST(OptionTable, TooShortOrWrongCaseSelectsNothingAndStays)
{
    const Strings stay{"-R", "-T", "-TE", "-M", "-MA", "-n", "-l", "-fps", "-widthx"};
    EXPECT_EQ(apply(stay), stay);
    EXPECT_EQ(settings.sceneKind, SceneKind::Goblet);
    EXPECT_EQ(settings.maxTriangles, 0);
    EXPECT_EQ(settings.showRates, 0);
    apply({"-RS", "-TEX"});
    EXPECT_EQ(settings.envMapKind, EnvMapKind::RSPHERICAL);
    EXPECT_EQ(settings.sceneKind, SceneKind::TexturedQuad);
    EXPECT_TRUE(apply({"-RP", "-TEA", "-MAX"}).empty());
    EXPECT_EQ(settings.envMapKind, EnvMapKind::RPANORAMIC);
    EXPECT_EQ(settings.maxTriangles, 1);
}

TEST(OptionTable, RepeatedAndMisplacedOptions)
{
    EXPECT_EQ(apply({"-width", "300", "-width", "400"}), (Strings{"-width", "400"}));
    EXPECT_EQ(settings.windowWidth, 300);
    EXPECT_TRUE(apply({"-width", "-FPS"}).empty());
    EXPECT_EQ(settings.windowWidth, 0);
    EXPECT_EQ(settings.showRates, 0);
    EXPECT_TRUE(apply({"-FPS", "-FPS"}).empty());
    EXPECT_EQ(settings.showRates, 2);
    EXPECT_EQ(apply({"-GLASS", "-G", "-height"}), (Strings{"-height"}));
    EXPECT_EQ(settings.glass, 2);
    EXPECT_EQ(settings.windowHeight, 512);
    // The text rows belong to later steps and stay in the list.
    EXPECT_EQ(apply({"-t", "Demo", "-e", "x.ppm"}), (Strings{"-t", "Demo", "-e", "x.ppm"}));
}

TEST(OptionTable, ValueRules)
{
    struct Case {
        const char* qlx;
        int qlxSize;
        const char* sample;
        int sampleCount;
        const char* tsize;
        int textureSize;
    };
    for (const Case& c : {Case{"0", 440, "0", 1, "11", 1024}, Case{"1001", 440, "-5", 1, "-3", 1},
                          Case{"1000", 1000, "bad", 1, "0", 1}, Case{"1", 1, "3", 3, "bad", 1},
                          Case{"bad", 440, "1", 1, "10", 1024}}) {
        apply({"-qlxsize", c.qlx, "-sample", c.sample, "-tsize", c.tsize});
        EXPECT_EQ(settings.qlxSize, c.qlxSize) << c.qlx;
        EXPECT_EQ(settings.sampleCount, c.sampleCount) << c.sample;
        EXPECT_EQ(settings.textureSize, c.textureSize) << c.tsize;
    }
    apply({"-width", "0"});
    EXPECT_EQ(settings.windowWidth, 0);
    apply({"-a", "0.1", "-b", "bad", "-mspeed", "1e300"});
    EXPECT_EQ(settings.mirrorA, 0.1f);
    EXPECT_EQ(settings.mirrorB, 0.0f);
    EXPECT_EQ(settings.motionSpeed, HUGE_VALF);
}

TEST(OptionTable, FilterPrecedence)
{
    struct Case {
        Strings args;
        int filter;
    };
    for (const Case& c : {Case{{"-N"}, GL_NEAREST}, Case{{"-L"}, GL_LINEAR},
                          Case{{"-LL"}, GL_LINEAR_MIPMAP_LINEAR}, Case{{"-N", "-L"}, GL_LINEAR},
                          Case{{"-L", "-N"}, GL_LINEAR}, Case{{"-LL", "-L", "-N"}, GL_LINEAR_MIPMAP_LINEAR},
                          Case{{"-N", "-N"}, GL_NEAREST}}) {
        EXPECT_TRUE(apply(c.args).empty());
        EXPECT_EQ(settings.textureFilter, c.filter) << c.args.size();
    }
}

TEST(OptionTable, SceneRules)
{
    apply({"-TEAPOT"});
    EXPECT_EQ(settings.sceneKind, SceneKind::Teapot);
    EXPECT_EQ(settings.divisions, 5);
    apply({"-TEAPOT", "-divide", "8"});
    EXPECT_EQ(settings.divisions, 8);
    EXPECT_TRUE(apply({"-TEAPOT", "-TEXTURE"}).empty());
    EXPECT_EQ(settings.sceneKind, SceneKind::Teapot);
    apply({"-TEXTURE"});
    EXPECT_EQ(settings.sceneKind, SceneKind::TexturedQuad);
    EXPECT_EQ(settings.divisions, 16);
}

TEST(OptionTable, BenchmarkRule)
{
    frameState.multiPass = 1;
    apply({"-MAXTRIANGLES"});
    EXPECT_EQ(settings.maxTriangles, 1);
    EXPECT_EQ(settings.sceneKind, SceneKind::Goblet);
    EXPECT_EQ(settings.divisions, 1024);
    EXPECT_EQ(settings.windowWidth, 128);
    EXPECT_EQ(settings.windowHeight, 128);
    EXPECT_EQ(settings.texturing, 0);
    EXPECT_EQ(frameState.multiPass, 0);
    EXPECT_EQ(frameState.blurSteps, 0);

    apply({"-MAXTRIANGLES", "-width", "640"});
    EXPECT_EQ(settings.windowWidth, 640);
    EXPECT_EQ(settings.windowHeight, 128);
    // The test is on the value, not on whether the option was given.
    apply({"-MAX", "-width", "512", "-divide", "16"});
    EXPECT_EQ(settings.windowWidth, 128);
    EXPECT_EQ(settings.divisions, 1024);
    apply({"-MAXTRIANGLES", "-TEAPOT"});
    EXPECT_EQ(settings.sceneKind, SceneKind::Goblet);
    EXPECT_EQ(settings.divisions, 5);
    apply({"-MAXTRIANGLES", "-MAX"});
    EXPECT_EQ(settings.maxTriangles, 2);
}

TEST(OptionTable, SwapIntervalGivenOrNot)
{
    apply({});
    EXPECT_EQ(settings.swapInterval, optionAbsent);
    EXPECT_EQ(settings.frameLimit, 0);
    EXPECT_EQ(settings.secondsLimit, 0.0f);
    // A value that is not a number reads as 0, and is given all the same.
    for (const char* zero : {"0", "none"}) {
        EXPECT_TRUE(apply({"-sw", zero, "-fr", "50", "-se", "2.5"}).empty());
        EXPECT_EQ(settings.swapInterval, 0) << zero;
    }
    EXPECT_EQ(settings.frameLimit, 50);
    EXPECT_EQ(settings.secondsLimit, 2.5f);
    apply({"-swapinterval", "-99999999999"});
    EXPECT_NE(settings.swapInterval, optionAbsent);
    EXPECT_LT(settings.swapInterval, 0);
}

// The rows added last take only forms no older row had: -d still reaches
// -divide and -l nothing.
TEST(OptionTable, DeviceRowsLeaveTheOlderAbbreviations)
{
    EXPECT_TRUE(apply({"-d", "3", "-de", "1", "-li"}).empty());
    EXPECT_EQ(settings.divisions, 3);
    EXPECT_EQ(settings.device, 1);
    EXPECT_EQ(settings.listDevices, 1);
    EXPECT_EQ(apply({"-l", "-d", "4"}), Strings{"-l"});
    EXPECT_EQ(settings.divisions, 4);
    EXPECT_EQ(settings.device, optionAbsent);
    EXPECT_EQ(settings.listDevices, 0);
    apply({"-device", "-2147483648"});
    EXPECT_NE(settings.device, optionAbsent);
}

TEST(OptionTable, ProjectionPrecedence)
{
    struct Case {
        Strings args;
        EnvMapKind kind;
    };
    for (const Case& c : {Case{{}, EnvMapKind::RSPHERICAL},
                          Case{{"-SPHERICAL", "-RSPHERICAL"}, EnvMapKind::RSPHERICAL},
                          Case{{"-SPHERICAL"}, EnvMapKind::SPHERICAL},
                          Case{{"-PANORAMIC", "-HYPEROMNI"}, EnvMapKind::HYPEROMNI},
                          Case{{"-RPANORAMIC", "-PANORAMIC"}, EnvMapKind::PANORAMIC},
                          Case{{"-RPANORAMIC"}, EnvMapKind::RPANORAMIC},
                          Case{{"-H", "-SPH"}, EnvMapKind::SPHERICAL}}) {
        EXPECT_TRUE(apply(c.args).empty());
        EXPECT_EQ(settings.envMapKind, c.kind) << c.args.size();
    }
}

TEST(OptionTable, StartUpTakesTheTitleThenTheImageFile)
{
    std::string words[] = {"prog", "-e", "x.ppm", "-ti", "Demo", "-other"};
    char* argv[] = {words[0].data(), words[1].data(), words[2].data(),
                    words[3].data(), words[4].data(), words[5].data(), nullptr};
    OptionReader reader(6, argv);
    EXPECT_EQ(readWindowTitle(reader), TextString("Demo"));
    EXPECT_EQ(readEnvironmentFile(reader), TextString("x.ppm"));
    ASSERT_EQ(reader.count(), 2);
    EXPECT_EQ(reader.arg(1), TextString("-other"));
    EXPECT_EQ(readWindowTitle(reader), TextString("Super sampled Motion-Blur"));
    EXPECT_EQ(readEnvironmentFile(reader), TextString("sky.ppm"));
}

TEST(DisplayMode, DoubleUnlessSingle)
{
    EXPECT_EQ(displayMode(GLUT_DOUBLE), 22u);
    EXPECT_EQ(displayMode(GLUT_SINGLE), 20u);
}

} // namespace
