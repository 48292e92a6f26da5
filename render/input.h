#pragma once

void idle();
void keyboard(unsigned char key, int x, int y);
void mouse(int button, int state, int x, int y);
void motion(int x, int y);
// The window system is closing the window; the process ends after.
void windowClosing();

// The state a command line asks for before the first frame: blur on as after
// m, and a spin of spinDegreesPerSecond (0: at rest).
void startInput(bool blurred, float spinDegreesPerSecond);
