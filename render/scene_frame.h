// scene_frame.h - draws one whole frame of the demo from scene_state.
#pragma once

// GLUT's display callback: the axes, the two cubes in the current push/pop
// mode and the mode label, then a buffer swap.
void on_display();
