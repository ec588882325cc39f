// page_bridge.cpp - where the page's script (web/page/) and the program meet: the keys
// the page hands it, the size it is shown at, the frames it shows, the
// clock held while the page shows the frame step by step, the lab, and the
// end of the program.
#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "app/scene_state.h"
#include "render/gl.h"
#include "steps/challenges.h"
#include "steps/frame_steps.h"
#include "steps/lab.h"
#include "tools/timer_slots.h"

// A string as a JSON string: lines of C among the frame's texts, and a
// challenge's goal in UTF-8, which JSON takes as it is. No text has other
// control characters (a teacher's goal has them made spaces).
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
static bool holding();          // a challenge holds it too

static void run_or_hold(int slot)
{
    const pending_timer &t = timers[slot];
    if (shown_step() > 0 || holding())
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

// A challenge (steps/challenges.h) while one is open: its link's parts,
// which the address keeps after the lab's calls; the challenge, whose
// target's cubes are drawn as a ghost and whose angle holds the clock; the
// changes made since it opened (a number moved by any number of steps is
// one change, until another is changed); how the cubes, as GL places them,
// compare with the target's.
static struct {
    bool open = false;
    challenge_link link;  // without calls
    challenge now;
    std::vector<cube_place> target;
    places_compared compared;
    int changes = 0, last_number = -1;
} held;

static bool holding()
{
    return held.open;
}

// Uses changed from the next frame on; a lab for the other mode switches
// the mode, with both angles from 0, as Space does, or in a challenge its
// angle; and compares the challenge's cubes anew.
static void use(const lab &changed)
{
    if (changed.push_pop != scene_state.use_push_pop) {
        scene_state.use_push_pop = changed.push_pop;
        scene_state.angle_obj1 = scene_state.angle_obj2 = 0;
    }
    if (held.open)
        scene_state.angle_obj1 = scene_state.angle_obj2 = held.now.angle;
    use_lab(&changed);
    if (held.open)
        held.compared =
            compare_places(cubes_drawn(&changed, changed.push_pop, held.now.angle), held.target);
    glutPostRedisplay();
}

static void close_challenge()
{
    held.open = false;
    show_target({});
    glutPostRedisplay();
}

// Reads a link's text and, when it can, uses it: its calls, and the
// challenge it names, if any, starting from its calls or else the
// challenge's own. Returns "" or, for text it cannot read, the line that
// says where, and then changes nothing.
EMSCRIPTEN_KEEPALIVE const char *web_lab_read(const char *text)
{
    challenge_link link;
    lab changed;
    lab_answer = read_link(text ? text : "", link);
    if (!lab_answer.empty())
        return lab_answer.c_str();
    if (!link.has_target()) {
        close_challenge();
        lab_answer = read_lab(link.calls, changed);
        if (lab_answer.empty())
            use(changed);
        return lab_answer.c_str();
    }
    challenge c;
    if (!link_challenge(link, c)) {
        lab_answer = "the challenge could not be made";
        return lab_answer.c_str();
    }
    if (link.calls.empty() || !read_lab(link.calls, changed).empty())
        changed = c.start;
    link.calls.clear();
    // Opened with calls of its own (a link handed in, say), the changes that
    // led to them are not known: none are counted until it starts again.
    const int changes = lab_text(changed) == lab_text(c.start) ? 0 : -1;
    held = {true, link, c, target_places(c), {}, changes, -1};
    show_target(held.target);
    use(changed);
    return lab_answer.c_str();
}

// A challenge made of the lab in use: its calls are the target, at the
// cubes' angle now, with the teacher's goal; the program's calls of its
// mode are where it starts. Opens it, and its link is the next frame's;
// false, and nothing made, when the program's calls already put the cubes
// there (at angle 0 a turn by a1 moves nothing): it would be solved at its
// start.
EMSCRIPTEN_KEEPALIVE bool web_challenge_make(const char *goal)
{
    const lab *in_use = lab_in_use();
    if (!in_use)
        return false;
    const lab &start = program_lab(in_use->push_pop);
    const float angle = scene_state.angle_obj1;
    if (compare_places(cubes_drawn(in_use, in_use->push_pop, angle),
                       cubes_drawn(&start, start.push_pop, angle))
            .matches)
        return false;
    challenge_link link;
    link.target = lab_text(*in_use);
    link.angle_given = true;
    link.angle = scene_state.angle_obj1;
    for (const char *c = goal ? goal : ""; *c && link.goal.size() < 1000; c++)
        link.goal += static_cast<unsigned char>(*c) < 32 ? ' ' : *c;
    link.calls = lab_text(start);
    web_lab_read(link_text(link).c_str());
    return true;
}

// Run, or Space: the challenge is left, the lab as it stands.
EMSCRIPTEN_KEEPALIVE void web_challenge_close()
{
    close_challenge();
}

// The built-in challenges, for the page's list: each one's goal in both
// languages and the fewest changes it takes.
EMSCRIPTEN_KEEPALIVE const char *web_challenges()
{
    lab_answer = "[";
    challenge c;
    for (int n = 1; builtin_challenge(n, c); n++)
        lab_answer += std::string(n > 1 ? ", " : "") + "{\"goal\": [" + quoted(c.goal[0]) + ", " +
                      quoted(c.goal[1]) + "], \"fewest\": " + std::to_string(c.fewest) + "}";
    lab_answer += "]";
    return lab_answer.c_str();
}

// For the page test: the open challenge's stored or generated solution, and
// whether the calls in use solve it, without waiting for a frame.
EMSCRIPTEN_KEEPALIVE const char *web_challenge_solution()
{
    lab_answer = held.open ? lab_text(held.now.solutions[0]) : "";
    return lab_answer.c_str();
}
EMSCRIPTEN_KEEPALIVE bool web_challenge_solved()
{
    return held.open && held.compared.matches;
}

// A change in a challenge: k * 4 + j for a number, -1 for anything else.
// Not counted while the count is not known (-1).
static void count_change(int number)
{
    if (held.open && held.changes >= 0 && (number < 0 || number != held.last_number))
        held.changes++;
    held.last_number = number;
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
    count_change(k * 4 + j);
    lab changed = shown_lab();
    set_number(changed, static_cast<size_t>(k), j, value);
    use(changed);
}
// A number moved by its own step, steps times (an arrow key), from the
// value shown: a cube's angle from where the cube has turned.
EMSCRIPTEN_KEEPALIVE void web_lab_nudge(int k, int j, int steps)
{
    count_change(k * 4 + j);
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
    count_change(-1);
    lab changed = shown_lab();
    swap_with_next(changed, static_cast<size_t>(k));
    use(changed);
}
EMSCRIPTEN_KEEPALIVE void web_lab_switch(int k)
{
    count_change(-1);
    lab changed = shown_lab();
    switch_call(changed, static_cast<size_t>(k));
    use(changed);
}

// The program's own calls again, in both modes; in a challenge, its own
// start, with no change made.
EMSCRIPTEN_KEEPALIVE void web_lab_reset()
{
    if (held.open) {
        held.changes = 0, held.last_number = -1;
        return use(held.now.start);
    }
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

// Where each step's frame has its origin in the canvas, as fractions of the
// canvas's width from its left and of its height from its top: GLU projects
// the origin with the matrices the frame was drawn with, as GL holds them.
static std::string origins_json()
{
    GLint viewport[4];
    GLfloat projection_f[16];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetFloatv(GL_PROJECTION_MATRIX, projection_f);
    GLdouble projection[16], modelview[16];
    std::copy(projection_f, projection_f + 16, projection);
    std::string out = "[";
    for (const frame_call &c : step_calls()) {
        std::copy(c.modelview.begin(), c.modelview.end(), modelview);
        GLdouble x = 0, y = 0, z = 0;
        gluProject(0, 0, 0, modelview, projection, viewport, &x, &y, &z);
        char at[64];
        snprintf(at, sizeof at, "[%.4f, %.4f]", (x - viewport[0]) / viewport[2],
                 1 - (y - viewport[1]) / viewport[3]);
        out += (out.size() > 1 ? ", " : "") + std::string(at);
    }
    return out + "]";
}

// The challenge open: what names it (the built-in's number, or the seed and
// level of one made from a seed; 0 and null for a teacher's), its goal in
// both languages, the fewest changes and the changes made, whether it is
// solved, and for each cube how far it stands from its target's place and
// how many degrees its axes are off.
static std::string challenge_json()
{
    const places_compared &compared = held.compared;
    std::string cubes = "[";
    for (const cube_difference &d : compared.cubes) {
        char one[96];
        snprintf(one, sizeof one, "{\"distance\": %.4f, \"degrees\": %.2f, \"matches\": %s}",
                 d.distance, d.degrees, d.matches ? "true" : "false");
        cubes += (cubes.size() > 1 ? ", " : "") + std::string(one);
    }
    // Its link's parts name it: "challenge=3", "seed=5&level=2", a teacher's.
    const challenge_link &link = held.link;
    return "{\"id\": " + quoted(link_text(link).substr(1)) +
           ", \"number\": " + std::to_string(link.challenge) +
           ", \"seed\": " + (link.seeded ? std::to_string(link.seed) : "null") +
           ", \"level\": " + std::to_string(link.level) + ", \"goal\": [" +
           quoted(held.now.goal[0]) + ", " + quoted(held.now.goal[1]) +
           "], \"fewest\": " + std::to_string(held.now.fewest) +
           ", \"changes\": " + std::to_string(held.changes) +
           ", \"solved\": " + (compared.matches ? "true" : "false") + ", \"cubes\": " + cubes +
           "]}";
}

// The browser shows each frame by itself (emscripten's glutSwapBuffers does
// nothing); this tells the page that one is drawn, as one JSON object: the
// step shown (0 for none), the mode and its label as the frame drew it, the
// eye, the lab in use as its link's text ("" for none) and whether its
// calls differ from the program's, and while stepping the calls of the cube
// part with the matrix stack after each, as GL gave it, where each call's
// frame has its origin in the canvas, and the cube part as C. The page reads
// it once the frame has returned, and calls into the program only then.
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
    challenge_link link = held.link;
    link.calls = in_use ? lab_text(*in_use) : held.open ? lab_text(program_lab(mode)) : "";
    std::string json =
        "{\"step\": " + std::to_string(step) + ", \"push_pop\": " + (mode ? "true" : "false") +
        ", \"label\": " + quoted(frame_label()) + ", \"eye\": " + eye +
        ", \"link\": " + quoted(held.open ? link_text(link) : link.calls) + ", \"changed\": " +
        (mine && lab_text(*in_use) != lab_text(program_lab(mode)) ? "true" : "false");
    if (held.open)
        json += ", \"challenge\": " + challenge_json();
    if (step > 0)
        json += ", \"calls\": " + step_calls_json() + ", \"origins\": " + origins_json() +
                ", \"c\": " + quoted(lab_c_code(shown_lab()));
    json += "}";
    EM_ASM({ Module.onFrame(UTF8ToString($0)); }, json.c_str());
    __real_glutSwapBuffers();
}
