// capture.cpp - quenlade-capture: saves what Quenlade draws, for slides, the
// README and machines without a display.
//
// It opens a window like the program's and draws with the program's own
// init_scene, on_reshape and on_display, for a state taken from the command
// line. The window is single-buffered: the finished frame stays in the front
// buffer, where it can be read back.
#include <GL/freeglut.h>  // glutMainLoopEvent: run GLUT one step at a time

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "app/callbacks.h"
#include "app/scene_state.h"
#include "render/gl.h"
#include "render/scene_frame.h"
#include "tools/capture_options.h"
#include "tools/image_files.h"
#include "tools/private_display.h"

static bool glut_started = false;
static bool window_shown = false;

static void reshape_and_note(int width, int height)
{
    on_reshape(width, height);
    window_shown = true;
}

static image draw_and_read()
{
    on_display();
    glFinish();

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    image picture;
    picture.width = viewport[2];
    picture.height = viewport[3];
    size_t row = static_cast<size_t>(picture.width) * 3;
    std::vector<unsigned char> bottom_up(row * picture.height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_FRONT);
    glReadPixels(0, 0, picture.width, picture.height, GL_RGB, GL_UNSIGNED_BYTE, bottom_up.data());

    picture.rgb.resize(bottom_up.size());
    for (int y = 0; y < picture.height; y++) {
        std::copy_n(&bottom_up[(picture.height - 1 - y) * row], row, &picture.rgb[y * row]);
    }
    return picture;
}

// Lets go of the display before a private one is stopped under GLUT's feet.
static void finish()
{
    if (glut_started)
        glutExit();
    stop_private_display();
}

static int fail(const std::string &message)
{
    fprintf(stderr, "quenlade-capture: %s\n", message.c_str());
    finish();
    return 1;
}

int main(int argc, char **argv)
{
    capture_options options;
    std::string message;
    switch (parse_capture_options(argc, argv, options, message)) {
    case parse_result::help: fputs(capture_usage, stdout); return 0;
    case parse_result::error:
        fprintf(stderr, "quenlade-capture: %s\n%s", message.c_str(), capture_usage);
        return 2;
    case parse_result::run: break;
    }

    if (!display_available()) {
        message = start_private_display(options.width, options.height);
        if (!message.empty())
            return fail(message);
    }

    // GLUT sees no options of ours.
    int glut_argc = 1;
    char *glut_argv[] = {argv[0], nullptr};
    glutInit(&glut_argc, glut_argv);
    glut_started = true;
    glutInitDisplayMode(GLUT_SINGLE | GLUT_RGB | GLUT_DEPTH);
    glutInitWindowSize(options.width, options.height);
    glutInitWindowPosition(0, 0);
    glutCreateWindow("Quenlade #2");
    init_scene();
    glutDisplayFunc(on_display);
    glutReshapeFunc(reshape_and_note);
    for (int i = 0; i < 5000 && !window_shown; i++) {
        glutMainLoopEvent();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (!window_shown)
        return fail("the capture window was never shown");

    scene_state.use_push_pop = options.use_push_pop;
    scene_state.angle_obj1 = scene_state.angle_obj2 = options.angle;
    scene_state.cam_x = options.eye[0];
    scene_state.cam_y = options.eye[1];
    scene_state.cam_z = options.eye[2];

    std::vector<image> frames{draw_and_read()};
    if (options.full_turn) {
        // The program's own tick advances the angles. The timers it arms are
        // never run: GLUT's loop is not entered again.
        for (int tick = 0; tick < 72; tick++) {
            on_timer(0);
            frames.push_back(draw_and_read());
        }
    }

    bool gif = options.output.size() > 4 &&
               options.output.compare(options.output.size() - 4, 4, ".gif") == 0;
    message = gif ? write_gif(options.output, frames, scene_state.timer_ms / 10)
                  : write_png(options.output, frames[0]);
    if (!message.empty())
        return fail(message);
    finish();
    return 0;
}
