// callbacks.h - start-up of the scene and the GLUT callbacks that change it.
//
// Each has exactly the signature GLUT expects, so main can register it as is.
#pragma once

// Turns on the GL switches and gives scene_state its starting values.
// Needs the GL context, so it runs after the window is created.
void init_scene();

// Full-window viewport and the fixed perspective projection.
void on_reshape(int width, int height);

// One key press: moves the eye, toggles push/pop or quits (Esc); after any
// key but Esc, prints the eye position.
void on_keyboard(unsigned char key, int mouse_x, int mouse_y);

// One animation tick: turns both cubes by 5 degrees and re-arms itself.
void on_timer(int value);
