#include "render/frame_graph.h"

#include <GL/glut.h>
#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

#include "app/settings.h"
#include "platform/clock.h"
#include "render/frame_graph_scale.h"
#include "render/rate_meter.h"
#include "render/screen_space.h"
#include "render/tiny_font.h"

namespace {

FrameRing ring;
GraphScale scale;
std::optional<double> lastFrameEnd;  // seconds of the monotonic clock
double lastFrameMs = 0.0;

// Off screen the toolkit has no font: there the labels use the program's own.
int labelLineHeight()
{
    return settings.headless ? tinyFontHeight + 3 : 13;  // GLUT_BITMAP_8_BY_13
}

TextString millisecondsText(const char* prefix, double ms)
{
    std::array<char, 64> buffer{};
    // Three figures, but never an exponent ("%.3g" writes 999.7 as 1e+03).
    if (ms >= 100.0)
        std::snprintf(buffer.data(), buffer.size(), "%s%.0f ms", prefix, ms);
    else
        std::snprintf(buffer.data(), buffer.size(), "%s%.3g ms", prefix, ms);
    return TextString(buffer.data());
}

// In the overlay's text colour, without its shadow: a software driver draws
// each run of bitmaps of one colour as a quad of its whole bitmap cache, so
// a shadow would double the labels' cost.
void drawLabel(const TextString& text, float x, float y)
{
    if (settings.headless)
        drawTinyText(text, x, y);
    else
        drawText(text, x, y, 0.0f, GLUT_BITMAP_8_BY_13);
}

void drawGrid(float width, float top)
{
    glColor3f(0.45f, 0.45f, 0.45f);
    glBegin(GL_LINES);
    glVertex2f(0.0f, top);
    glVertex2f(width, top);
    glVertex2f(0.0f, 0.5f);
    glVertex2f(width, 0.5f);
    glEnd();
}

void drawDurations(const std::vector<double>& shown, float left, int bandHeight)
{
    const std::vector<bool> slow = standsOut(shown);
    // The slow frames as red bars from the bottom, under the line.
    glColor3f(1.0f, 0.15f, 0.15f);
    glBegin(GL_LINES);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (!slow[i])
            continue;
        const float x = left + static_cast<float>(i) + 0.5f;
        glVertex2f(x, 0.0f);
        glVertex2f(x, static_cast<float>(columnHeight(shown[i], scale.topMs, bandHeight)));
    }
    glEnd();
    glColor3f(0.2f, 1.0f, 0.2f);
    glBegin(GL_LINE_STRIP);
    float y = 0.0f;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        y = static_cast<float>(std::max(columnHeight(shown[i], scale.topMs, bandHeight), 1)) - 0.5f;
        glVertex2f(left + static_cast<float>(i) + 0.5f, y);
    }
    // A strip leaves out its last pixel: one more step to the right draws the newest frame.
    glVertex2f(left + static_cast<float>(shown.size()) + 0.5f, y);
    glEnd();
}

} // namespace

void graphFrameShown()
{
    const double now = monotonicSeconds();
    if (lastFrameEnd) {
        lastFrameMs = (now - *lastFrameEnd) * 1000.0;
        ring.push(lastFrameMs);
    }
    lastFrameEnd = now;
}

void forgetGraphFrameEnd()
{
    lastFrameEnd.reset();
}

void drawFrameGraph()
{
    const int width = settings.windowWidth;
    const int height = settings.windowHeight;
    const GraphBand band = graphBand(width, height);
    if (band.columns == 0)
        return;
    const std::vector<double> shown = ring.latest(static_cast<std::size_t>(band.columns));
    if (!shown.empty())
        updateScale(scale, *std::max_element(shown.begin(), shown.end()), lastFrameMs);

    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_POINT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_LINE_STIPPLE);
    glDisable(GL_POINT_SMOOTH);
    glLineWidth(1.0f);
    glPointSize(1.0f);
    beginScreenSpace();
    // Window coordinates: one unit a pixel, the origin at the bottom left.
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);

    // The newest frame in the rightmost column, the graph growing leftwards
    // until it fills its columns; the labels at the left of those columns.
    const float left = static_cast<float>(width) - static_cast<float>(shown.size());
    drawGrid(static_cast<float>(width), static_cast<float>(band.height) - 0.5f);
    // The labels under the graph: in a low band the durations matter more.
    if (!shown.empty()) {
        const float x = static_cast<float>(width - band.columns) + 3.0f;
        const int line = labelLineHeight();
        glColor3f(0.8f, 0.8f, 0.6f);
        drawLabel(millisecondsText("", scale.topMs), x, static_cast<float>(band.height - line - 1));
        const float below = static_cast<float>(band.height - 2 * line - 1);
        drawLabel(millisecondsText("p99 ", percentile(shown, 99.0)), x, below);
    }
    drawDurations(shown, left, band.height);

    endScreenSpace();
    glPopAttrib();
}
