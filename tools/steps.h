// steps.h - the frame step by step: where each modelview call that on_display
// makes for the cubes leaves the coordinate frame, pictured from the
// program's own drawing.
//
// quenlade-capture is linked with ld's --wrap for those calls, so the steps
// are exactly what the frame does: a change to its transformations changes
// them.
#pragma once

#include <string>
#include <vector>

#include "tools/image_files.h"

struct frame_step {
    std::string call;  // as written in the code, e.g. "glTranslatef(1.5, 1.5, 0)"
    image picture;     // the scene drawn so far, the frame, the call as caption
};

// Draws one frame with on_display and returns a picture after each modelview
// call that it makes between setting the main view and leaving it (not those
// of the text): the current frame is drawn in as three short axes, x red,
// y green, z blue, with a yellow dot at its origin; after a pop, the frame
// that was popped stays as a faint ghost.
std::vector<frame_step> draw_steps();

// The pictures side by side in two rows, in reading order.
image contact_sheet(const std::vector<frame_step> &steps);
