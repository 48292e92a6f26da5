#include "app/option_table.h"

#include <GL/glut.h>
#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "options/number_text.h"
#include "options/option_reader.h"
#include "platform/quit.h"
#include "render/frame_state.h"
#include "render/frame_time_log.h"
#include "render/snapshot.h"

TextString typedDevice;

namespace {

// The first value a strict row refused while the table was read.
std::string refusal;

} // namespace

// The counts that the earlier rows of a group leave for the row that decides
// the group.
struct OptionWalk {
    int teapot = 0;
    int spherical = 0;
    int rspherical = 0;
    int hyperomni = 0;
    int panoramic = 0;
};

namespace {

using Confine = int (*)(int value, int fallback);
using Rule = void (*)(OptionWalk& walk, int count);

constexpr OptionRow integer(const char* name, int shortest, const char* fallback, int Settings::*field,
                            const char* help, Confine confine = nullptr)
{
    return {name, shortest, OptionKind::Integer, "N", fallback, help, field, nullptr, confine, nullptr, nullptr};
}

constexpr OptionRow real(const char* name, int shortest, const char* fallback, float Settings::*field,
                         const char* help)
{
    return {name, shortest, OptionKind::Real, "X", fallback, help, nullptr, field, nullptr, nullptr, nullptr};
}

// The options added for scripts read no prefix: "-frames 1e4" running one
// frame would be a wrong result nobody sees. typed keeps the text as given.
constexpr OptionRow strict(OptionRow row, TextString* typed = nullptr)
{
    row.strict = true;
    row.text = typed;
    return row;
}

constexpr OptionRow presence(const char* name, int shortest, int Settings::*field, Rule rule, const char* help)
{
    return {name, shortest, OptionKind::Presence, "", "", help, field, nullptr, nullptr, rule, nullptr};
}

constexpr OptionRow text(const char* name, int shortest, const char* valueName, const char* fallback,
                         const char* help, TextString* field = nullptr)
{
    return {name, shortest, OptionKind::Text, valueName, fallback, help, nullptr, nullptr, nullptr, nullptr, field};
}

// The teapot wins over the square; a division count left at its default
// becomes the teapot's grid of 5.
void chooseScene(OptionWalk& walk, int texture)
{
    settings.sceneKind = SceneKind::Goblet;
    if (walk.teapot) {
        settings.sceneKind = SceneKind::Teapot;
        if (settings.divisions == Settings().divisions)
            settings.divisions = 5;
    } else if (texture) {
        settings.sceneKind = SceneKind::TexturedQuad;
    }
}

// The untextured goblet drawn once a frame; the size and division count
// left at their defaults are replaced.
void benchmark(OptionWalk&, int count)
{
    if (!count)
        return;
    const Settings defaults;
    settings.sceneKind = SceneKind::Goblet;
    if (settings.divisions == defaults.divisions)
        settings.divisions = 1024;
    if (settings.windowWidth == defaults.windowWidth)
        settings.windowWidth = 128;
    if (settings.windowHeight == defaults.windowHeight)
        settings.windowHeight = 128;
    settings.texturing = 0;
    frameState.multiPass = 0;
    frameState.blurSteps = 0;
}

// The reversed sphere when it is named or nothing is, else the first named.
void chooseProjection(OptionWalk& walk, int rpanoramic)
{
    EnvMapKind& kind = settings.envMapKind;
    if (walk.rspherical || !(walk.spherical || walk.hyperomni || walk.panoramic || rpanoramic))
        kind = EnvMapKind::RSPHERICAL;
    else if (walk.spherical)
        kind = EnvMapKind::SPHERICAL;
    else if (walk.hyperomni)
        kind = EnvMapKind::HYPEROMNI;
    else if (walk.panoramic)
        kind = EnvMapKind::PANORAMIC;
    else
        kind = EnvMapKind::RPANORAMIC;
}

constexpr OptionRow titleRow = text("-title", 2, "TEXT", "Super sampled Motion-Blur", "window title");
constexpr OptionRow imageFileRow =
    text("-envfile", 2, "FILE", "sky.ppm", "environment image (PNM: P2, P3, P5 or P6)");

int integerValue(const OptionRow& row, int value)
{
    return row.confine ? row.confine(value, parseIntText(row.fallback)) : value;
}

// A row without a default tells an absent option from any value given.
int integerDefault(const OptionRow& row)
{
    return *row.fallback ? integerValue(row, parseIntText(row.fallback)) : optionAbsent;
}

// The text of a strict row's value; unless it is wholly a number of the row's
// kind, the refusal. False when the option is absent.
bool readStrictText(OptionReader& options, const OptionRow& row, TextString& text)
{
    const int before = options.count();
    text = options.getString(row.name, "", row.shortest);
    if (options.count() == before)
        return false;
    if (row.text)
        *row.text = text;
    const bool integer = row.kind == OptionKind::Integer;
    if (refusal.empty() && !(integer ? isWholeInteger(text.data()) : isWholeReal(text.data())))
        refusal = std::string(row.name) + " needs " + (integer ? "an integer" : "a number") + ", not \"" +
                  text.data() + "\"";
    return true;
}

int readInteger(OptionReader& options, const OptionRow& row)
{
    if (row.strict) {
        TextString text;
        return readStrictText(options, row, text) ? integerValue(row, parseIntText(text.data()))
                                                  : integerDefault(row);
    }
    const int before = options.count();
    const int value = options.getInt(row.name, parseIntText(row.fallback), row.shortest);
    return options.count() == before ? integerDefault(row) : integerValue(row, value);
}

double readReal(OptionReader& options, const OptionRow& row)
{
    TextString text;
    if (row.strict)
        return readStrictText(options, row, text) ? parseRealText(text.data()) : parseRealText(row.fallback);
    return options.getDouble(row.name, parseRealText(row.fallback), row.shortest);
}

} // namespace

