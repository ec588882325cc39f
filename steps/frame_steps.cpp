// frame_steps.cpp - recording the cube part of on_display, with the matrix
// stack as GL holds it after each call, and drawing the frame as it stands
// after one of its calls.
//
// Each wrapper calls the real function, then notes the call and reads the
// stack back from GL. The cube part begins once the main view is set
// (gluLookAt) and ends where the frame leaves it for the label's own view
// (a push followed by glLoadIdentity); the frame's first glLoadIdentity
// starts a new recording. Calls made inside the text routine, inside
// gluLookAt (the browser's own calls glMultMatrixf and glTranslatef) or by
// this file's drawing are not steps.
//
// In the lab, each wrapper of the cube part first offers its place to the
// lab's call of that place (made_lab_call): that one is made with the real
// function, and what the frame asked for is not. Calls are matched by place,
// not by name, so that swapped calls swap. The cubes' materials are not
// modelview calls and stay where the frame sets them: a cube takes the
// colour set before its place, so swapped cubes swap colours, and a cube
// moved before the grey one's place is drawn in the axes' white.
//
// Every call that changes the modelview matrix or its stack is wrapped here,
// so that none passes unseen; CMake hands ld one --wrap for each __wrap_
// function of this file.
#include "steps/frame_steps.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>

#include "app/scene_state.h"
#include "render/gl.h"
#include "render/stroke_text.h"

namespace {

const matrix identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

struct {
    int step = 0;  // shown, 0 for none
    enum { before_view, in_view, after_view } part = before_view;
    int quiet = 0;      // inside a call whose own calls are not steps
    bool band = false;  // the caption has a band of its own above the scene
    matrix view = identity, view_inverse = identity;
    std::vector<matrix> stack, modelview_stack;  // as in frame_call
    std::vector<frame_call> calls;
    bool in_lab = false;             // a lab is in use:
    lab changed;                     // this one
    const lab *frame_lab = nullptr;  // the lab this frame's cube part makes, if any
    const lab *written = nullptr;    // how the lab writes this frame's calls
    GLint start_depth = 1;           // where the cube part began
} rec;

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

// A call as written in the code: "glTranslatef(1.5, 1.5, 0)".
std::string call(const char *name, std::initializer_list<double> args = {})
{
    std::string text = std::string(name) + "(";
    for (double a : args) {
        char number[32];
        snprintf(number, sizeof number, "%g", a);
        text += (text.back() == '(' ? "" : ", ") + std::string(number);
    }
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
        "depth " + std::to_string(c.depth) + (c.error.empty() ? "" : "  " + c.error);
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

// Notes a call that has just been made, with the stack as GL now holds it.
// ghost: the matrix a pop threw away.
void note(const std::string &text, const matrix *ghost = nullptr, const std::string &error = "")
{
    frame_call c;
    c.call = text;
    c.error = error;
    if (rec.written && rec.calls.size() < rec.written->calls.size())
        c.text = lab_entry(rec.written->calls[rec.calls.size()]);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &c.depth);
    c.modelview = modelview_now();
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
    if (rec.step > 0)
        draw_step(rec.step, rec.calls[static_cast<size_t>(rec.step - 1)]);
}

}  // namespace

void show_step(int step)
{
    int last = static_cast<int>(rec.calls.size());
    rec.step = step < 0 ? 0 : last > 0 && step > last ? last : step;
}

void caption_in_band(bool band)
{
    rec.band = band;
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
    std::string json = "[";
    for (const frame_call &c : rec.calls) {
        json += (json.size() > 1 ? ",\n" : "") + std::string("{\"call\": \"") + c.call +
                "\", \"lab\": \"" + c.text + "\", \"depth\": " + std::to_string(c.depth) +
                ", \"modelview\": " + numbers(c.modelview) +
                ", \"world\": " + numbers(c.stack.back()) + ", \"stack\": " + list(c.stack) +
                ", \"modelview_stack\": " + list(c.modelview_stack);
        if (c.popped)
            json += ", \"ghost\": " + numbers(c.ghost) +
                    ", \"ghost_modelview\": " + numbers(c.ghost_modelview);
        if (!c.error.empty())
            json += ", \"error\": \"" + c.error + "\"";
        json += "}";
    }
    return json + "]\n";
}

// The names are the ones ld's --wrap gives; draw_text_3d's is its C++ name.
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
void __real__Z12draw_text_3dffffPKc(float, float, float, float, const char *);

// In the lab, the call of the cube part's place that the frame has reached:
// made in place of the frame's, with the real function, and noted; after
// the lab's last call, the pushes it left open are popped. False outside
// the lab and past its calls.
static bool made_lab_call()
{
    if (!recording() || !rec.frame_lab || rec.calls.size() >= rec.frame_lab->calls.size())
        return false;
    const lab_call &c = rec.frame_lab->calls[rec.calls.size()];
    const double *n = c.n;
    switch (c.kind) {
    case lab_call::push:
    case lab_call::pop:
        if (c.off) {
            note(std::string("// ") +
                 (c.kind == lab_call::push ? "glPushMatrix()" : "glPopMatrix()"));
        } else if (c.kind == lab_call::push) {
            clear_errors();
            __real_glPushMatrix();
            note(call("glPushMatrix"), nullptr, error_name(glGetError()));
        } else {
            matrix popped = modelview_now();
            GLint depth = 0;
            glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
            clear_errors();
            __real_glPopMatrix();
            note(call("glPopMatrix"), depth > 1 ? &popped : nullptr, error_name(glGetError()));
        }
        break;
    case lab_call::rotate: {
        const GLfloat angle = c.angle == 1   ? scene_state.angle_obj1
                              : c.angle == 2 ? scene_state.angle_obj2
                                             : static_cast<GLfloat>(n[0]);
        const GLfloat x = static_cast<GLfloat>(n[1]), y = static_cast<GLfloat>(n[2]),
                      z = static_cast<GLfloat>(n[3]);
        __real_glRotatef(angle, x, y, z);
        note(call("glRotatef", {angle, x, y, z}));
        break;
    }
    case lab_call::translate: {
        const GLfloat x = static_cast<GLfloat>(n[0]), y = static_cast<GLfloat>(n[1]),
                      z = static_cast<GLfloat>(n[2]);
        __real_glTranslatef(x, y, z);
        note(call("glTranslatef", {x, y, z}));
        break;
    }
    case lab_call::cube:
        if (!after_step())
            __real_glutSolidCube(n[0]);
        note(call("glutSolidCube", {n[0]}));
        break;
    }
    if (rec.calls.size() == rec.frame_lab->calls.size()) {
        GLint depth = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        for (; depth > rec.start_depth; depth--) __real_glPopMatrix();
    }
    return true;
}

