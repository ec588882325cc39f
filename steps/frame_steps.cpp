// frame_steps.cpp - recording the cube part of on_display, with the matrix
// stack as GL holds it after each call, drawing the frame as it stands after
// one of its calls, and learning the program's own cube part from the frame.
//
// What the recorder relies on, which learn_cube_part checks of the frame:
// - a frame starts with a glLoadIdentity made outside the cube part;
// - its main view is set by gluLookAt, after which the cube part begins
//   (gluLookAt's own calls, and the text routine's, are not steps);
// - the cube part ends where the frame leaves it for the label's own view:
//   a glPushMatrix followed by glLoadIdentity;
// - each call of the cube part is one the lab writes (push, pop, rotate,
//   translate, cube), a rotate turns by a cube's angle or by a number, and
//   no call the recorder does not see changes the modelview matrix.
//
// Each wrapper calls the real function, then notes the call and reads the
// stack back from GL. In the lab, each wrapper of the cube part first offers
// its place to the lab's call of that place (made_lab_call): that one is
// made with the real function, and what the frame asked for is not. Calls
// are matched by place, not by name, so that swapped calls swap. The cubes'
// materials are not modelview calls and stay where the frame sets them: a
// cube takes the colour set before its place, so swapped cubes swap colours,
// and a cube moved before the grey one's place is drawn in the axes' white.
#include "steps/frame_steps.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>

#include "app/scene_state.h"
#include "render/gl.h"
#include "render/scene_frame.h"
#include "render/stroke_text.h"

namespace {

const matrix identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

struct recording_state {
    int step = 0;  // shown, 0 for none
    enum { before_view, in_view, after_view } part = before_view;
    int quiet = 0;                     // inside a call whose own calls are not steps
    bool band = false;                 // the caption has a band of its own above the scene
    std::string depth_word = "depth";  // before the stack's depth in the caption
    matrix view = identity, view_inverse = identity;
    matrix last = identity;                      // the top after the last call seen
    std::vector<matrix> stack, modelview_stack;  // as in frame_call
    std::vector<matrix_story> stories;
    std::vector<frame_call> calls;
    std::string label;               // the text drawn after the cube part
    std::string unseen;              // a change of the matrix that no wrapper saw
    bool in_lab = false;             // a lab is in use:
    lab changed;                     // this one
    const lab *frame_lab = nullptr;  // the lab this frame's cube part makes, if any
    const lab *own = nullptr;        // the program's cube part in this frame's mode, once learnt
    GLint start_depth = 1;           // where the cube part began
    std::vector<cube_place> target;  // drawn as a ghost after the cube part
};
recording_state rec;

int unseen = 0;  // frames being drawn unseen, for drawing_unseen

// The program's cube part in each mode, as learnt from the frame.
lab learnt[2] = {lab{false, {}}, lab{true, {}}};
bool learnt_yet = false;

matrix product(const matrix &a, const matrix &b)
{
    matrix m{};
    for (int col = 0; col < 4; col++)
        for (int row = 0; row < 4; row++) {
            double sum = 0;
            for (int k = 0; k < 4; k++) sum += double(a[k * 4 + row]) * b[col * 4 + k];
            m[col * 4 + row] = static_cast<float>(sum);
        }
    return m;
}

// The inverse of a view that gluLookAt made: a turn and a shift.
matrix rigid_inverse(const matrix &v)
{
    matrix m = identity;
    for (int row = 0; row < 3; row++)
        for (int col = 0; col < 3; col++) m[col * 4 + row] = v[row * 4 + col];
    for (int row = 0; row < 3; row++) {
        double t = 0;
        for (int k = 0; k < 3; k++) t -= double(m[k * 4 + row]) * v[12 + k];
        m[12 + row] = static_cast<float>(t);
    }
    return m;
}

matrix modelview_now()
{
    matrix m{};
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    return m;
}

// A call as written in the code: "glTranslatef(1.5, 1.5, 0)", its numbers
// as the lab writes them.
std::string call(const char *name, std::initializer_list<double> args = {})
{
    std::string text = std::string(name) + "(";
    for (double a : args) text += (text.back() == '(' ? "" : ", ") + plain_decimal(a);
    return text + ")";
}

template <typename T>
std::string matrix_call(const char *name, const T *m)
{
    std::string text = call(name, {m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8], m[9],
                                   m[10], m[11], m[12], m[13], m[14], m[15]});
    return text.insert(text.find('(') + 1, "{").insert(text.size() - 1, "}");
}

