#pragma once

void idle();
void keyboard(unsigned char key, int x, int y);
void mouse(int button, int state, int x, int y);
void motion(int x, int y);
// The window system is closing the window; the process ends after.
void windowClosing();
