#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "render/frame.h"
#include "render_gl_fixture.h"

namespace {

using Matrix = std::array<float, 16>;

// Column-major matrix times (x, y, z, 0).
std::array<float, 3> turn(const Matrix& m, std::array<float, 3> v)
{
    return {m[0] * v[0] + m[4] * v[1] + m[8] * v[2], m[1] * v[0] + m[5] * v[1] + m[9] * v[2],
            m[2] * v[0] + m[6] * v[1] + m[10] * v[2]};
}

// Inverse of a rotation: its transpose.
std::array<float, 3> unturn(const Matrix& m, std::array<float, 3> v)
{
    return {m[0] * v[0] + m[1] * v[1] + m[2] * v[2], m[4] * v[0] + m[5] * v[1] + m[6] * v[2],
            m[8] * v[0] + m[9] * v[1] + m[10] * v[2]};
}

class Frame : public RenderGl {};

// Clear colour (0, 0.4, 1) in 8 bits.
constexpr int kClear[3] = {0, 102, 255};

TEST_F(Frame, SkyFadesInRepeatedPassesButNotInASinglePass)
{
    settings.texturing = 0;
    settings.showSky = 1;
    settings.motionSteps = 8;
    compileFlatSky(1.0f, 0.5f, 0.0f);
    const int sky[3] = {255, 128, 0};
    auto faded = [&](int c) { return (sky[c] + 7 * kClear[c]) / 8; };

    // Blurred frames: the validation's sky-fade check.
    frameState.multiPass = 1;
    composeFrame();
    expectFrameEndState();
    Picture image = read();
    EXPECT_TRUE(nearColour(image.at(kSize - 3, kSize - 3), faded(0), faded(1), faded(2), 3));

    frameState.multiPass = 0;
    composeFrame();
    expectFrameEndState();
    image = read();
    EXPECT_TRUE(nearColour(image.at(2, 2), sky[0], sky[1], sky[2], 1));

    // Without the object only the sky is drawn, at full strength, in any mode.
    settings.showObject = 0;
    frameState.multiPass = 1;
    composeFrame();
    expectFrameEndState();
    image = read();
    EXPECT_TRUE(nearColour(image.at(kSize / 2, kSize / 2), sky[0], sky[1], sky[2], 1));
}

// Repeated passes draw the object opaque at one orientation: it stays exactly
// as a single pass draws it, while the background around it fades.
TEST_F(Frame, RepeatedPassesKeepTheObjectSharp)
{
    settings.showSky = 1;
    compileFlatSky(1.0f, 0.5f, 0.0f);
    frameState.spinVelocity[0] = 30.0f;
    frameState.measuredFps = 20.0f;
    const Matrix start = orientationOf(frameState);

    // The background alone (the sky is textured here), to tell object pixels from it.
    frameState.multiPass = 0;
    settings.showObject = 0;
    composeFrame();
    const Picture background = read();
    settings.showObject = 1;

    composeFrame();
    const Picture single = read();
    const Matrix afterSingle = orientationOf(frameState);

    setOrientation(frameState, start);
    frameState.multiPass = 1;
    composeFrame();
    const Picture repeated = read();
    expectFrameEndState();
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(orientationOf(frameState)[i], afterSingle[i]) << "one step per frame; element " << i;

    int objectPixels = 0;
    int mismatches = 0;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            if (std::equal(single.at(x, y), single.at(x, y) + 3, background.at(x, y)))
                continue;
            ++objectPixels;
            mismatches += !std::equal(single.at(x, y), single.at(x, y) + 3, repeated.at(x, y));
        }
    }
    EXPECT_GT(objectPixels, 3000);
    EXPECT_EQ(mismatches, 0);
    EXPECT_FALSE(nearColour(repeated.at(2, 2), background.at(2, 2)[0], background.at(2, 2)[1],
                            background.at(2, 2)[2], 10));
}

// Two frames without a drag are the same picture; a spin turns the object.
TEST_F(Frame, OnlySpinMovesTheObject)
{
    composeFrame();
    const Picture first = read();
    composeFrame();
    EXPECT_EQ(differingPixels(first, read()), 0);

    frameState.spinVelocity[0] = 10.0f;
    composeFrame();
    EXPECT_GT(differingPixels(first, read()), 500);
}

TEST_F(Frame, DragTurnsTheNearSideWithThePointer)
{
    frameState.measuredFps = 80.0f;
    // 16 pixels of a 256-pixel window at speed 160: 10 degrees a frame at 20
    // frames per second, a quarter of that at 80.
    const float degrees = 2.5f;
    const float radians = degrees * static_cast<float>(M_PI) / 180.0f;
    frameState.dragging = true;
    frameState.dragLastX = frameState.pointerX = 100;
    frameState.dragLastY = frameState.pointerY = 100;

    const Matrix before = orientationOf(frameState);
    const auto nearSide = unturn(before, {0.0f, 0.0f, 1.0f});
    frameState.pointerX = 116;
    glPushMatrix();
    glLoadIdentity();
    applyOrientation(0, true);
    Matrix applied;
    glGetFloatv(GL_MODELVIEW_MATRIX, applied.data());
    glPopMatrix();
    const Matrix afterRight = orientationOf(frameState);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(applied[i], afterRight[i]) << "the new orientation is multiplied in; element " << i;
    const auto movedRight = turn(afterRight, nearSide);
    EXPECT_NEAR(movedRight[0], std::sin(radians), 1e-5f);
    EXPECT_NEAR(movedRight[1], 0.0f, 1e-5f);
    EXPECT_NEAR(movedRight[2], std::cos(radians), 1e-5f);

    // Downward on screen is -y for the eye.
    const auto nearNow = unturn(afterRight, {0.0f, 0.0f, 1.0f});
    frameState.pointerX = frameState.dragLastX;
    frameState.pointerY = frameState.dragLastY + 16;
    glPushMatrix();
    applyOrientation(0, true);
    glPopMatrix();
    const auto movedDown = turn(orientationOf(frameState), nearNow);
    EXPECT_NEAR(movedDown[0], 0.0f, 1e-5f);
    EXPECT_NEAR(movedDown[1], -std::sin(radians), 1e-5f);
    EXPECT_NEAR(movedDown[2], std::cos(radians), 1e-5f);

    // Without advance the orientation is only applied.
    const Matrix kept = orientationOf(frameState);
    glPushMatrix();
    applyOrientation(0, false);
    glPopMatrix();
    EXPECT_EQ(orientationOf(frameState), kept);
}