bool recording()
{
    return rec.part == rec.in_view && rec.quiet == 0;
}

// Three short axes and a dot at the origin of the current frame, drawn over
// everything; faint for a frame that was popped.
void draw_frame_axes(bool faint)
{
    const GLfloat s = faint ? 0.35f : 1.0f;  // brightness
    const GLfloat colours[4][4] = {{s, 0, 0, 1}, {0, s, 0, 1}, {0, 0, s, 1}, {s, s, 0, 1}};
    glLineWidth(faint ? 1.0f : 3.0f);
    glBegin(GL_LINES);
    for (int axis = 0; axis < 3; axis++) {
        glColor4fv(colours[axis]);
        glVertex3f(0, 0, 0);
        glVertex3f(axis == 0 ? 0.6f : 0, axis == 1 ? 0.6f : 0, axis == 2 ? 0.6f : 0);
    }
    glEnd();
    glPointSize(faint ? 5.0f : 9.0f);
    glBegin(GL_POINTS);
    glColor4fv(colours[3]);
    glVertex3f(0, 0, 0);
    glEnd();
}

// Over the scene drawn so far: the popped frame's ghost, the frame that the
// step's call left, and the call with the stack's depth below it as a
// caption at the top. Leaves the GL state and the matrices as it found them.
void draw_step(int step, const frame_call &c)
{
    rec.quiet++;
    glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_LINE_BIT | GL_POINT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glPushMatrix();
    if (c.popped) {
        glLoadMatrixf(c.ghost_modelview.data());
        draw_frame_axes(true);
    }
    glLoadMatrixf(c.modelview.data());
    draw_frame_axes(false);
    glPopMatrix();

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, viewport[2], 0, viewport[3], -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glLineWidth(1.5f);
    const GLfloat white[] = {1, 1, 1, 1};
    glColor4fv(white);
    std::string caption = std::to_string(step) + ". " + c.call;
    std::string depth =
        rec.depth_word + " " + std::to_string(c.depth) + (c.error.empty() ? "" : "  " + c.error);
    const float top = static_cast<float>(viewport[3]);
    // A capital 15 pixels high in the band; over the scene, 11 in a 500-pixel
    // window, and as much larger as the window is (a projector's canvas).
    const float scale = rec.band ? 0.15f : 0.11f * std::max(1.0f, top / 500);
    const float left = rec.band ? 10 : 10 * scale / 0.11f;
    draw_text_2d(caption.c_str(), left, top - 200 * scale + 4, 0, scale, scale, 0);
    draw_text_2d(depth.c_str(), left, top - 320 * scale + 4, 0, 0.8f * scale, 0.8f * scale, 0);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
    rec.quiet--;
}

// The target's cubes in outline, each edge and its centre, over everything
// (a cube that stands in the way must not hide where the other should go).
void draw_target()
{
    rec.quiet++;
    glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_LINE_BIT | GL_POINT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glPushMatrix();
    glLoadMatrixf(rec.view.data());
    glLineWidth(2.0f);
    glPointSize(7.0f);
    const GLfloat colours[2][4] = {{0.75f, 0.75f, 0.75f, 1}, {0, 0.6f, 1, 1}};
    for (size_t i = 0; i < rec.target.size(); i++) {
        const cube_place &c = rec.target[i];
        glColor4fv(colours[std::min<size_t>(i, 1)]);
        // Corner b has bit k set for +half of axis k; an edge joins corners
        // one bit apart.
        auto corner = [&c](int b) {
            double p[3];
            for (int row = 0; row < 3; row++) {
                p[row] = c.origin[row];
                for (int k = 0; k < 3; k++) p[row] += (b >> k & 1 ? 0.5 : -0.5) * c.axes[k][row];
            }
            glVertex3f(static_cast<GLfloat>(p[0]), static_cast<GLfloat>(p[1]),
                       static_cast<GLfloat>(p[2]));
        };
        glBegin(GL_LINES);
        for (int b = 0; b < 8; b++)
            for (int k = 0; k < 3; k++)
                if (!(b >> k & 1)) {
                    corner(b);
                    corner(b | 1 << k);
                }
        glEnd();
        glBegin(GL_POINTS);
        glVertex3f(static_cast<GLfloat>(c.origin[0]), static_cast<GLfloat>(c.origin[1]),
                   static_cast<GLfloat>(c.origin[2]));
        glEnd();
    }
    glPopMatrix();
    glPopAttrib();
    rec.quiet--;
}

