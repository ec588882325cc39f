// frame_grab.h - the demo drawn into a real GLUT window and read back as
// pictures, for quenlade-capture and the tests.
//
// Whatever links this is linked with ld's --wrap=glutSwapBuffers: each frame
// is read from the back buffer just before GLUT shows it, while its content
// is still defined. The window may be larger than the screen.
#pragma once

#include <string>

#include "tools/image_files.h"

// Whether the display of $DISPLAY can be opened. The connection stays open
// until the program ends: an X server that loses its last client resets, and
// would refuse GLUT's connection meanwhile.
bool display_opens();

// From now on, when the display goes away (its X server ends, or the
// connection to it breaks), removes the temporary file being written and
// ends the program with status after printing line, in place of Xlib's
// own lines and its exit, which would leave the temporary file behind.
void exit_when_display_lost(const std::string &line, int status = 1);

// Opens a window as the program does (app/window.h), of the size asked,
// runs init_scene, registers on_display and on_reshape, and
// waits until the window is shown. GLUT takes its own options out of argv.
// False if it was never shown.
bool open_scene_window(int *argc, char **argv, const char *title, int width, int height);

// What has been drawn so far into the back buffer of the current viewport.
image read_back_buffer();

// Draws one frame with on_display and returns it.
image draw_frame();

// How many frames have been shown since the window opened, by draw_frame or
// by GLUT's loop.
int frames_shown();
