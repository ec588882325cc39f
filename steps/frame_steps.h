// frame_steps.h - the frame step by step: the modelview calls that on_display
// makes for the cubes, recorded from the program's own drawing with the
// matrix stack as GL holds it after each, and the frame drawn as it stands
// after any one of them. quenlade-capture --steps and the page's steps mode
// both show the steps through this.
//
// In the lab (steps/lab.h), the frame's k-th call of its cube part makes the
// lab's k-th call in its place, whatever the frame asked for.
//
// Whatever links the quenlade_steps library gets ld's --wrap for each call
// that the recorder sees (steps/CMakeLists.txt), so the steps are exactly
// what the frame does: a change to its transformations changes them.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "steps/lab.h"

using matrix = std::array<float, 16>;  // column by column, as GL stores it

// What made a matrix of the stack what it is: the call of the cube part
// (counted from 1) whose push made it as a copy of the one under it, or 0
// for the view that gluLookAt set; then the calls that changed it since.
struct matrix_story {
    int from = 0;
    std::vector<int> changed;
};

// One call of the cube part, and the matrix stack as GL holds it after it.
struct frame_call {
    std::string call;       // as written in the code: "glTranslatef(1.5, 1.5, 0)"; switched
                            // off in the lab, commented out: "// glPopMatrix()"
    bool writable = false;  // one of the calls the lab writes, as `made`:
    lab_call made;          // a rotate by a cube's angle as a1 or a2, its number the angle now
    std::string error;      // what glGetError reported for a lab's push or pop, if anything:
                            // "GL_STACK_UNDERFLOW"
    int depth = 0;          // GL_MODELVIEW_STACK_DEPTH; the view is matrix 1
    matrix modelview{};     // the top matrix, as glGetFloatv(GL_MODELVIEW_MATRIX) gives it
    // The matrices on the stack from the view up, each as GL gave it while
    // it was on top, with the view taken out: each frame in world
    // coordinates. The last is the top's.
    std::vector<matrix> stack;
    std::vector<matrix> modelview_stack;  // the same as GL gave them, the view included
    std::vector<matrix_story> stories;    // of each matrix on the stack, the view first
    bool popped = false;                  // a pop: ghost is the frame it threw away
    matrix ghost{}, ghost_modelview{};
    matrix_story ghost_story;
};

// Learns the program's cube part in each mode (program_lab, steps/lab.h) by
// drawing the frame unseen (nothing is written to the colour or depth
// buffer) with the cubes' angles set apart, so that a rotate by a cube's
// angle is known as a1 or a2. The frame's last glutSwapBuffers still comes:
// call this before the frames that are shown, after the window's GL context
// exists. Returns "" or, when the frame is not as the recorder reads it,
// what it found and why it cannot read it. frame is on_display but for
// tests of the recorder itself.
std::string learn_cube_part(void (*frame)() = nullptr);

// Which step on_display draws from now on, as far as the last frame drawn
// has calls (a later frame with fewer calls shows its last). 0: the whole
// frame, as the program draws it. n >= 1: the frame as it stands after the
// n-th call of its cube part; the cubes of later calls are left out, and
// drawn over the scene are the coordinate frame that the call leaves, as
// three short axes (x red, y green, z blue) with a yellow dot at its origin,
// after a pop the frame it threw away as a faint ghost, and the call and
// the stack's depth as a caption.
void show_step(int step);
// The step the last frame drew, or that show_step asked for since.
int shown_step();

// Where the step's caption goes: over the top of the scene, small enough to
// leave the scene readable (the page), or, with a band, in a band of the
// window above the scene, larger (quenlade-capture's pictures).
void caption_in_band(bool band);

// The word before the stack's depth in the caption: GL's "depth" unless
// told otherwise (the page, in its language).
void caption_depth_word(const std::string &word);

// The calls of the cube part of the last frame drawn, at a step or not.
const std::vector<frame_call> &step_calls();

// The text that the last frame drew after its cube part: its mode label.
const std::string &frame_label();

// The same as a JSON list, one object per call: "call", "lab" (as the lab's
// text writes it), "name", "off", "angle" (1 or 2 for a1 or a2) and
// "numbers" (each with its value, bounds and step), "depth", "modelview",
// "world" (the top in world coordinates), "stack" and "modelview_stack"
// (bottom first), "stories" (of each matrix, {"from": ..., "changed": [...]})
// and, for a pop, "ghost", "ghost_modelview" and "ghost_story", and "error"
// for a call that raised one; each matrix as 16 numbers column by column.
std::string step_calls_json();

// The lab that the frames use from the next one on, in its mode (the other
// mode draws the program's own); nullptr for none. Whatever its calls, the
// cube part leaves the stack as deep as it found it: pushes left without
// their pop are popped after its last call, so the label and the next frame
// get the stack they would have had.
void use_lab(const lab *changed);
// The lab in use, or nullptr.
const lab *lab_in_use();

// A cube as GL placed it, in world coordinates (the view taken out): its
// centre, and its x, y and z axes each as long as the cube's edge, so that
// its size and any glScalef count.
struct cube_place {
    std::array<double, 3> origin;
    std::array<std::array<double, 3>, 3> axes;
};

// Draws one frame unseen (nothing written to the colour or depth buffer),
// with the real on_display and GL, with changed's calls in their mode (or,
// for nullptr, the program's own in the mode push_pop), both cubes at angle, and returns its cubes
// in the order it draws them (the grey cube's place first). Everything else stays as it was: the
// state, the lab in use, the step, the last frame's calls. As with learn_cube_part, the frame's
// glutSwapBuffers still comes: call it between the frames that are shown.
std::vector<cube_place> cubes_drawn(const lab *changed, bool push_pop, float angle);

// Whether the frame being drawn is one of those unseen ones (cubes_drawn's or
// learn_cube_part's), which whatever watches the frames shown should pass
// over.
bool drawing_unseen();

// Cubes drawn from the next frame on as a ghost over the scene, in outline
// with a dot at each centre, the first in the grey cube's colour, the next in
// the blue's: where a challenge wants the cubes. Empty for none.
void show_target(const std::vector<cube_place> &target);