// Notes a call that has just been made, with the stack as GL now holds it:
// made, the call as the lab writes it (nullptr for one it cannot write);
// ghost, the matrix a pop threw away.
void note(const std::string &text, const lab_call *made, const matrix *ghost = nullptr,
          const std::string &error = "")
{
    frame_call c;
    c.call = text;
    c.error = error;
    if (made) {
        c.writable = true;
        c.made = *made;
        // The frame's own rotate by a cube's angle is a1 or a2, as learnt.
        const size_t k = rec.calls.size();
        if (!rec.frame_lab && rec.own && k < rec.own->calls.size() &&
            rec.own->calls[k].kind == made->kind)
            c.made.angle = rec.own->calls[k].angle;
    }
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &c.depth);
    c.modelview = rec.last = modelview_now();
    // Each matrix's story: a push starts one, a pop ends one, and any other
    // call made, but a cube, changes the top's.
    const int k = static_cast<int>(rec.calls.size()) + 1;
    const size_t depth = static_cast<size_t>(c.depth);
    if (depth < rec.stories.size())
        c.ghost_story = rec.stories[depth];
    rec.stories.resize(depth, matrix_story{k, {}});
    const bool kept = made && (made->off || made->kind == lab_call::push ||
                               made->kind == lab_call::pop || made->kind == lab_call::cube);
    if (!kept && !rec.stories.empty())
        rec.stories.back().changed.push_back(k);
    c.stories = rec.stories;
    rec.stack.resize(static_cast<size_t>(c.depth), identity);
    rec.modelview_stack.resize(static_cast<size_t>(c.depth), identity);
    rec.stack.back() = product(rec.view_inverse, c.modelview);
    rec.modelview_stack.back() = c.modelview;
    c.stack = rec.stack;
    c.modelview_stack = rec.modelview_stack;
    if (ghost) {
        c.popped = true;
        c.ghost = product(rec.view_inverse, *ghost);
        c.ghost_modelview = *ghost;
    }
    rec.calls.push_back(c);
}

// Before a call of the cube part: a change of the matrix since the last call
// seen was made by a call the recorder does not see.
void check_unseen()
{
    if (recording() && rec.unseen.empty() && modelview_now() != rec.last)
        rec.unseen =
            "a call that the recorder does not see changed the modelview matrix before "
            "call " +
            std::to_string(rec.calls.size() + 1) + " of the cube part";
}

// Errors GL has noted so far, dropped, so that the next call's is its own.
void clear_errors()
{
    for (int i = 0; i < 8 && glGetError() != GL_NO_ERROR; i++) continue;
}

std::string error_name(GLenum error)
{
    if (error == GL_NO_ERROR)
        return "";
    if (error == GL_STACK_UNDERFLOW)
        return "GL_STACK_UNDERFLOW";
    if (error == GL_STACK_OVERFLOW)
        return "GL_STACK_OVERFLOW";
    char name[32];
    snprintf(name, sizeof name, "GL error 0x%04x", error);
    return name;
}

// The cubes of the calls after the step shown are left out.
bool after_step()
{
    return rec.step > 0 && static_cast<int>(rec.calls.size()) >= rec.step;
}

// Where the cube part ends, once its calls are known, the step is drawn over
// it (nothing after the step's call has been drawn: later cubes are left
// out); a step past its last call shows the last.
void end_cube_part()
{
    rec.part = rec.after_view;
    int last = static_cast<int>(rec.calls.size());
    if (rec.step > last)
        rec.step = last;
    if (!rec.target.empty())
        draw_target();
    if (rec.step > 0)
        draw_step(rec.step, rec.calls[static_cast<size_t>(rec.step - 1)]);
}

