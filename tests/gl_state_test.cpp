// gl_state_test.cpp - a frame and a reshape leave OpenGL as they found it:
// balanced stacks, the default line width, only three switches on, and the
// fixed projection whatever the window's shape.
#include <gtest/gtest.h>

#include "app/callbacks.h"
#include "app/scene_state.h"
#include "render/gl.h"
#include "tests/scene_window.h"
#include "tests/view_model.h"

namespace {

TEST(GlState, FrameLeavesStacksBalancedAndSwitchesAlone)
{
    for (bool push_pop : {true, false}) {
        testkit::reset_scene();
        scene_state.use_push_pop = push_pop;
        scene_state.angle_obj1 = scene_state.angle_obj2 = 30.0f;
        testkit::draw_frame();
        const char *mode = push_pop ? "push/pop on" : "push/pop off";

        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << mode;
        GLint depth = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 1) << mode << ": modelview stack";
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 1) << mode << ": projection stack";
        glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 0) << mode << ": attribute stack";
        GLfloat width = 0;
        glGetFloatv(GL_LINE_WIDTH, &width);
        EXPECT_EQ(width, 1.0f) << mode << ": line width";

        const struct {
            GLenum cap;
            const char *name;
            bool on;
        } caps[] = {{GL_LIGHTING, "GL_LIGHTING", true},
                    {GL_LIGHT0, "GL_LIGHT0", true},
                    {GL_DEPTH_TEST, "GL_DEPTH_TEST", true},
                    {GL_COLOR_MATERIAL, "GL_COLOR_MATERIAL", false},
                    {GL_NORMALIZE, "GL_NORMALIZE", false},
                    {GL_CULL_FACE, "GL_CULL_FACE", false},
                    {GL_LIGHT1, "GL_LIGHT1", false},
                    {GL_BLEND, "GL_BLEND", false},
                    {GL_LINE_SMOOTH, "GL_LINE_SMOOTH", false},
                    {GL_TEXTURE_2D, "GL_TEXTURE_2D", false}};
        for (const auto &c : caps) {
            EXPECT_EQ(glIsEnabled(c.cap) == GL_TRUE, c.on) << mode << ": " << c.name;
        }
    }
}

TEST(GlState, ReshapeKeepsFullViewportAndFixedProjection)
{
    const model::mat4 expected = model::perspective(45, 1, 1, 10);
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
