// window.h - the program's window: how GLUT is asked for it. The program's
// main, and whatever else opens a window to draw as the program does (the
// capture tool, the tests, the bench's floor), ask for the same.
#pragma once

#include "render/gl.h"

// Double-buffered RGB with a depth buffer.
constexpr unsigned int window_mode = GLUT_DOUBLE | GLUT_RGB | GLUT_DEPTH;
constexpr int window_width = 500, window_height = 500;  // pixels
constexpr int window_x = 100, window_y = 100;           // on the screen
constexpr const char *window_title = "Quenlade #2";
