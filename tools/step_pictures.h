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

// Draws the frame once for each call of its cube part, in the window that
// frame_grab opened.
std::vector<frame_step> draw_steps();

// The pictures side by side in two rows, in reading order.
image contact_sheet(const std::vector<frame_step> &steps);