TEST_F(Frame, DisplayCountsFramesAndTurnsTheTexture)
{
    settings.showObject = 0;
    settings.autoRotate = 1;
    display();
    display();
    EXPECT_EQ(frameState.framesSinceSample, 2);
    expectFrameEndState();

    Matrix texture;
    glGetFloatv(GL_TEXTURE_MATRIX, texture.data());
    // The image turns about its centre by one degree a frame.
    auto apply = [&](float s, float t) {
        return std::array<float, 2>{texture[0] * s + texture[4] * t + texture[12],
                                    texture[1] * s + texture[5] * t + texture[13]};
    };
    const auto centre = apply(0.5f, 0.5f);
    EXPECT_NEAR(centre[0], 0.5f, 1e-6f);
    EXPECT_NEAR(centre[1], 0.5f, 1e-6f);
    const auto edge = apply(1.0f, 0.5f);
    const float twoDegrees = 2.0f * static_cast<float>(M_PI) / 180.0f;
    EXPECT_NEAR(edge[0], 0.5f + 0.5f * std::cos(twoDegrees), 1e-6f);
    EXPECT_NEAR(edge[1], 0.5f + 0.5f * std::sin(twoDegrees), 1e-6f);

    settings.autoRotate = 0;
    display();
    Matrix unchanged;
    glGetFloatv(GL_TEXTURE_MATRIX, unchanged.data());
    EXPECT_EQ(unchanged, texture);
    EXPECT_EQ(frameState.framesSinceSample, 3);
}

// Text pixels and shadow pixels of the overlay in the top left corner.
struct OverlayPixels {
    int text = 0;
    int shadow = 0;
    int elsewhere = 0;
};

OverlayPixels overlayPixels(const Picture& image)
{
    OverlayPixels found;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const bool text = nearColour(image.at(x, y), 204, 204, 153, 1);
            const bool shadow = nearColour(image.at(x, y), 128, 128, 77, 1);
            const bool topLeft = y >= image.height - 24 && x >= 10;
            found.text += text && topLeft;
            found.shadow += shadow && topLeft;
            found.elsewhere += (text || shadow) && !topLeft;
        }
    }
    return found;
}

TEST_F(Frame, OverlayIsCompiledAfterASampleAndReplayedOtherwise)
{
    settings.showRates = 1;
    frameState.rateText = "  59.94 FPS    72.887 kTPS";
    frameState.framesSinceSample = 0;
    composeFrame();
    expectFrameEndState();
    const Picture compiled = read();
    const OverlayPixels pixels = overlayPixels(compiled);
    EXPECT_GT(pixels.text, 100);
    EXPECT_GT(pixels.shadow, 20);
    EXPECT_EQ(pixels.elsewhere, 0);

    // Between samples the list is replayed: a new text is not seen yet.
    frameState.rateText = "  1.00 FPS";
    frameState.framesSinceSample = 1;
    composeFrame();
    EXPECT_EQ(differingPixels(read(), compiled), 0);

    frameState.framesSinceSample = 0;
    composeFrame();
    const Picture recompiled = read();
    EXPECT_GT(differingPixels(recompiled, compiled), 0);
    EXPECT_LT(overlayPixels(recompiled).text, pixels.text);
}

// The graph is drawn over the finished frame and leaves every switch, the
// current colour and the matrices as a frame without it leaves them.
TEST_F(Frame, GraphLeavesTheStateAsAFrameWithoutIt)
{
    const auto state = [] {
        std::vector<float> values;
        for (const GLenum cap : {GL_TEXTURE_2D, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_DEPTH_TEST, GL_BLEND,
                                 GL_LIGHTING, GL_LINE_SMOOTH, GL_LINE_STIPPLE})
            values.push_back(glIsEnabled(cap));
        std::array<float, 4> colour{};
        glGetFloatv(GL_CURRENT_COLOR, colour.data());
        values.insert(values.end(), colour.begin(), colour.end());
        float width = 0.0f;
        glGetFloatv(GL_LINE_WIDTH, &width);
        values.push_back(width);
        return values;
    };
    frameState.blurSteps = 4;
    composeFrame();
    const std::vector<float> without = state();
    settings.showGraph = 1;
    for (int i = 0; i < 3; ++i) {
        composeFrame();
        expectFrameEndState();
        EXPECT_EQ(state(), without);
    }
}

} // namespace
