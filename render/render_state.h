#pragma once

// Fixed GL state, set once at start-up.
void initRenderState();
// Reshape callback: viewport, projection and the size-dependent frame state.
void reshape(int width, int height);
