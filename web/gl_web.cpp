// gl_web.cpp - the pieces of OpenGL, GLU and GLUT that Quenlade needs and
// emscripten's emulation lacks or takes otherwise; each says why it is here.
// The program's code is compiled against the plain GL headers and never
// names this file: the browser build's link reaches it (web/CMakeLists.txt).
#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glut.h>

#include <emscripten.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "rowmans.h"  // the Roman Simplex stroke font's file, made into a string at build time

// The names are the ones ld's --wrap gives: every call of these in the
// program, in steps/ and in this file comes here; __real_ is the emulation's.
// NOLINTBEGIN(bugprone-reserved-identifier)
extern "C" {
void __real_glBegin(GLenum mode);
void __real_glEnd();
void __real_glNormal3f(GLfloat x, GLfloat y, GLfloat z);
void __real_glVertex3f(GLfloat x, GLfloat y, GLfloat z);
void __real_glMaterialfv(GLenum face, GLenum pname, const GLfloat *params);
}

// The emulation draws immediate-mode lines only when every vertex comes with
// its normal and colour, and does not keep the current ones between
// glBegin/glEnd pairs as GL does (the mode label is lit with the normal the
// second cube left): these keep them and send them along with each vertex.
static GLfloat normal[3] = {0, 0, 1};
static GLfloat colour[4] = {1, 1, 1, 1};
static GLenum open_mode = 0;
static bool is_open = false;

extern "C" void __wrap_glBegin(GLenum mode)
{
    __real_glBegin(mode);
    open_mode = mode;
    is_open = true;
}

extern "C" void __wrap_glEnd()
{
    __real_glEnd();
    is_open = false;
}

extern "C" void __wrap_glNormal3f(GLfloat x, GLfloat y, GLfloat z)
{
    normal[0] = x, normal[1] = y, normal[2] = z;
}

extern "C" void __wrap_glColor4fv(const GLfloat *rgba)
{
    for (int i = 0; i < 4; i++) colour[i] = rgba[i];
}

extern "C" void __wrap_glVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    glColor4f(colour[0], colour[1], colour[2], colour[3]);
    __real_glNormal3f(normal[0], normal[1], normal[2]);
    __real_glVertex3f(x, y, z);
}

// The emulation takes GL_AMBIENT and GL_DIFFUSE one at a time, and applies
// a material to a whole glBegin/glEnd, so a change inside one ends it and
// begins another.
extern "C" void __wrap_glMaterialfv(GLenum face, GLenum pname, const GLfloat *params)
{
    if (is_open)
        __real_glEnd();
    if (pname == GL_AMBIENT_AND_DIFFUSE) {
        __real_glMaterialfv(face, GL_AMBIENT, params);
        __real_glMaterialfv(face, GL_DIFFUSE, params);
    } else {
        __real_glMaterialfv(face, pname, params);
    }
    if (is_open)
        __real_glBegin(open_mode);
}
// NOLINTEND(bugprone-reserved-identifier)

// What follows the emulation lacks altogether (the attribute stack, the solid
// cube, the stroke font) or has broken (gluLookAt), so it is defined here.
// Their own GL calls go through the wrappers above like any others.

// The attributes that the program and its steps save: the line width (WebGL
// draws lines one pixel wide whatever it is set to), the switches of
// lighting and depth test, and the current colour and normal, which this
// layer keeps itself.
struct attributes {
    GLbitfield mask;
    GLfloat line_width;
    bool lighting, depth_test;
    GLfloat colour[4], normal[3];
};
static std::vector<attributes> saved_attributes;

extern "C" void glPushAttrib(GLbitfield mask)
{
    attributes a{mask, 1, false, false, {}, {}};
    glGetFloatv(GL_LINE_WIDTH, &a.line_width);
    a.lighting = glIsEnabled(GL_LIGHTING);
    a.depth_test = glIsEnabled(GL_DEPTH_TEST);
    std::copy_n(colour, 4, a.colour);
    std::copy_n(normal, 3, a.normal);
    saved_attributes.push_back(a);
}

extern "C" void glPopAttrib()
{
    if (saved_attributes.empty())
        return;
    const attributes a = saved_attributes.back();
    saved_attributes.pop_back();
    if (a.mask & GL_LINE_BIT)
        glLineWidth(a.line_width);
    if (a.mask & GL_ENABLE_BIT) {
        (a.lighting ? glEnable : glDisable)(GL_LIGHTING);
        (a.depth_test ? glEnable : glDisable)(GL_DEPTH_TEST);
    }
    if (a.mask & GL_CURRENT_BIT) {
        std::copy_n(a.colour, 4, colour);
        std::copy_n(a.normal, 3, normal);
    }
}

// Emscripten's own gluLookAt leaves the matrix unchanged (it hands its
// arguments to mat4.lookAt in the wrong order), so this textbook one is
// defined in its place, as the solid cube and the font below are.
extern "C" void gluLookAt(GLdouble eye_x, GLdouble eye_y, GLdouble eye_z, GLdouble centre_x,
                          GLdouble centre_y, GLdouble centre_z, GLdouble up_x, GLdouble up_y,
                          GLdouble up_z)
{
    double f[3] = {centre_x - eye_x, centre_y - eye_y, centre_z - eye_z};
    double fn = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
    for (double &v : f) v /= fn;
    double s[3] = {f[1] * up_z - f[2] * up_y, f[2] * up_x - f[0] * up_z, f[0] * up_y - f[1] * up_x};
    double sn = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    for (double &v : s) v /= sn;
    double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2], s[0] * f[1] - s[1] * f[0]};
    // The camera's axes as rows, column by column as GL stores matrices.
    const GLfloat m[4][4] = {{GLfloat(s[0]), GLfloat(u[0]), GLfloat(-f[0]), 0},
                             {GLfloat(s[1]), GLfloat(u[1]), GLfloat(-f[1]), 0},
                             {GLfloat(s[2]), GLfloat(u[2]), GLfloat(-f[2]), 0},
                             {0, 0, 0, 1}};
    glMultMatrixf(&m[0][0]);
    glTranslatef(GLfloat(-eye_x), GLfloat(-eye_y), GLfloat(-eye_z));
}

