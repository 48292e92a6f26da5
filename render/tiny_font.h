#pragma once
// A 5 by 7 pixel font of the program's own, for the few characters of the
// frame-time graph's labels: off screen there is no toolkit font. Drawn as
// points, which cost a software driver far less than bitmaps.

#include "options/text_string.h"

// Pixels from one character's left edge to the next one's.
constexpr int tinyFontAdvance = 6;
constexpr int tinyFontHeight = 7;

// The text with its bottom left corner at (x, y), in window coordinates of the
// current projection (one unit a pixel), in the current colour and point size
// (which should be 1); characters it has no glyph for ("0-9", ".", "m", "p",
// "s" and the blank have one) leave a blank.
void drawTinyText(const TextString& text, float x, float y);
