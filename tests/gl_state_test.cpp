// gl_state_test.cpp - a frame and a reshape leave OpenGL as they found it:
// balanced stacks, the default line width, only three switches on, and the
// fixed projection whatever the window's shape.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/callbacks.h"
#include "app/scene_state.h"
#include "render/gl.h"
#include "tests/scene_window.h"

namespace {

GLint get_int(GLenum what)
{
    GLint value = -1;
    glGetIntegerv(what, &value);
    return value;
}

TEST(GlState, FrameLeavesStacksBalancedAndSwitchesAlone)
{
    for (bool push_pop : {true, false}) {
        testkit::reset_scene();
        scene_state.use_push_pop = push_pop;
        scene_state.angle_obj1 = scene_state.angle_obj2 = 30.0f;
        testkit::draw_frame();
        const char *mode = push_pop ? "push/pop on" : "push/pop off";

        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << mode;
        EXPECT_EQ(get_int(GL_MODELVIEW_STACK_DEPTH), 1) << mode;
        EXPECT_EQ(get_int(GL_PROJECTION_STACK_DEPTH), 1) << mode;
        EXPECT_EQ(get_int(GL_ATTRIB_STACK_DEPTH), 0) << mode;
        GLfloat width = 0;
        glGetFloatv(GL_LINE_WIDTH, &width);
        EXPECT_EQ(width, 1.0f) << mode << ": line width";

        const GLenum on[] = {GL_LIGHTING, GL_LIGHT0, GL_DEPTH_TEST};
        const GLenum off[] = {GL_COLOR_MATERIAL, GL_NORMALIZE,   GL_CULL_FACE, GL_LIGHT1,
                              GL_BLEND,          GL_LINE_SMOOTH, GL_TEXTURE_2D};
        for (GLenum cap : on)
            EXPECT_TRUE(glIsEnabled(cap)) << mode << ": switch 0x" << std::hex << cap;
        for (GLenum cap : off)
            EXPECT_FALSE(glIsEnabled(cap)) << mode << ": switch 0x" << std::hex << cap;
    }
}

TEST(GlState, ReshapeKeepsFullViewportAndFixedProjection)
{
    // gluPerspective(45, 1, 1, 10), written out: f = cot(22.5 degrees).
    const double f = 1 / std::tan(22.5 * 3.14159265358979 / 180);
    const double expected[16] = {f, 0, 0, 0, 0, f, 0, 0, 0, 0, -11.0 / 9, -1, 0, 0, -20.0 / 9, 0};
    const int sizes[][2] = {{500, 500}, {800, 400}, {400, 800}, {1, 1}, {640, 0}};
    for (const auto &size : sizes) {
        on_reshape(size[0], size[1]);
        std::string where = std::to_string(size[0]) + "x" + std::to_string(size[1]);

        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[0], 0) << where;
        EXPECT_EQ(viewport[1], 0) << where;
        EXPECT_EQ(viewport[2], size[0]) << where;
        EXPECT_EQ(viewport[3], size[1]) << where;

        GLfloat projection[16];
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        for (int i = 0; i < 16; i++) {
            EXPECT_NEAR(projection[i], expected[i], 1e-6) << where << ": element " << i;
        }
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << where;
    }
    on_reshape(testkit::window_size, testkit::window_size);
}

}  // namespace