// What one call does to the k-th place of the cube part in two frames drawn
// with the cubes' angles swapped (a at probe[0], b at probe[1]): how the lab
// writes it, or why it cannot.
const float probe[2] = {10, 20};
std::string learn_call(const frame_call &a, const frame_call &b, lab_call &out)
{
    const std::string which = "call " + std::string(a.call);
    if (!a.writable)
        return which +
               " is not one the lab writes (glPushMatrix, glPopMatrix, glRotatef, "
               "glTranslatef or glutSolidCube)";
    out = a.made;
    bool same = a.call == b.call;
    if (a.made.kind == lab_call::rotate && !same) {
        const double x = a.made.n[0], y = b.made.n[0];
        out.angle = x == probe[0] && y == probe[1] ? 1 : x == probe[1] && y == probe[0] ? 2 : 0;
        same = out.angle != 0 && a.call.substr(a.call.find(',')) == b.call.substr(b.call.find(','));
    }
    return same ? "" : which + " changes with the cubes' angles in a way the lab cannot write";
}

}  // namespace

std::string learn_cube_part(void (*frame)())
{
    const scene kept_state = scene_state;
    const recording_state kept = rec;
    unseen++;
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glDepthMask(GL_FALSE);
    std::string why;
    for (bool push_pop : {false, true}) {
        std::vector<frame_call> seen[2];
        for (int p = 0; p < 2 && why.empty(); p++) {
            scene_state.use_push_pop = push_pop;
            scene_state.angle_obj1 = probe[p];
            scene_state.angle_obj2 = probe[1 - p];
            rec = recording_state{};
            (frame ? frame : on_display)();
            if (rec.part == rec.before_view)
                why =
                    "the frame sets no view with gluLookAt after its first glLoadIdentity, so "
                    "the recorder finds no cube part";
            else if (rec.part == rec.in_view)
                why =
                    "the cube part never ends: the recorder ends it at a glPushMatrix followed "
                    "by glLoadIdentity (the label's own view)";
            else if (!rec.unseen.empty())
                why = rec.unseen;
            else if ((rec.calls.empty() ? rec.start_depth : rec.calls.back().depth) !=
                     rec.start_depth)
                why = "the cube part leaves the stack " + std::to_string(rec.calls.back().depth) +
                      " deep, where it found it " + std::to_string(rec.start_depth) + " deep";
            seen[p] = rec.calls;
        }
        lab own{push_pop, {}};
        if (why.empty() && seen[1].size() != seen[0].size())
            why = "the cube part has " + std::to_string(seen[0].size()) + " calls at one " +
                  "pair of angles and " + std::to_string(seen[1].size()) + " at another";
        for (size_t k = 0; k < seen[0].size() && why.empty(); k++) {
            own.calls.emplace_back();
            why = learn_call(seen[0][k], seen[1][k], own.calls.back());
        }
        if (!why.empty()) {
            why =
                std::string("on_display ") + (push_pop ? "with" : "without") + " push/pop: " + why;
            break;
        }
        learnt[push_pop] = own;
    }
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    unseen--;
    scene_state = kept_state;
    rec = kept;
    learnt_yet = true;
    return why;
}

std::vector<cube_place> cubes_drawn(const lab *changed, bool push_pop, float angle)
{
    program_lab(push_pop);  // learnt first: learning draws frames of its own
    const scene kept_state = scene_state;
    const recording_state kept = rec;
    const lab drawn = changed ? *changed : lab{};  // changed may be the lab in use, in rec
    unseen++;
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glDepthMask(GL_FALSE);
    rec = recording_state{};
    rec.in_lab = changed != nullptr;
    rec.changed = drawn;
    scene_state.use_push_pop = changed ? drawn.push_pop : push_pop;
    scene_state.angle_obj1 = scene_state.angle_obj2 = angle;
    on_display();
    std::vector<cube_place> cubes;
    for (const frame_call &c : rec.calls) {
        if (!c.writable || c.made.kind != lab_call::cube || c.made.off)
            continue;
        const matrix &m = c.stack.back();
        cube_place p{};
        for (size_t row = 0; row < 3; row++) {
            p.origin[row] = m[12 + row];
            for (size_t k = 0; k < 3; k++) p.axes[k][row] = m[k * 4 + row] * c.made.n[0];
        }
        cubes.push_back(p);
    }
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    unseen--;
    scene_state = kept_state;
    rec = kept;
    return cubes;
}

bool drawing_unseen()
{
    return unseen > 0;
}

void show_target(const std::vector<cube_place> &target)
{
    rec.target = target;
}

const lab &program_lab(bool push_pop)
{
    if (!learnt_yet)
        learn_cube_part();
    return learnt[push_pop];
}

void show_step(int step)
{
    int last = static_cast<int>(rec.calls.size());
    rec.step = step < 0 ? 0 : last > 0 && step > last ? last : step;
}

