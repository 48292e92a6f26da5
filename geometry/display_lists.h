#pragma once
// The scene's display lists: the object of the chosen scene, the sky, and the
// name of the overlay list that the rate meter fills later.

#include <GL/gl.h>

// Compiles the object and sky lists and reserves the overlay list's name.
void buildDisplayLists();

// Compile one list each, storing its name and (object) its triangle count in
// the frame state.
void buildObjectList();
void buildSkyList();

// A new display-list name, also stored in field. When the GL has none left the
// process ends through the fatal-error report.
GLuint allocateListName(GLuint& field);
