#pragma once
// The scene's display lists: the object of the chosen scene, the sky, and the
// name of the overlay list that the rate meter fills later.

#include <GL/gl.h>

#include "render/scene_kind.h"

// Compiles the object and sky lists and reserves the overlay list's name.
void buildDisplayLists(SceneKind scene, int divisions, bool texturing, int skySectors, int skyRings);

// Compile one list each, storing its name and (object) its triangle count in
// the frame state. Divisions are the goblet's or the teapot's grid; without
// texturing the goblet has no normals and the square no object at all.
void buildObjectList(SceneKind scene, int divisions, bool texturing);
void buildSkyList(int sectors, int rings);

// A new display-list name, also stored in field. When the GL has none left the
// process ends through the fatal-error report.
GLuint allocateListName(GLuint& field);