void caption_in_band(bool band)
{
    rec.band = band;
}

void caption_depth_word(const std::string &word)
{
    rec.depth_word = word;
}

int shown_step()
{
    return rec.step;
}

void use_lab(const lab *changed)
{
    rec.in_lab = changed != nullptr;
    rec.changed = changed ? *changed : lab{};
}

const lab *lab_in_use()
{
    return rec.in_lab ? &rec.changed : nullptr;
}

const std::vector<frame_call> &step_calls()
{
    return rec.calls;
}

const std::string &frame_label()
{
    return rec.label;
}

std::string step_calls_json()
{
    auto numbers = [](const matrix &m) {
        std::string text = "[";
        for (float v : m) {
            char number[32];
            snprintf(number, sizeof number, "%.9g", double(v));
            text += (text.size() > 1 ? "," : "") + std::string(number);
        }
        return text + "]";
    };
    auto list = [&numbers](const std::vector<matrix> &stack) {
        std::string text = "[";
        for (const matrix &m : stack) text += (text.size() > 1 ? "," : "") + numbers(m);
        return text + "]";
    };
    // The lab's view of a call: its name and numbers, each with the bounds
    // and step that an edit keeps to.
    auto lab_data = [](const lab_call &c) {
        std::string text = ", \"lab\": \"" + lab_entry(c) + "\", \"name\": \"" + call_name(c.kind) +
                           "\", \"off\": " + (c.off ? "true" : "false") +
                           ", \"angle\": " + std::to_string(c.angle) + ", \"numbers\": [";
        for (int j = 0; j < number_count(c.kind); j++) {
            const number_rule r = rule_of(c.kind, j);
            char number[160];
            snprintf(number, sizeof number,
                     "%s{\"value\": %.9g, \"low\": %.9g, \"high\": %.9g, \"step\": %.9g}",
                     j ? ", " : "", c.n[j], r.low, r.high, r.step);
            text += number;
        }
        return text + "]";
    };
    auto story = [](const matrix_story &s) {
        std::string text = "{\"from\": " + std::to_string(s.from) + ", \"changed\": [";
        for (size_t i = 0; i < s.changed.size(); i++)
            text += (i ? ", " : "") + std::to_string(s.changed[i]);
        return text + "]}";
    };
    std::string json = "[";
    for (const frame_call &c : rec.calls) {
        json += (json.size() > 1 ? ",\n" : "") + std::string("{\"call\": \"") + c.call + "\"" +
                (c.writable ? lab_data(c.made) : ", \"lab\": \"\"") +
                ", \"depth\": " + std::to_string(c.depth) +
                ", \"modelview\": " + numbers(c.modelview) +
                ", \"world\": " + numbers(c.stack.back()) + ", \"stack\": " + list(c.stack) +
                ", \"modelview_stack\": " + list(c.modelview_stack) + ", \"stories\": [";
        for (size_t i = 0; i < c.stories.size(); i++) json += (i ? ", " : "") + story(c.stories[i]);
        json += "]";
        if (c.popped)
            json += ", \"ghost\": " + numbers(c.ghost) +
                    ", \"ghost_modelview\": " + numbers(c.ghost_modelview) +
                    ", \"ghost_story\": " + story(c.ghost_story);
        if (!c.error.empty())
            json += ", \"error\": \"" + c.error + "\"";
        json += "}";
    }
    return json + "]\n";
}

// The names are the ones ld's --wrap gives (steps/CMakeLists.txt).
// NOLINTBEGIN(bugprone-reserved-identifier)
extern "C" {
void __real_glPushMatrix();
void __real_glPopMatrix();
void __real_glLoadIdentity();
void __real_glLoadMatrixf(const GLfloat *);
void __real_glLoadMatrixd(const GLdouble *);
void __real_glMultMatrixf(const GLfloat *);
void __real_glMultMatrixd(const GLdouble *);
void __real_glRotatef(GLfloat, GLfloat, GLfloat, GLfloat);
void __real_glRotated(GLdouble, GLdouble, GLdouble, GLdouble);
void __real_glTranslatef(GLfloat, GLfloat, GLfloat);
void __real_glTranslated(GLdouble, GLdouble, GLdouble);
void __real_glScalef(GLfloat, GLfloat, GLfloat);
void __real_glScaled(GLdouble, GLdouble, GLdouble);
void __real_glutSolidCube(double);
void __real_gluLookAt(double, double, double, double, double, double, double, double, double);
void __real_draw_text_3d(float, float, float, float, const char *);
}
// NOLINTEND(bugprone-reserved-identifier)

