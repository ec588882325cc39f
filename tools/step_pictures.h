// step_pictures.h - the frame step by step as pictures, for
// quenlade-capture --steps: one after each call of the frame's cube part,
// drawn by steps/frame_steps, and a sheet of them all.
#pragma once

#include <string>
#include <vector>

#include "tools/image_files.h"

struct frame_step {
    std::string call;  // as written in the code, e.g. "glTranslatef(1.5, 1.5, 0)"
    image picture;     // the frame as it stands after the call, with its caption
};

// How many calls the frame's cube part makes, learnt by drawing it once in
// the window that frame_grab opened.
size_t count_steps();

// Draws the frame once for each call of its cube part, in the window that
// frame_grab opened. With a band, the window is that many pixels taller than
// the scene: the scene is drawn below as a window of its size shows it, and
// the caption stands in the band above, clear of it.
std::vector<frame_step> draw_steps(int band = 0);

// The band above each step's scene, in pixels: room for its caption, which
// would otherwise cover the top of the scene.
const int caption_band = 56;

// Sheets larger than this many pixels a side are not made: many viewers,
// browsers among them, show no picture wider or taller than 16384 pixels
// (a common limit of GPU textures, and of Chromium's and Firefox's images).
const int largest_sheet = 16384;

// The size of the sheet of `count` pictures, each width x height.
struct sheet_layout {
    int columns, width, height;
};
sheet_layout sheet_size(size_t count, int width, int height);

// The pictures in two rows, in reading order, apart from one another.
image contact_sheet(const std::vector<frame_step> &steps);
