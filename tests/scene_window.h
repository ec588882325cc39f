// scene_window.h - the real GLUT window every in-process test draws into.
//
// The test main opens it as the program does (500x500, double-buffered RGB
// with depth), runs init_scene and registers the callbacks. Tests then set
// scene_state, call the callbacks and read back pixels or GL state.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace testkit {

constexpr int window_size = 500;

struct rgb {
    int r, g, b;
};

// The picture the last glutSwapBuffers showed, row 0 at the bottom.
struct picture {
    int width = 0, height = 0;
    std::vector<unsigned char> data;  // RGB
    rgb at(int x, int y) const;       // (-1, -1, -1) outside the picture
};

// Draws one frame with on_display and reads what it showed.
picture draw_frame();

// Saves a picture as PNG next to the test, so a failure can be looked at.
std::string save_png(const picture &pic, const std::string &name);

// Everything fn printed on standard output.
std::string capture_stdout(const std::function<void()> &fn);

// Restores the state init_scene gives and the projection of a 500x500 window.
void reset_scene();

}  // namespace testkit