namespace {

// In the lab, the call of the cube part's place that the frame has reached:
// made in place of the frame's, with the real function, and noted; after
// the lab's last call, the pushes it left open are popped. False outside
// the lab and past its calls.
bool made_lab_call()
{
    if (!recording() || !rec.frame_lab || rec.calls.size() >= rec.frame_lab->calls.size())
        return false;
    lab_call c = rec.frame_lab->calls[rec.calls.size()];
    const double *n = c.n;
    switch (c.kind) {
    case lab_call::push:
    case lab_call::pop:
        if (c.off) {
            note(std::string("// ") +
                     (c.kind == lab_call::push ? "glPushMatrix()" : "glPopMatrix()"),
                 &c);
        } else if (c.kind == lab_call::push) {
            clear_errors();
            __real_glPushMatrix();
            note(call("glPushMatrix"), &c, nullptr, error_name(glGetError()));
        } else {
            matrix popped = modelview_now();
            GLint depth = 0;
            glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
            clear_errors();
            __real_glPopMatrix();
            note(call("glPopMatrix"), &c, depth > 1 ? &popped : nullptr, error_name(glGetError()));
        }
        break;
    case lab_call::rotate: {
        const GLfloat angle = c.angle == 1   ? scene_state.angle_obj1
                              : c.angle == 2 ? scene_state.angle_obj2
                                             : static_cast<GLfloat>(n[0]);
        const GLfloat x = static_cast<GLfloat>(n[1]), y = static_cast<GLfloat>(n[2]),
                      z = static_cast<GLfloat>(n[3]);
        __real_glRotatef(angle, x, y, z);
        c.n[0] = angle;  // noted as the angle it turned by
        note(call("glRotatef", {angle, x, y, z}), &c);
        break;
    }
    case lab_call::translate: {
        const GLfloat x = static_cast<GLfloat>(n[0]), y = static_cast<GLfloat>(n[1]),
                      z = static_cast<GLfloat>(n[2]);
        __real_glTranslatef(x, y, z);
        note(call("glTranslatef", {x, y, z}), &c);
        break;
    }
    case lab_call::cube:
        if (!after_step())
            __real_glutSolidCube(n[0]);
        note(call("glutSolidCube", {n[0]}), &c);
        break;
    }
    if (rec.calls.size() == rec.frame_lab->calls.size()) {
        GLint depth = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        for (; depth > rec.start_depth; depth--) __real_glPopMatrix();
        rec.last = modelview_now();
    }
    return true;
}

// A call that the lab writes, as the lab holds it.
lab_call lab_form(lab_call::kind_t kind, std::initializer_list<double> numbers)
{
    lab_call c;
    c.kind = kind;
    std::copy(numbers.begin(), numbers.end(), c.n);
    return c;
}

// A modelview call of the frame: in the lab, its place's call instead;
// otherwise made, and in the cube part noted, as the lab writes it if it can.
template <typename... A>
void frame_call_of(void (*real)(A...), const char *name, const lab_call *made, A... args)
{
    if (made_lab_call())
        return;
    check_unseen();
    real(args...);
    if (recording())
        note(call(name, {static_cast<double>(args)...}), made);
}

template <typename T>
void matrix_call_of(void (*real)(const T *), const char *name, const T *m)
{
    if (made_lab_call())
        return;
    check_unseen();
    real(m);
    if (recording())
        note(matrix_call(name, m), nullptr);
}

}  // namespace

