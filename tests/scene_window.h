// scene_window.h - the real GLUT window every in-process test draws into.
//
// The test main opens it as the program does (500x500, double-buffered RGB
// with depth), runs init_scene and registers the callbacks. Tests then set
// scene_state, call the callbacks and read back pixels or GL state.
#pragma once

#include <functional>
#include <string>

#include "tests/picture.h"

namespace testkit {

constexpr int window_size = 500;

// Draws one frame with on_display and returns what it showed.
picture draw_frame();

// Everything fn printed on standard output.
std::string capture_stdout(const std::function<void()> &fn);

// Restores the state init_scene gives and the projection of a 500x500 window.
void reset_scene();

}  // namespace testkit
