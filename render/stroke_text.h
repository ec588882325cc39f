// stroke_text.h - text drawn as 3D lines with GLUT's stroke Roman font.
//
// Stroke text is ordinary geometry: it is transformed, projected, lit and
// depth-tested like the cubes. Neither routine sets a colour, a material or a
// normal; the caller does. Both leave the modelview matrix as they found it.
//
// They have C names, as GL's own routines do, so that a tool can see where
// the frame draws text (the steps of steps/ leave the text's own calls out).
#pragma once

extern "C" {

// Draws text starting at (x, y, z) of the current modelview frame, in its
// x-y plane, with font units scaled by `scale`.
void draw_text_3d(float x, float y, float z, float scale, const char *text);

// Horizontal alignment for draw_text_2d: 0 starts the text at (x, y), 1
// centres it on (x, y), anything else ends it at (x, y).
void draw_text_2d(const char *text, float x, float y, float angle, float scale_x, float scale_y,
                  int text_align);
}