// A solid cube centred on the origin, each face with its outward normal, as
// GLUT draws it; the +z face comes last, so its normal is the one left.
extern "C" void glutSolidCube(GLdouble size)
{
    const GLfloat h = GLfloat(size / 2);
    const GLfloat faces[6][3] = {{-1, 0, 0}, {1, 0, 0},  {0, -1, 0},
                                 {0, 1, 0},  {0, 0, -1}, {0, 0, 1}};
    for (const auto &n : faces) {
        // Two axes across the face, so the corners go round it.
        GLfloat a[3] = {n[1] != 0 || n[2] != 0 ? 1.0f : 0.0f, n[0] != 0 ? 1.0f : 0.0f, 0};
        GLfloat b[3] = {n[1] * a[2] - n[2] * a[1], n[2] * a[0] - n[0] * a[2],
                        n[0] * a[1] - n[1] * a[0]};
        glNormal3f(n[0], n[1], n[2]);
        glBegin(GL_QUADS);
        for (int corner = 0; corner < 4; corner++) {
            GLfloat sa = corner == 0 || corner == 3 ? -h : h, sb = corner < 2 ? -h : h;
            glVertex3f(n[0] * h + a[0] * sa + b[0] * sb, n[1] * h + a[1] * sa + b[1] * sb,
                       n[2] * h + a[2] * sa + b[2] * sb);
        }
        glEnd();
    }
}

// GLUT's stroke Roman font is the Hershey Roman Simplex design: each glyph of
// the font file is its left and right bounds, then its strokes as points, a
// pen-up between strokes. GLUT's font is 119.05 units high, from the baseline
// to the top of its tallest glyphs: 25 units of the Hershey design, whose
// capitals (21 units) then stand 100 tall, as GLUT's do. The baseline is at
// 9 there and at 0 in GLUT's units, whose y goes up. The advances come from
// the glyphs' bounds, a little wider than GLUT's own spacing.
namespace {

struct glyph {
    float advance = 0;
    std::vector<std::vector<float>> strokes;  // x, y, x, y, ...
};

const std::vector<glyph> &roman()
{
    static std::vector<glyph> glyphs;
    if (!glyphs.empty())
        return glyphs;
    const float scale = 119.05f / 25;
    std::string text = rowmans_jhf;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end - start);
        start = end == std::string::npos ? text.size() : end + 1;
        if (line.size() < 10)
            continue;
        glyph g;
        int left = line[8] - 'R', right = line[9] - 'R';
        g.advance = static_cast<float>(right - left) * scale;
        g.strokes.emplace_back();
        for (size_t i = 10; i + 1 < line.size(); i += 2) {
            if (line[i] == ' ' && line[i + 1] == 'R') {
                g.strokes.emplace_back();
                continue;
            }
            g.strokes.back().push_back(static_cast<float>(line[i] - 'R' - left) * scale);
            g.strokes.back().push_back(static_cast<float>(9 - (line[i + 1] - 'R')) * scale);
        }
        glyphs.push_back(g);
    }
    return glyphs;
}

// The glyph of a character; the file holds those from space to '~'.
const glyph *glyph_of(int character)
{
    const std::vector<glyph> &glyphs = roman();
    size_t index = static_cast<size_t>(character - ' ');
    return character >= ' ' && index < glyphs.size() ? &glyphs[index] : nullptr;
}

}  // namespace

extern "C" {
void *glutStrokeRoman = nullptr;  // only its address names the font
}

extern "C" void glutStrokeCharacter(void * /*font*/, int character)
{
    const glyph *g = glyph_of(character);
    if (!g)
        return;
    for (const std::vector<float> &stroke : g->strokes) {
        glBegin(GL_LINE_STRIP);
        for (size_t i = 0; i + 1 < stroke.size(); i += 2) glVertex3f(stroke[i], stroke[i + 1], 0);
        glEnd();
    }
    glTranslatef(g->advance, 0, 0);
}

extern "C" int glutStrokeWidth(void * /*font*/, int character)
{
    const glyph *g = glyph_of(character);
    return g ? static_cast<int>(g->advance) : 0;
}

// The emulation keeps the matrix stacks in JavaScript and does not answer
// for their depths, which WebGL has never heard of; the steps ask for the
// modelview's.
// NOLINTBEGIN(bugprone-reserved-identifier)
extern "C" void __real_glGetIntegerv(GLenum pname, GLint *params);
extern "C" void __wrap_glGetIntegerv(GLenum pname, GLint *params)
{
    if (pname == GL_MODELVIEW_STACK_DEPTH)
        *params = EM_ASM_INT({ return GLImmediate.matrixStack[0].length + 1; });
    else
        __real_glGetIntegerv(pname, params);
}
// NOLINTEND(bugprone-reserved-identifier)
