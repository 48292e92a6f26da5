#pragma once
// The program's own scene, set up afresh for each check: the display lists,
// render state, projection and frame composition the program draws with, at
// a fixed size and with fixed settings, whatever the command line chose.

#include <GL/gl.h>

#include "image/pnm_reader.h"
#include "render/scene_kind.h"
#include "validation/picture.h"

// The side of the square every check draws, in pixels.
constexpr int checkSide = 256;

// Default settings and a fresh frame state for scene, its lists built anew,
// the render state and the checkSide projection set: single-pass frames,
// no spin. Frames end without a swap, so the picture stays where it was drawn.
void prepareScene(SceneKind scene);

// One frame composed by the program and read back.
Picture composeAndRead();

// Makes image the environment texture, filtered with filter.
void useEnvironmentImage(const PnmImage& image, GLint filter);

// A 64 x 64 image with a colour ramp and a checker: turning the object
// changes its picture everywhere. No texel has the clear colour.
const PnmImage& rampImage();

// A spin that turns the object well within one frame of n sub-frames.
void startSpin();
