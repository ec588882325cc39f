// steps.cpp - recording the modelview calls of one frame, and picturing each.
//
// Each wrapper calls the real function first, then, while a frame is being
// recorded, notes the call, the modelview matrix it left and the scene drawn
// so far. Recording starts once the main view is set (gluLookAt) and stops
// where the frame leaves it for the label's own view (a push followed by
// glLoadIdentity); the text routine's own calls are not steps.
#include "tools/steps.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>

#define GL_GLEXT_PROTOTYPES  // glWindowPos, from OpenGL 1.4
#include "render/gl.h"
#include "render/scene_frame.h"
#include "render/stroke_text.h"
#include "tools/frame_grab.h"

namespace {

struct noted {
    std::string call;
    GLfloat modelview[16];
    image scene;  // drawn so far
};

struct {
    bool recording = false;  // a frame of draw_steps is under way
    bool in_view = false;    // its main view is set, and not yet left
    bool in_text = false;
    std::vector<noted> calls;
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

void note(const std::string &text)
{
    if (!rec.in_view || rec.in_text)
        return;
    noted n{text, {}, read_back_buffer()};
    glGetFloatv(GL_MODELVIEW_MATRIX, n.modelview);
    rec.calls.push_back(n);
}

// Three short axes and a dot at the origin of the current frame, drawn over
// everything; faint for a frame that was popped.
void draw_frame_axes(bool faint)
{
    const float s = faint ? 0.35f : 1.0f;  // brightness
    const GLfloat ends[3][3] = {{0.6f, 0, 0}, {0, 0.6f, 0}, {0, 0, 0.6f}};
    glLineWidth(faint ? 1.0f : 3.0f);
    glBegin(GL_LINES);
    for (int axis = 0; axis < 3; axis++) {
        glColor3f(axis == 0 ? s : 0, axis == 1 ? s : 0, axis == 2 ? s : 0);
        glVertex3f(0, 0, 0);
        glVertex3fv(ends[axis]);
    }
    glEnd();
    glPointSize(faint ? 5.0f : 9.0f);
    glBegin(GL_POINTS);
    glColor3f(s, s, 0);
    glVertex3f(0, 0, 0);
    glEnd();
}

// One step's picture: the scene as it stood, the popped frame's ghost, the
// current frame, and the call as a caption at the top.
image picture(const noted &step, const noted *ghost, int number)
{
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glPixelZoom(1, -1);  // pictures keep the top row first
    glWindowPos2i(0, step.scene.height);
    glDrawPixels(step.scene.width, step.scene.height, GL_RGB, GL_UNSIGNED_BYTE,
                 step.scene.rgb.data());
    glMatrixMode(GL_MODELVIEW);
    if (ghost) {
        glLoadMatrixf(ghost->modelview);
        draw_frame_axes(true);
    }
    glLoadMatrixf(step.modelview);
    draw_frame_axes(false);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, step.scene.width, 0, step.scene.height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glLineWidth(1.5f);
    glColor3f(1, 1, 1);
    std::string caption = std::to_string(number) + ". " + step.call;
    draw_text_2d(caption.c_str(), 10, static_cast<float>(step.scene.height) - 26, 0, 0.13f, 0.13f,
                 0);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    return read_back_buffer();
}

}  // namespace

std::vector<frame_step> draw_steps()
{
    rec.calls.clear();
    rec.recording = true;
    on_display();
    rec.recording = rec.in_view = false;

    std::vector<frame_step> steps;
    for (size_t i = 0; i < rec.calls.size(); i++) {
        bool popped = i > 0 && rec.calls[i].call == "glPopMatrix()";
        steps.push_back(
            {rec.calls[i].call,
             picture(rec.calls[i], popped ? &rec.calls[i - 1] : nullptr, static_cast<int>(i + 1))});
    }
    return steps;
}

image contact_sheet(const std::vector<frame_step> &steps)
{
    if (steps.empty())
        return image{};
    const int w = steps[0].picture.width, h = steps[0].picture.height;
    const int columns = static_cast<int>(steps.size() + 1) / 2;
    image sheet{w * columns, h * 2, {}};
    sheet.rgb.assign(static_cast<size_t>(sheet.width) * sheet.height * 3, 0);
    for (size_t i = 0; i < steps.size(); i++) {
        size_t left = (i % columns) * w * 3, top = (i / columns) * h;
        for (int y = 0; y < h; y++) {
            std::copy_n(&steps[i].picture.rgb[static_cast<size_t>(y) * w * 3], w * 3,
                        &sheet.rgb[(top + y) * sheet.width * 3 + left]);
        }
    }
    return sheet;
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
    note(call("glPushMatrix"));
}
void __wrap_glPopMatrix()
{
    __real_glPopMatrix();
    note(call("glPopMatrix"));
}
void __wrap_glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    __real_glRotatef(angle, x, y, z);
    note(call("glRotatef", {angle, x, y, z}));
}
void __wrap_glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    __real_glTranslatef(x, y, z);
    note(call("glTranslatef", {x, y, z}));
}
void __wrap_glutSolidCube(double size)
{
    __real_glutSolidCube(size);
    note(call("glutSolidCube", {size}));
}
void __wrap_gluLookAt(double eye_x, double eye_y, double eye_z, double centre_x, double centre_y,
                      double centre_z, double up_x, double up_y, double up_z)
{
    __real_gluLookAt(eye_x, eye_y, eye_z, centre_x, centre_y, centre_z, up_x, up_y, up_z);
    rec.in_view = rec.recording && rec.calls.empty();
}
// A glLoadIdentity after the steps began leaves the main view: the push
// just before it belongs to the label.
void __wrap_glLoadIdentity()
{
    __real_glLoadIdentity();
    if (rec.in_view && !rec.calls.empty()) {
        if (rec.calls.back().call == "glPushMatrix()")
            rec.calls.pop_back();
        rec.in_view = false;
    }
}
void __wrap__Z12draw_text_3dffffPKc(float x, float y, float z, float scale, const char *text)
{
    rec.in_text = true;
    __real__Z12draw_text_3dffffPKc(x, y, z, scale, text);
    rec.in_text = false;
}
}
// NOLINTEND(bugprone-reserved-identifier)