const std::vector<OptionRow>& optionTable()
{
    static const std::vector<OptionRow> rows{
        integer("-width", 2, "512", &Settings::windowWidth, "window width in pixels"),
        integer("-height", 2, "512", &Settings::windowHeight, "window height in pixels"),
        // Of the filter rows the last one given wins.
        presence("-N", 2, nullptr,
                 [](OptionWalk&, int n) { settings.textureFilter = n ? GL_NEAREST : GL_LINEAR_MIPMAP_LINEAR; },
                 "nearest texture filter"),
        presence("-L", 2, nullptr, [](OptionWalk&, int n) { if (n) settings.textureFilter = GL_LINEAR; },
                 "linear texture filter (wins over -N)"),
        presence("-LL", 3, nullptr,
                 [](OptionWalk&, int n) { if (n) settings.textureFilter = GL_LINEAR_MIPMAP_LINEAR; },
                 "trilinear mipmapped texture filter, the default (wins over -L)"),
        integer("-qlxsize", 2, "440", &Settings::qlxSize, "accepted and ignored (1 to 1000)",
                [](int v, int fallback) { return v < 1 || v > 1000 ? fallback : v; }),
        integer("-xcenter", 2, "-20", &Settings::xCenter, "accepted and ignored"),
        integer("-ycenter", 2, "10", &Settings::yCenter, "accepted and ignored"),
        integer("-sample", 3, "2", &Settings::sampleCount, "accepted and ignored (at least 1)",
                [](int v, int) { return std::max(v, 1); }),
        integer("-tsize", 3, "8", &Settings::textureSize,
                "accepted and ignored (texture size 2^N, N in 0..10)",
                [](int v, int) { return 1 << std::clamp(v, 0, 10); }),
        integer("-motion", 2, "8", &Settings::motionSteps,
                "sub-frames averaged into one blurred frame;\nover 65536: \"Too many motion steps\""),
        real("-mspeed", 3, "160.0", &Settings::motionSpeed, "spin speed that a drag gives"),
        integer("-sphere", 2, "0", &Settings::showSky, "nonzero draws the sky bowl behind the object"),
        integer("-objet", 2, "1", &Settings::showObject, "zero hides the object"),
        integer("-rotate", 2, "0", &Settings::autoRotate, "nonzero turns the environment image one degree a frame"),
        integer("-divide", 2, "16", &Settings::divisions, "angular divisions of the goblet; grid of the teapot (5)"),
        integer("-sudivide", 3, "32", &Settings::skyUDivisions, "sectors of the sky bowl (at least 3)"),
        integer("-svdivide", 3, "16", &Settings::skyVDivisions, "rings of the sky bowl (2 to 127)"),
        real("-a", 2, "23.0595", &Settings::mirrorA, "accepted and ignored"),
        real("-b", 2, "32.6842", &Settings::mirrorB, "accepted and ignored"),
        real("-f", 2, "5.44", &Settings::focalLength, "accepted and ignored"),
        presence("-FPS", 2, &Settings::showRates, nullptr, "show the frame-rate overlay"),
        presence("-graph", 3, &Settings::showGraph, nullptr,
                 "draw the last frames' durations as a graph along the bottom of the window"),
        presence("-SINGLE", 2, nullptr,
                 [](OptionWalk&, int n) { settings.bufferMode = n ? GLUT_SINGLE : GLUT_DOUBLE; },
                 "single-buffered window"),
        presence("-GLASS", 2, &Settings::glass, nullptr, "accepted and ignored"),
        presence("-TEAPOT", 4, nullptr, [](OptionWalk& w, int n) { w.teapot = n; }, "draw the Bezier teapot"),
        presence("-TEXTURE", 4, nullptr, chooseScene, "draw a flat textured square"),
        presence("-NOTEX", 3, nullptr, [](OptionWalk&, int n) { if (n) settings.texturing = 0; }, "no texturing"),
        presence("-MAXTRIANGLES", 4, &Settings::maxTriangles, benchmark,
                 "triangle benchmark: untextured goblet, 1024 divisions, 128 x 128 window"),
        presence("-SPHERICAL", 3, nullptr, [](OptionWalk& w, int n) { w.spherical = n; }, "accepted and ignored"),
        presence("-RSPHERICAL", 3, nullptr, [](OptionWalk& w, int n) { w.rspherical = n; }, "accepted and ignored"),
        presence("-HYPEROMNI", 2, nullptr, [](OptionWalk& w, int n) { w.hyperomni = n; }, "accepted and ignored"),
        presence("-PANORAMIC", 2, nullptr, [](OptionWalk& w, int n) { w.panoramic = n; }, "accepted and ignored"),
        presence("-RPANORAMIC", 3, nullptr, chooseProjection, "accepted and ignored"),
        // The lowest int stays free to mean "not given".
        strict(integer("-swapinterval", 3, "", &Settings::swapInterval,
                       "swap interval; -MAXTRIANGLES sets 0 unless this is given",
                       [](int v, int) { return std::max(v, -INT_MAX); })),
        strict(integer("-frames", 3, "0", &Settings::frameLimit,
                       "end after N frames past the first, with a result line")),
        strict(real("-seconds", 3, "0", &Settings::secondsLimit,
                    "end X seconds after the first frame, with a result line")),
        presence("-headless", 4, &Settings::headless, nullptr,
                 "draw off screen through EGL, without a window system (needs -frames or -seconds)"),
        text("-snapshot", 3, "FILE", "", "write the last frame to FILE as a binary PPM when the run ends",
             &snapshotFile),
        presence("-validate", 2, &Settings::validate, nullptr,
                 "check the picture this driver draws at 256 x 256, print the figures and end"),
        titleRow,
        imageFileRow,
        text("-frametimes", 7, "FILE", "",
             "write every counted frame's end and duration to FILE as CSV (a pipe as the run\n"
             "goes on; a regular file appears complete when the run ends)",
             &frameTimesFile),
        presence("-blur", 3, &Settings::startBlurred, nullptr, "start with motion blur on, as if m had been pressed"),
        strict(real("-spin", 4, "0", &Settings::spinSpeed,
                    "start the object spinning at X degrees a second, as a drag right and down would")),
        strict(real("-timestep", 4, "0", &Settings::timeStepMs,
                    "every frame advances the spin as if X milliseconds had passed; not above 0: real time")),
        presence("-checksum", 2, &Settings::checksum, nullptr,
                 "add the last frame's checksum (FNV-1a of its pixels) to the result line"),
        presence("-listdevices", 3, &Settings::listDevices, nullptr,
                 "list the EGL devices, one a line: number, DRM node (else\n"
                 "software, else -) and renderer; then end"),
        // As for -swapinterval, the lowest int stays free to mean "not given".
        strict(integer("-device", 3, "", &Settings::device,
                       "-headless draws on EGL device N of -listdevices, and no other;\n"
                       "refused (status 2) without -headless or for a number not listed",
                       [](int v, int) { return std::max(v, -INT_MAX); }),
               &typedDevice),
    };
    return rows;
}

