#pragma once

#include "render/scene_kind.h"

// Fixed GL state for the scene, set once at start-up.
void initRenderState(SceneKind scene);
// Reshape callback: viewport, projection and the size-dependent frame state.
void reshape(int width, int height);
