// frame_steps.cpp - recording the cube part of on_display, and drawing the
// frame as it stands after one of its calls.
//
// Each wrapper calls the real function, then, while a step is shown, notes
// the call. The cube part begins once the main view is set (gluLookAt) and
// ends where the frame leaves it for the label's own view (a push followed by
// glLoadIdentity); the frame's first glLoadIdentity starts a new recording.
// Calls made inside the text routine, inside gluLookAt (the browser's own
// calls glTranslatef) or by this file's drawing are not steps.
#include "steps/frame_steps.h"

#include <cstdio>
#include <initializer_list>

#include "render/gl.h"
#include "render/stroke_text.h"

namespace {

struct {
    int step = 0;  // shown, 0 for none
    enum { before_view, in_view, after_view } part = before_view;
    int quiet = 0;  // inside a call whose own calls are not steps
    std::vector<std::string> calls;
} rec;

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

bool recording()
{
    return rec.step > 0 && rec.part == rec.in_view && rec.quiet == 0;
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

// Over the scene drawn so far: the popped frame's ghost, the current frame,
// and the call as a caption at the top. Leaves the GL state as it found it.
void draw_step(const GLfloat *ghost)
{
    rec.quiet++;
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glPushMatrix();
    if (ghost) {
        glLoadMatrixf(ghost);
        draw_frame_axes(true);
    }
    glPopMatrix();
    draw_frame_axes(false);

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
    std::string caption = std::to_string(rec.step) + ". " + rec.calls.back();
    draw_text_2d(caption.c_str(), 10, static_cast<float>(viewport[3]) - 28, 0, 0.15f, 0.15f, 0);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);

    glLineWidth(1.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    rec.quiet--;
}

// Notes a call that has just been made; at the step shown, draws the step.
void note(const std::string &text, const GLfloat *ghost = nullptr)
{
    rec.calls.push_back(text);
    if (static_cast<int>(rec.calls.size()) == rec.step)
        draw_step(ghost);
}

}  // namespace

void show_step(int step)
{
    rec.step = step;
}

int shown_step()
{
    return rec.step;
}

const std::vector<std::string> &step_calls()
{
    return rec.calls;
}

// The names are the ones ld's --wrap gives; draw_text_3d's is its C++ name.
// NOLINTBEGIN(bugprone-reserved-identifier)
extern "C" {
void __real_glPushMatrix();
void __real_glPopMatrix();
void __real_glLoadIdentity();
void __real_glRotatef(GLfloat, GLfloat, GLfloat, GLfloat);
void __real_glTranslatef(GLfloat, GLfloat, GLfloat);
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
    GLfloat popped[16];
    bool noted = recording();
    if (noted)
        glGetFloatv(GL_MODELVIEW_MATRIX, popped);
    __real_glPopMatrix();
    if (noted)
        note(call("glPopMatrix"), popped);
}
void __wrap_glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    __real_glRotatef(angle, x, y, z);
    if (recording())
        note(call("glRotatef", {angle, x, y, z}));
}
void __wrap_glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    __real_glTranslatef(x, y, z);
    if (recording())
        note(call("glTranslatef", {x, y, z}));
}
// The cubes of the calls after the step shown are left out.
void __wrap_glutSolidCube(double size)
{
    bool later = recording() && static_cast<int>(rec.calls.size()) >= rec.step;
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
    if (rec.part == rec.before_view && rec.quiet == 0)
        rec.part = rec.in_view;
}
// The frame's first glLoadIdentity starts a recording; one in the cube part
// leaves the main view, and the push just before it belongs to the label.
void __wrap_glLoadIdentity()
{
    __real_glLoadIdentity();
    if (rec.quiet > 0)
        return;
    if (rec.part == rec.in_view) {
        if (!rec.calls.empty() && rec.calls.back() == "glPushMatrix()")
            rec.calls.pop_back();
        rec.part = rec.after_view;
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