void __wrap_glPushMatrix()
{
    if (made_lab_call())
        return;
    __real_glPushMatrix();
    if (recording())
        note(call("glPushMatrix"));
}
void __wrap_glPopMatrix()
{
    if (made_lab_call())
        return;
    matrix popped{};
    GLint depth = 0;
    bool noted = recording();
    if (noted) {
        popped = modelview_now();
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    }
    __real_glPopMatrix();
    if (noted)
        note(call("glPopMatrix"), depth > 1 ? &popped : nullptr);
}
void __wrap_glLoadMatrixf(const GLfloat *m)
{
    if (made_lab_call())
        return;
    __real_glLoadMatrixf(m);
    if (recording())
        note(matrix_call("glLoadMatrixf", m));
}
void __wrap_glLoadMatrixd(const GLdouble *m)
{
    if (made_lab_call())
        return;
    __real_glLoadMatrixd(m);
    if (recording())
        note(matrix_call("glLoadMatrixd", m));
}
void __wrap_glMultMatrixf(const GLfloat *m)
{
    if (made_lab_call())
        return;
    __real_glMultMatrixf(m);
    if (recording())
        note(matrix_call("glMultMatrixf", m));
}
void __wrap_glMultMatrixd(const GLdouble *m)
{
    if (made_lab_call())
        return;
    __real_glMultMatrixd(m);
    if (recording())
        note(matrix_call("glMultMatrixd", m));
}
void __wrap_glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    if (made_lab_call())
        return;
    __real_glRotatef(angle, x, y, z);
    if (recording())
        note(call("glRotatef", {angle, x, y, z}));
}
void __wrap_glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z)
{
    if (made_lab_call())
        return;
    __real_glRotated(angle, x, y, z);
    if (recording())
        note(call("glRotated", {angle, x, y, z}));
}
void __wrap_glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    if (made_lab_call())
        return;
    __real_glTranslatef(x, y, z);
    if (recording())
        note(call("glTranslatef", {x, y, z}));
}
void __wrap_glTranslated(GLdouble x, GLdouble y, GLdouble z)
{
    if (made_lab_call())
        return;
    __real_glTranslated(x, y, z);
    if (recording())
        note(call("glTranslated", {x, y, z}));
}
void __wrap_glScalef(GLfloat x, GLfloat y, GLfloat z)
{
    if (made_lab_call())
        return;
    __real_glScalef(x, y, z);
    if (recording())
        note(call("glScalef", {x, y, z}));
}
void __wrap_glScaled(GLdouble x, GLdouble y, GLdouble z)
{
    if (made_lab_call())
        return;
    __real_glScaled(x, y, z);
    if (recording())
        note(call("glScaled", {x, y, z}));
}
void __wrap_glutSolidCube(double size)
{
    if (made_lab_call())
        return;
    if (!recording() || !after_step())
        __real_glutSolidCube(size);
    if (recording())
        note(call("glutSolidCube", {size}));
}
void __wrap_gluLookAt(double eye_x, double eye_y, double eye_z, double centre_x, double centre_y,
                      double centre_z, double up_x, double up_y, double up_z)
{
    rec.quiet++;
    __real_gluLookAt(eye_x, eye_y, eye_z, centre_x, centre_y, centre_z, up_x, up_y, up_z);
    rec.quiet--;
    if (rec.part == rec.before_view && rec.quiet == 0) {
        rec.part = rec.in_view;
        rec.view = modelview_now();
        rec.view_inverse = rigid_inverse(rec.view);
        GLint depth = 1;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        rec.stack.assign(static_cast<size_t>(depth), identity);
        rec.modelview_stack.assign(static_cast<size_t>(depth), rec.view);
        rec.start_depth = depth;
        const bool push_pop = scene_state.use_push_pop;
        rec.frame_lab = rec.in_lab && rec.changed.push_pop == push_pop ? &rec.changed : nullptr;
        rec.written = rec.frame_lab ? rec.frame_lab : &program_lab(push_pop);
    }
}
// The frame's first glLoadIdentity starts a recording; one in the cube part
// leaves the main view, and the push just before it belongs to the label.
void __wrap_glLoadIdentity()
{
    __real_glLoadIdentity();
    if (rec.quiet > 0)
        return;
    if (rec.part == rec.in_view) {
        if (!rec.calls.empty() && rec.calls.back().call == "glPushMatrix()")
            rec.calls.pop_back();
        end_cube_part();
    } else {
        rec.calls.clear();
        rec.part = rec.before_view;
    }
}
void __wrap__Z12draw_text_3dffffPKc(float x, float y, float z, float scale, const char *text)
{
    rec.quiet++;
    __real__Z12draw_text_3dffffPKc(x, y, z, scale, text);
    rec.quiet--;
}
}
// NOLINTEND(bugprone-reserved-identifier)
