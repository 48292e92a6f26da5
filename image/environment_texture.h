#pragma once
// The one texture of the program: the environment image, found, decoded and
// uploaded once at start-up, with the texture state that stays for the run.

#include <GL/gl.h>

#include "image/pnm_reader.h"
#include "options/text_string.h"

// Generated and bound at start-up; never rebound or deleted.
extern GLuint environmentTexture;

// Finds, decodes and uploads the environment image and fixes the texture state
// for the minification filter; texturing starts switched on or off.
void setUpEnvironmentTexture(const TextString& fileName, GLint filter, bool texturing);

// The same for an image already in memory.
void setUpEnvironmentTextureImage(const PnmImage& image, GLint filter, bool texturing);

// Opens fileName as given, else in the directory named by the environment
// variable directoryVariable, or in unsetDirectory when that variable is not
// set at all. Never null: every failure is fatal.
PnmImagePtr loadEnvironmentImage(const TextString& fileName, TextString directoryVariable,
                                 const char* unsetDirectory = nullptr);

// Defines the bound texture's image: a mipmap chain for the trilinear filter,
// level 0 alone otherwise. A mipmap failure is fatal; an image too large for
// GLU is reported as GLU running out of memory.
void uploadEnvironmentImage(const PnmImage& image, GLint filter);

// Magnification follows the first half of the minification filter's name.
void applyTextureFilter(GLint filter);

// The magnification filter that goes with a minification filter.
GLint magnificationFilterFor(GLint minificationFilter);

// A directory variable's value made ready to have a file name appended:
// trailing whitespace dropped, a separator appended unless one ends it.
TextString imageDirectoryPrefix(TextString directory);
