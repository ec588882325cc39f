// stroke_text_test.cpp - where stroke text lands, read back through GL
// feedback mode, which hands over the window coordinates of every stroke.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "render/gl.h"
#include "render/stroke_text.h"
#include "tests/scene_window.h"

namespace {

struct box {
    float min_x = 1e9f, min_y = 1e9f;
    int vertices = 0;
};

// Runs draw in feedback mode in a pixel-for-unit view and bounds its lines.
template <typename Draw>
box strokes_of(Draw draw)
{
    testkit::reset_scene();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, testkit::window_size, 0, testkit::window_size, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    static GLfloat buffer[1 << 16];
    glFeedbackBuffer(sizeof buffer / sizeof buffer[0], GL_3D, buffer);
    glRenderMode(GL_FEEDBACK);
    draw();
    GLint n = glRenderMode(GL_RENDER);

    box b;
    for (GLint i = 0; i < n;) {
        GLfloat token = buffer[i++];
        if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            for (int v = 0; v < 2; v++, i += 3, b.vertices++) {
                b.min_x = std::min(b.min_x, buffer[i]);
                b.min_y = std::min(b.min_y, buffer[i + 1]);
            }
        } else {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
    }
    return b;
}

int width_of(const char *text)
{
    int width = 0;
    for (const char *c = text; *c; c++) width += glutStrokeWidth(GLUT_STROKE_ROMAN, *c);
    return width;
}

// Left (0), centred (1), and every other value right-aligned: the text moves
// back along its own baseline by 0, half or all of its scaled width.
TEST(StrokeText, Draw2dAlignsAlongItsBaseline)
{
    const char *text = "Qa";
    ASSERT_EQ(width_of(text) % 2, 1) << "an odd width shows a half-unit centring";
    const struct {
        int align;
        double share;
    } aligns[] = {{0, 0}, {1, 0.5}, {2, 1}, {3, 1}, {-1, 1}};
    const struct {
        float angle, sx, sy;
    } frames[] = {{0, 1, 1}, {0, 0.5f, 2}, {90, 1, 1}};

    for (const auto &f : frames) {
        box left = strokes_of([&] { draw_text_2d(text, 300, 200, f.angle, f.sx, f.sy, 0); });
        ASSERT_GT(left.vertices, 0);
        for (const auto &a : aligns) {
            box b = strokes_of([&] { draw_text_2d(text, 300, 200, f.angle, f.sx, f.sy, a.align); });
            double shift = -a.share * width_of(text) * f.sx;
            double rad = f.angle * 3.14159265358979 / 180.0;
            EXPECT_NEAR(b.min_x - left.min_x, shift * std::cos(rad), 1e-3)
                << "align " << a.align << ", angle " << f.angle << ", x scale " << f.sx;
            EXPECT_NEAR(b.min_y - left.min_y, shift * std::sin(rad), 1e-3)
                << "align " << a.align << ", angle " << f.angle << ", x scale " << f.sx;
        }
    }
}

// Both routines leave the modelview as they found it, and an empty string
// draws nothing.
TEST(StrokeText, LeavesTheMatrixAndDrawsNothingForEmptyText)
{
    const struct {
        const char *what;
        void (*draw)();
        bool draws;
    } cases[] = {
        {"draw_text_3d \"\"", [] { draw_text_3d(1, 2, 0, 0.5f, ""); }, false},
        {"draw_text_3d \"Xy\"", [] { draw_text_3d(1, 2, 0, 0.5f, "Xy"); }, true},
        {"draw_text_2d \"\"", [] { draw_text_2d("", 1, 2, 30, 0.5f, 0.7f, 2); }, false},
        {"draw_text_2d \"Xy\"", [] { draw_text_2d("Xy", 1, 2, 30, 0.5f, 0.7f, 1); }, true},
    };
    for (const auto &c : cases) {
        GLfloat before[16] = {}, after[16] = {};
        GLint depth_before = 0, depth_after = 0;
        box b = strokes_of([&] {
            glTranslatef(200, 200, 0);
            glGetFloatv(GL_MODELVIEW_MATRIX, before);
            glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_before);
            c.draw();
            glGetFloatv(GL_MODELVIEW_MATRIX, after);
            glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_after);
        });
        EXPECT_EQ(depth_after, depth_before) << c.what;
        for (int i = 0; i < 16; i++) EXPECT_EQ(before[i], after[i]) << c.what;
        EXPECT_EQ(b.vertices > 0, c.draws) << c.what;
    }
}

}  // namespace
