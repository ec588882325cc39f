// page_bridge.cpp - where the page (page.js) and the program meet: the keys
// the page hands it, the size it is shown at, the frames it shows, the
// clock held while the page shows the frame step by step, the lab, and the
// end of the program.
#include <emscripten.h>

#include <string>

#include "app/scene_state.h"
#include "render/gl.h"
#include "steps/frame_steps.h"
#include "steps/lab.h"

// The names are the ones ld's --wrap gives (see web/CMakeLists.txt).
// NOLINTBEGIN(bugprone-reserved-identifier)
extern "C" {
void __real_glutTimerFunc(unsigned int ms, void (*callback)(int), int value);

// The page hands the program each key itself: the character that the
// browser reports, as the desktop's X server does. emscripten's GLUT would
// rebuild characters from key codes and Shift alone, so it never gets the
// keyboard callback.
static void (*keyboard)(unsigned char, int, int) = nullptr;

void __wrap_glutKeyboardFunc(void (*callback)(unsigned char, int, int))
{
    keyboard = callback;
}

EMSCRIPTEN_KEEPALIVE void web_key(int character)
{
    if (keyboard)
        keyboard(static_cast<unsigned char>(character), 0, 0);
}

// While a step is shown the clock stands still: a tick that comes due is
// asked for again, not run (with no timer pending, emscripten would end the
// program), and runs once the page leaves the steps.
struct timer {
    void (*callback)(int);
    int value;
    unsigned int ms;
};
static timer timers[16];  // by slot; the program has one timer pending at a time
static unsigned int next_slot = 0;

static void run_or_hold(int slot)
{
    const timer &t = timers[slot];
    if (shown_step() > 0)
        __real_glutTimerFunc(t.ms, run_or_hold, slot);
    else
        t.callback(t.value);
}

void __wrap_glutTimerFunc(unsigned int ms, void (*callback)(int), int value)
{
    int slot = static_cast<int>(next_slot++ % 16);
    timers[slot] = {callback, value, ms};
    __real_glutTimerFunc(ms, run_or_hold, slot);
}

// 0 shows the program's own frames again; n >= 1 the frame as it stands
// after the n-th call of its cube part (steps/frame_steps.h), as far as it
// has calls. Returns the step that will be shown.
EMSCRIPTEN_KEEPALIVE int web_show_step(int step)
{
    show_step(step);
    glutPostRedisplay();
    return shown_step();
}

// The lab (steps/lab.h): the cube part's calls as the page changed them,
// handed over as the lab's text; the program's code stays as it is, and the
// frames make the lab's calls in place of its own. What these return stays
// valid until the next of them is called.
static std::string lab_answer;

// Reads the text and, when it can, uses it from the next frame on; a text
// for the other mode switches the mode, with both angles from 0, as Space
// does. Returns "" or, for text it cannot read, the line that says where,
// and then changes nothing.
EMSCRIPTEN_KEEPALIVE const char *web_lab_set(const char *text)
{
    lab changed;
    lab_answer = read_lab(text ? text : "", changed);
    if (lab_answer.empty()) {
        if (changed.push_pop != scene_state.use_push_pop) {
            scene_state.use_push_pop = changed.push_pop;
            scene_state.angle_obj1 = scene_state.angle_obj2 = 0;
        }
        use_lab(&changed);
        glutPostRedisplay();
    }
    return lab_answer.c_str();
}

// The lab in use as its text, for the page's link; "" when there is none.
EMSCRIPTEN_KEEPALIVE const char *web_lab_text()
{
    const lab *in_use = lab_in_use();
    lab_answer = in_use ? lab_text(*in_use) : "";
    return lab_answer.c_str();
}

// The program's own calls again, in both modes.
EMSCRIPTEN_KEEPALIVE void web_lab_reset()
{
    use_lab(nullptr);
    glutPostRedisplay();
}

// The cube part of the mode shown, as C to paste into on_display: the lab's
// when it is for this mode, otherwise the program's own.
EMSCRIPTEN_KEEPALIVE const char *web_lab_c()
{
    const lab *in_use = lab_in_use();
    const bool mode = scene_state.use_push_pop;
    lab_answer = lab_c_code(in_use && in_use->push_pop == mode ? *in_use : program_lab(mode));
    return lab_answer.c_str();
}

// The canvas's new size in pixels, square: the page draws at the size the
// canvas is shown. GLUT tells the program, as a window manager's resize does.
EMSCRIPTEN_KEEPALIVE void web_resize(int side)
{
    glutReshapeWindow(side, side);
}

// A page cannot end its process, and emscripten's exit() leaves the program
// running while a timer is pending: Esc's exit(0) ends it for good, and the
// page hears of it (Module.onExit).
[[noreturn]] void __wrap_exit(int status)
{
    emscripten_force_exit(status);
}
}
// NOLINTEND(bugprone-reserved-identifier)

// The browser shows each frame by itself (emscripten's glutSwapBuffers does
// nothing); this tells the page that one is drawn, with the step shown (0 for
// none) and, while stepping, the calls of its cube part with the matrix stack
// after each, as GL gave it; and the mode and the eye it was drawn with, for
// the page's words about it.
extern "C" void __real_glutSwapBuffers();  // NOLINT(bugprone-reserved-identifier)
extern "C" void __wrap_glutSwapBuffers()   // NOLINT(bugprone-reserved-identifier)
{
    int step = shown_step();
    EM_ASM({ Module.onFrame($0 ? UTF8ToString($0) : "", $1, !!$2, $3, $4, $5); },
           step > 0 ? step_calls_json().c_str() : nullptr, step, scene_state.use_push_pop,
           scene_state.cam_x, scene_state.cam_y, scene_state.cam_z);
    __real_glutSwapBuffers();
}