// NOLINTBEGIN(bugprone-reserved-identifier)
extern "C" {
void __wrap_glPushMatrix()
{
    const lab_call made = lab_form(lab_call::push, {});
    frame_call_of(__real_glPushMatrix, "glPushMatrix", &made);
}
void __wrap_glPopMatrix()
{
    if (made_lab_call())
        return;
    check_unseen();
    matrix popped{};
    GLint depth = 0;
    const bool noted = recording();
    if (noted) {
        popped = modelview_now();
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    }
    __real_glPopMatrix();
    const lab_call made = lab_form(lab_call::pop, {});
    if (noted)
        note(call("glPopMatrix"), &made, depth > 1 ? &popped : nullptr);
}
void __wrap_glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    const lab_call made = lab_form(lab_call::rotate, {angle, x, y, z});
    frame_call_of(__real_glRotatef, "glRotatef", &made, angle, x, y, z);
}
void __wrap_glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    const lab_call made = lab_form(lab_call::translate, {x, y, z});
    frame_call_of(__real_glTranslatef, "glTranslatef", &made, x, y, z);
}
void __wrap_glutSolidCube(double size)
{
    if (made_lab_call())
        return;
    check_unseen();
    if (!recording() || !after_step())
        __real_glutSolidCube(size);
    const lab_call made = lab_form(lab_call::cube, {size});
    if (recording())
        note(call("glutSolidCube", {size}), &made);
}
// The other modelview calls: steps too, though not ones the lab writes.
void __wrap_glRotated(GLdouble a, GLdouble x, GLdouble y, GLdouble z)
{
    frame_call_of(__real_glRotated, "glRotated", nullptr, a, x, y, z);
}
void __wrap_glTranslated(GLdouble x, GLdouble y, GLdouble z)
{
    frame_call_of(__real_glTranslated, "glTranslated", nullptr, x, y, z);
}
void __wrap_glScalef(GLfloat x, GLfloat y, GLfloat z)
{
    frame_call_of(__real_glScalef, "glScalef", nullptr, x, y, z);
}
void __wrap_glScaled(GLdouble x, GLdouble y, GLdouble z)
{
    frame_call_of(__real_glScaled, "glScaled", nullptr, x, y, z);
}
void __wrap_glLoadMatrixf(const GLfloat *m)
{
    matrix_call_of(__real_glLoadMatrixf, "glLoadMatrixf", m);
}
void __wrap_glLoadMatrixd(const GLdouble *m)
{
    matrix_call_of(__real_glLoadMatrixd, "glLoadMatrixd", m);
}
void __wrap_glMultMatrixf(const GLfloat *m)
{
    matrix_call_of(__real_glMultMatrixf, "glMultMatrixf", m);
}
void __wrap_glMultMatrixd(const GLdouble *m)
{
    matrix_call_of(__real_glMultMatrixd, "glMultMatrixd", m);
}

// The main view: the cube part begins after it.
void __wrap_gluLookAt(double eye_x, double eye_y, double eye_z, double centre_x, double centre_y,
                      double centre_z, double up_x, double up_y, double up_z)
{
    rec.quiet++;
    __real_gluLookAt(eye_x, eye_y, eye_z, centre_x, centre_y, centre_z, up_x, up_y, up_z);
    rec.quiet--;
    if (rec.part == rec.before_view && rec.quiet == 0) {
        rec.part = rec.in_view;
        rec.view = rec.last = modelview_now();
        rec.view_inverse = rigid_inverse(rec.view);
        GLint depth = 1;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        rec.stack.assign(static_cast<size_t>(depth), identity);
        rec.modelview_stack.assign(static_cast<size_t>(depth), rec.view);
        rec.stories.assign(static_cast<size_t>(depth), matrix_story{});
        rec.start_depth = depth;
        const bool push_pop = scene_state.use_push_pop;
        rec.frame_lab = rec.in_lab && rec.changed.push_pop == push_pop ? &rec.changed : nullptr;
        rec.own = learnt_yet ? &learnt[push_pop] : nullptr;
    }
}
// The frame's first glLoadIdentity starts a recording; one in the cube part
// leaves the main view, and the push just before it belongs to the label.
void __wrap_glLoadIdentity()
{
    if (rec.part == rec.in_view && rec.quiet == 0) {
        if (!rec.calls.empty() && rec.calls.back().call == "glPushMatrix()")
            rec.calls.pop_back();
        else
            check_unseen();
    }
    __real_glLoadIdentity();
    if (rec.quiet > 0)
        return;
    if (rec.part == rec.in_view) {
        end_cube_part();
    } else {
        rec.calls.clear();
        rec.part = rec.before_view;
    }
}
// The text routine's own calls are not steps; what it draws after the cube
// part is the label.
void __wrap_draw_text_3d(float x, float y, float z, float scale, const char *text)
{
    if (rec.part == rec.after_view && rec.quiet == 0)
        rec.label = text;
    rec.quiet++;
    __real_draw_text_3d(x, y, z, scale, text);
    rec.quiet--;
}
}
// NOLINTEND(bugprone-reserved-identifier)
