// frame_grab.cpp - reading back each frame as on_display shows it.
#include "tools/frame_grab.h"

#include <GL/freeglut.h>  // glutMainLoopEvent: run GLUT one step at a time
#include <X11/Xlib.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "app/callbacks.h"
#include "app/window.h"
#include "render/gl.h"
#include "render/scene_frame.h"

static image last_shown;
static int shown_count = 0;
static bool window_shown = false;

image read_back_buffer()
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    image pic{viewport[2], viewport[3], {}};
    size_t row = static_cast<size_t>(pic.width) * 3;
    pic.rgb.resize(row * pic.height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, pic.width, pic.height, GL_RGB, GL_UNSIGNED_BYTE, pic.rgb.data());
    // GL reads the bottom row first; pictures keep the top row first.
    for (int y = 0; y < pic.height / 2; y++) {
        std::swap_ranges(&pic.rgb[y * row], &pic.rgb[(y + 1) * row],
                         &pic.rgb[(pic.height - 1 - y) * row]);
    }
    return pic;
}

// The names are the ones ld's --wrap gives.
extern "C" void __real_glutSwapBuffers();  // NOLINT(bugprone-reserved-identifier)
extern "C" void __wrap_glutSwapBuffers()   // NOLINT(bugprone-reserved-identifier)
{
    last_shown = read_back_buffer();
    shown_count++;
    __real_glutSwapBuffers();
}

static void reshape_and_note(int width, int height)
{
    on_reshape(width, height);
    window_shown = true;
}

bool display_opens()
{
    return XOpenDisplay(nullptr) != nullptr;
}

static std::string display_lost_line;
static int display_lost_status = 1;

// Xlib calls it once a connection fails, and ends the program if it returns;
// GLUT's and GL's requests go through the same handler.
static int on_display_lost(Display * /*display*/)
{
    remove_pending_file();
    fprintf(stderr, "%s\n", display_lost_line.c_str());
    _exit(display_lost_status);  // no exit handlers: they might talk to the display again
}

void exit_when_display_lost(const std::string &line, int status)
{
    display_lost_line = line;
    display_lost_status = status;
    XSetIOErrorHandler(on_display_lost);
}

bool open_scene_window(int *argc, char **argv, const char *title, int width, int height)
{
    glutInit(argc, argv);
    glutInitDisplayMode(window_mode);
    glutInitWindowSize(width, height);
    glutInitWindowPosition(window_x, window_y);
    glutCreateWindow(title);
    init_scene();
    glutDisplayFunc(on_display);
    glutReshapeFunc(reshape_and_note);
    for (int i = 0; i < 5000 && !window_shown; i++) {
        glutMainLoopEvent();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return window_shown;
}

image draw_frame()
{
    on_display();
    return last_shown;
}

int frames_shown()
{
    return shown_count;
}