Settings::Settings()
{
    for (const OptionRow& row : optionTable()) {
        if (row.kind == OptionKind::Integer)
            this->*row.integer = integerDefault(row);
        else if (row.kind == OptionKind::Real)
            this->*row.real = narrowToFloat(parseRealText(row.fallback));
    }
}

std::string applyOptionTable(OptionReader& options)
{
    refusal.clear();
    OptionWalk walk;
    for (const OptionRow& row : optionTable()) {
        switch (row.kind) {
        case OptionKind::Presence: {
            const int count = options.countFlag(row.name, row.shortest);
            if (row.integer)
                settings.*row.integer = count;
            if (row.rule)
                row.rule(walk, count);
            break;
        }
        case OptionKind::Integer:
            settings.*row.integer = readInteger(options, row);
            break;
        case OptionKind::Real:
            settings.*row.real = narrowToFloat(readReal(options, row));
            break;
        case OptionKind::Text: {
            // The title and the image file are read later, at their steps of start-up.
            if (!row.text)
                break;
            const bool given = options.hasValue(row.name, row.shortest);
            *row.text = options.getString(row.name, row.fallback, row.shortest);
            // A file the run writes: an empty name is a script's unset variable.
            if (given && row.text->length() == 0 && std::strcmp(row.valueName, "FILE") == 0 && refusal.empty())
                refusal = std::string(row.name) + " needs a file name, not an empty one";
            break;
        }
        }
    }
    // Only the last argument can lack its value. The original's options left
    // there go to the toolkit; one for scripts is an unquoted unset variable,
    // and the run would quietly not be the one asked for.
    if (refusal.empty() && options.count() > 1) {
        const TextString& last = options.arg(options.count() - 1);
        for (const OptionRow& row : optionTable()) {
            const bool forScripts = row.strict || (row.kind == OptionKind::Text && row.text);
            if (forScripts && last.isAbbreviationOf(row.name, row.shortest))
                refusal = std::string(row.name) + " needs a value after it";
        }
    }
    frameState.measuredFps = 0.0f;
    return refusal;
}

TextString readWindowTitle(OptionReader& options)
{
    return options.getString(titleRow.name, titleRow.fallback, titleRow.shortest);
}

TextString readEnvironmentFile(OptionReader& options)
{
    return options.getString(imageFileRow.name, imageFileRow.fallback, imageFileRow.shortest);
}
