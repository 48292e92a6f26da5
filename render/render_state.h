#pragma once

#include "render/scene_kind.h"

// Fixed GL state for the scene, set once at start-up.
void initRenderState(SceneKind scene);
// Reshape callback: the view below, then a restart of the rate meter.
void reshape(int width, int height);
// Viewport, projection and the size-dependent frame state, without the
// toolkit: what a frame drawn on any surface of this size needs.
void setViewAndProjection(int width, int height);
