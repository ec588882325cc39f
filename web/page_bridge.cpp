// page_bridge.cpp - where the page's script (web/page/) and the program meet: the keys
// the page hands it, the size it is shown at, the frames it shows, the
// clock held while the page shows the frame step by step, the lab, and the
// end of the program.
#include <emscripten.h>

#include <cstdio>
#include <string>

#include "app/scene_state.h"
#include "render/gl.h"
#include "steps/frame_steps.h"
#include "steps/lab.h"
#include "tools/timer_slots.h"

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
static timer_slots<16> timers;  // the program has one timer pending at a time

static void run_or_hold(int slot)
{
    const pending_timer &t = timers[slot];
    if (shown_step() > 0)
        __real_glutTimerFunc(t.ms, run_or_hold, slot);
    else
        t.callback(t.value);
}

void __wrap_glutTimerFunc(unsigned int ms, void (*callback)(int), int value)
{
    __real_glutTimerFunc(ms, run_or_hold, timers.keep(ms, callback, value));
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

// The lab (steps/lab.h), owned here: the page hands over a link's text, or
// one edit at a time as numbers, and sees the result in the next frame. The
// program's code stays as it is; the frames make the lab's calls in place of
// its own. What these return stays valid until the next of them is called.
static std::string lab_answer;

// Uses changed from the next frame on; a lab for the other mode switches
// the mode, with both angles from 0, as Space does.
static void use(const lab &changed)
{
    if (changed.push_pop != scene_state.use_push_pop) {
        scene_state.use_push_pop = changed.push_pop;
        scene_state.angle_obj1 = scene_state.angle_obj2 = 0;
    }
    use_lab(&changed);
    glutPostRedisplay();
}

// Reads a link's text and, when it can, uses it. Returns "" or, for text it
// cannot read, the line that says where, and then changes nothing.
EMSCRIPTEN_KEEPALIVE const char *web_lab_read(const char *text)
{
    lab changed;
    lab_answer = read_lab(text ? text : "", changed);
    if (lab_answer.empty())
        use(changed);
    return lab_answer.c_str();
}

// The lab of the mode shown, to be changed: the one in use, or the
// program's own calls.
static lab shown_lab()
{
    const lab *in_use = lab_in_use();
    const bool mode = scene_state.use_push_pop;
    return in_use && in_use->push_pop == mode ? *in_use : program_lab(mode);
}

// The edits, on the k-th call of the mode shown (steps/lab.h's rules).
EMSCRIPTEN_KEEPALIVE void web_lab_number(int k, int j, double value)
{
    lab changed = shown_lab();
    set_number(changed, static_cast<size_t>(k), j, value);
    use(changed);
}
// A number moved by its own step, steps times (an arrow key), from the
// value shown: a cube's angle from where the cube has turned.
EMSCRIPTEN_KEEPALIVE void web_lab_nudge(int k, int j, int steps)
{
    lab changed = shown_lab();
    if (k >= 0 && static_cast<size_t>(k) < changed.calls.size()) {
        const lab_call &c = changed.calls[static_cast<size_t>(k)];
        const bool turning = c.kind == lab_call::rotate && j == 0 && c.angle != 0;
        const double from = !turning       ? (j >= 0 && j < 4 ? c.n[j] : 0)
                            : c.angle == 1 ? scene_state.angle_obj1
                                           : scene_state.angle_obj2;
        set_number(changed, static_cast<size_t>(k), j, from + steps * rule_of(c.kind, j).step);
    }
    use(changed);
}
EMSCRIPTEN_KEEPALIVE void web_lab_swap(int k)
{
    lab changed = shown_lab();
    swap_with_next(changed, static_cast<size_t>(k));
    use(changed);
}
EMSCRIPTEN_KEEPALIVE void web_lab_switch(int k)
{
    lab changed = shown_lab();
    switch_call(changed, static_cast<size_t>(k));
    use(changed);
}

// The program's own calls again, in both modes.
EMSCRIPTEN_KEEPALIVE void web_lab_reset()
{
    use_lab(nullptr);
    glutPostRedisplay();
}

// The cube part of the mode shown, as C to paste into on_display.
EMSCRIPTEN_KEEPALIVE const char *web_lab_c()
{
    lab_answer = lab_c_code(shown_lab());
    return lab_answer.c_str();
}

// The word for the stack's depth in the step's caption, in the page's
// language; the next frame draws it.
EMSCRIPTEN_KEEPALIVE void web_depth_word(const char *word)
{
    caption_depth_word(word ? word : "depth");
    glutPostRedisplay();
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

// Before the first frame, the recorder learns the frame's cube part by
// drawing it unseen; the page hears of none of those frames, nor of any
// other unseen one (drawing_unseen).
extern "C" void __real_glutMainLoop();  // NOLINT(bugprone-reserved-identifier)
extern "C" void __wrap_glutMainLoop()   // NOLINT(bugprone-reserved-identifier)
{
    const std::string why = learn_cube_part();
    if (!why.empty())
        EM_ASM({ console.error(UTF8ToString($0)); }, why.c_str());
    __real_glutMainLoop();
}

// A string as a JSON string: the frame's texts are plain ASCII, lines of C
// among them.
static std::string quoted(const std::string &text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else
            out += c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
    }
    return out + "\"";
}

// The browser shows each frame by itself (emscripten's glutSwapBuffers does
// nothing); this tells the page that one is drawn, as one JSON object: the
// step shown (0 for none), the mode and its label as the frame drew it, the
// eye, the lab in use as its link's text ("" for none) and whether its
// calls differ from the program's, and while stepping the calls of the cube
// part with the matrix stack after each, as GL gave it, and the cube part as
// C. The page reads it once the frame has returned, and calls into the
// program only then.
extern "C" void __real_glutSwapBuffers();  // NOLINT(bugprone-reserved-identifier)
extern "C" void __wrap_glutSwapBuffers()   // NOLINT(bugprone-reserved-identifier)
{
    if (drawing_unseen())
        return __real_glutSwapBuffers();
    const int step = shown_step();
    const lab *in_use = lab_in_use();
    const bool mode = scene_state.use_push_pop;
    const bool mine = in_use && in_use->push_pop == mode;
    char eye[96];
    snprintf(eye, sizeof eye, "[%.9g, %.9g, %.9g]", double(scene_state.cam_x),
             double(scene_state.cam_y), double(scene_state.cam_z));
    std::string json =
        "{\"step\": " + std::to_string(step) + ", \"push_pop\": " + (mode ? "true" : "false") +
        ", \"label\": " + quoted(frame_label()) + ", \"eye\": " + eye +
        ", \"link\": " + quoted(in_use ? lab_text(*in_use) : "") + ", \"changed\": " +
        (mine && lab_text(*in_use) != lab_text(program_lab(mode)) ? "true" : "false");
    if (step > 0)
        json += ", \"calls\": " + step_calls_json() + ", \"c\": " + quoted(lab_c_code(shown_lab()));
    json += "}";
    EM_ASM({ Module.onFrame(UTF8ToString($0)); }, json.c_str());
    __real_glutSwapBuffers();
}
