// main.cpp - Quenlade: two turning cubes that show what the OpenGL modelview
// matrix stack is for.
//
// Opens the window, sets up the scene, hooks up the callbacks and hands
// control to GLUT for good. Space toggles push/pop, X/Y/Z and x/y/z move the
// eye, O and R jump to the front and home views, Esc quits.
#include <cstdio>

#include "app/callbacks.h"
#include "app/scene_state.h"
#include "app/window.h"
#include "render/gl.h"
#include "render/scene_frame.h"

int main(int argc, char **argv)
{
    // One camera report line at a time: on a pipe or in a file, each line is
    // out as soon as it is printed, so Ctrl+C or a kill loses none of them.
    setvbuf(stdout, nullptr, _IOLBF, 0);

    glutInit(&argc, argv);             // GLUT takes its own options out of the command line
    glutInitDisplayMode(window_mode);  // double-buffered RGB with depth (app/window.h)
    glutInitWindowSize(window_width, window_height);
    glutInitWindowPosition(window_x, window_y);
    glutCreateWindow(window_title);

    init_scene();  // needs the GL context the window brought

    glutKeyboardFunc(on_keyboard);
    glutDisplayFunc(on_display);
    glutReshapeFunc(on_reshape);
    glutTimerFunc(scene_state.timer_ms, on_timer, 0);  // first animation tick

    glutMainLoop();
    return 0;
}
