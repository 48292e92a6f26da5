#pragma once

// Identity model-view and projection, both saved, so that coordinates are
// normalised device coordinates until endScreenSpace. Leaves GL_PROJECTION
// selected; endScreenSpace restores both and leaves GL_MODELVIEW selected.
void beginScreenSpace();
void endScreenSpace();
