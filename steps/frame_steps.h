// frame_steps.h - the frame step by step: the modelview calls that on_display
// makes for the cubes, recorded from the program's own drawing, and the frame
// drawn as it stands after any one of them. quenlade-capture --steps and the
// page's steps mode both show the steps through this.
//
// Whatever links this is linked with ld's --wrap for those calls (see
// QUENLADE_STEP_WRAPS in CMakeLists.txt), so the steps are exactly what the
// frame does: a change to its transformations changes them.
#pragma once

#include <string>
#include <vector>

// Which step on_display draws from now on. 0: the whole frame, as the
// program draws it. n >= 1: the frame as it stands after the n-th call of
// its cube part; the cubes of later calls are left out, and drawn over the
// scene are the coordinate frame that the call leaves, as three short axes
// (x red, y green, z blue) with a yellow dot at its origin, after a pop the
// frame it threw away as a faint ghost, and the call as a caption.
void show_step(int step);
int shown_step();

// The calls of the cube part of the last frame drawn at a step, as written in
// the code: "glTranslatef(1.5, 1.5, 0)".
const std::vector<std::string> &step_calls();
