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
// Every call that changes the modelview matrix or its stack is wrapped here,
// so that none passes unseen; CMake hands ld one --wrap for each __wrap_
// function of this file.
#include "steps/frame_steps.h"

#include <cstdio>
#include <initializer_list>

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
    std::string depth = "depth " + std::to_string(c.depth);
    const float top = static_cast<float>(viewport[3]);
    const float scale = rec.band ? 0.15f : 0.11f;  // a capital is 15 or 11 pixels high
    draw_text_2d(caption.c_str(), 10, top - 200 * scale + 4, 0, scale, scale, 0);
    draw_text_2d(depth.c_str(), 10, top - 320 * scale + 4, 0, 0.8f * scale, 0.8f * scale, 0);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
    rec.quiet--;
}

// Notes a call that has just been made, with the stack as GL now holds it.
// ghost: the matrix a pop threw away.
void note(const std::string &text, const matrix *ghost = nullptr)
{
    frame_call c;
    c.call = text;
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
                "\", \"depth\": " + std::to_string(c.depth) +
                ", \"modelview\": " + numbers(c.modelview) +
                ", \"world\": " + numbers(c.stack.back()) + ", \"stack\": " + list(c.stack) +
                ", \"modelview_stack\": " + list(c.modelview_stack);
        if (c.popped)
            json += ", \"ghost\": " + numbers(c.ghost) +
                    ", \"ghost_modelview\": " + numbers(c.ghost_modelview);
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

void __wrap_glPushMatrix()
{
    __real_glPushMatrix();
    if (recording())
        note(call("glPushMatrix"));
}
void __wrap_glPopMatrix()
{
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
    __real_glLoadMatrixf(m);
    if (recording())
        note(matrix_call("glLoadMatrixf", m));
}
void __wrap_glLoadMatrixd(const GLdouble *m)
{
    __real_glLoadMatrixd(m);
    if (recording())
        note(matrix_call("glLoadMatrixd", m));
}
void __wrap_glMultMatrixf(const GLfloat *m)
{
    __real_glMultMatrixf(m);
    if (recording())
        note(matrix_call("glMultMatrixf", m));
}
void __wrap_glMultMatrixd(const GLdouble *m)
{
    __real_glMultMatrixd(m);
    if (recording())
        note(matrix_call("glMultMatrixd", m));
}
void __wrap_glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    __real_glRotatef(angle, x, y, z);
    if (recording())
        note(call("glRotatef", {angle, x, y, z}));
}
void __wrap_glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z)
{
    __real_glRotated(angle, x, y, z);
    if (recording())
        note(call("glRotated", {angle, x, y, z}));
}
void __wrap_glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    __real_glTranslatef(x, y, z);
    if (recording())
        note(call("glTranslatef", {x, y, z}));
}
void __wrap_glTranslated(GLdouble x, GLdouble y, GLdouble z)
{
    __real_glTranslated(x, y, z);
    if (recording())
        note(call("glTranslated", {x, y, z}));
}
void __wrap_glScalef(GLfloat x, GLfloat y, GLfloat z)
{
    __real_glScalef(x, y, z);
    if (recording())
        note(call("glScalef", {x, y, z}));
}
void __wrap_glScaled(GLdouble x, GLdouble y, GLdouble z)
{
    __real_glScaled(x, y, z);
    if (recording())
        note(call("glScaled", {x, y, z}));
}
// The cubes of the calls after the step shown are left out.
void __wrap_glutSolidCube(double size)
{
    bool later = recording() && rec.step > 0 && static_cast<int>(rec.calls.size()) >= rec.step;
    if (!later)
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
