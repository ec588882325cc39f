// steps_test.cpp - the recorder of the frame's steps (steps/) on the
// program's own on_display in a real window on Mesa: the calls it lists, and
// the matrix stack it read from GL after each, held against the frame's calls
// replayed in a matrix model of the test's own; a step past the last call;
// and the GL state a step leaves behind.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "app/scene_state.h"
#include "render/gl.h"
#include "steps/frame_steps.h"
#include "tests/testkit.h"
#include "tools/frame_grab.h"

namespace {

using testkit::vec3;
using model = std::array<double, 16>;  // column by column, as GL

model product(const model &a, const model &b)
{
    model m{};
    for (int col = 0; col < 4; col++)
        for (int row = 0; row < 4; row++)
            for (int k = 0; k < 4; k++) m[col * 4 + row] += a[k * 4 + row] * b[col * 4 + k];
    return m;
}

const model identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// gluLookAt's matrix, from the textbook: the camera's axes as rows, then the
// eye moved to the origin.
model look_at(const vec3 &eye)
{
    double n = std::sqrt(testkit::dot(eye, eye)), m = std::hypot(eye.x, eye.z);
    vec3 f = {-eye.x / n, -eye.y / n, -eye.z / n}, s = {eye.z / m, 0, -eye.x / m};
    vec3 u = {s.y * f.z - s.z * f.y, s.z * f.x - s.x * f.z, s.x * f.y - s.y * f.x};
    model v = {s.x, u.x, -f.x, 0, s.y, u.y, -f.y, 0, s.z, u.z, -f.z, 0, 0, 0, 0, 1};
    v[12] = -testkit::dot(s, eye), v[13] = -testkit::dot(u, eye), v[14] = testkit::dot(f, eye);
    return v;
}

// What a call as the recorder writes it ("glRotatef(45, 0, 0, 1)") does to
// a stack of matrices, from GL's definitions.
void replay(const std::string &call, std::vector<model> &stack, model *ghost)
{
    std::string name = call.substr(0, call.find('('));
    std::vector<double> a;
    std::istringstream args(call.substr(call.find('(') + 1));
    for (std::string word; args >> word;)
        a.push_back(std::strtod(word.c_str() + (word[0] == '{'), nullptr));
    model &m = stack.back(), t = identity;
    if (name == "glPushMatrix") {
        stack.push_back(m);
    } else if (name == "glPopMatrix") {
        *ghost = m;
        if (stack.size() > 1)
            stack.pop_back();
    } else if (name == "glLoadIdentity") {
        m = identity;
    } else if (name.rfind("glLoadMatrix", 0) == 0 || name.rfind("glMultMatrix", 0) == 0) {
        std::copy_n(a.begin(), 16, t.begin());
        m = name[2] == 'L' ? t : product(m, t);
    } else if (name.rfind("glTranslate", 0) == 0) {
        t[12] = a[0], t[13] = a[1], t[14] = a[2];
        m = product(m, t);
    } else if (name.rfind("glScale", 0) == 0) {
        t[0] = a[0], t[5] = a[1], t[10] = a[2];
        m = product(m, t);
    } else if (name.rfind("glRotate", 0) == 0) {
        double r = a[0] * testkit::pi / 180, c = std::cos(r), s = std::sin(r);
        double n = std::sqrt(a[1] * a[1] + a[2] * a[2] + a[3] * a[3]);
        double x = a[1] / n, y = a[2] / n, z = a[3] / n;
        t = {x * x * (1 - c) + c,
             y * x * (1 - c) + z * s,
             x * z * (1 - c) - y * s,
             0,
             x * y * (1 - c) - z * s,
             y * y * (1 - c) + c,
             y * z * (1 - c) + x * s,
             0,
             x * z * (1 - c) + y * s,
             y * z * (1 - c) - x * s,
             z * z * (1 - c) + c,
             0,
             0,
             0,
             0,
             1};
        m = product(m, t);
    } else {
        ASSERT_EQ(name, "glutSolidCube") << "a call the model does not know";
    }
}

std::string differs(const matrix &seen, const model &expected, double tolerance)
{
    for (int i = 0; i < 16; i++) {
        if (std::abs(seen[i] - expected[i]) > tolerance) {
            std::ostringstream out;
            out << "element " << i << " is " << seen[i] << ", not " << expected[i];
            return out.str();
        }
    }
    return "";
}

// The frame's calls for the cubes, as on_display makes them.
std::vector<std::string> frame_calls(bool push_pop, float angle)
{
    char rz[64], ry[64];
    snprintf(rz, sizeof rz, "glRotatef(%g, 0, 0, 1)", double(angle));
    snprintf(ry, sizeof ry, "glRotatef(%g, 0, 1, 0)", double(angle));
    if (push_pop)
        return {"glPushMatrix()",        rz,
                "glTranslatef(1, 0, 0)", "glutSolidCube(0.5)",
                "glPopMatrix()",         "glTranslatef(1.5, 1.5, 0)",
                "glPushMatrix()",        ry,
                "glutSolidCube(0.5)",    "glPopMatrix()"};
    return {rz, "glTranslatef(1, 0, 0)", "glutSolidCube(0.5)", "glTranslatef(1.5, 1.5, 0)",
            ry, "glutSolidCube(0.5)"};
}

// Every call that changes the modelview matrix or its stack is one that the
// recorder wraps, so none passes unseen.
TEST(Steps, EveryModelviewCallIsRecorded)
{
    const std::string wrapped = "," QUENLADE_STEP_WRAPPED ",";
    for (const char *name : {"glPushMatrix", "glPopMatrix", "glLoadIdentity", "glLoadMatrixf",
                             "glLoadMatrixd", "glMultMatrixf", "glMultMatrixd", "glRotatef",
                             "glRotated", "glTranslatef", "glTranslated", "glScalef", "glScaled"})
        EXPECT_NE(wrapped.find(std::string(",") + name + ","), std::string::npos)
            << name << " changes the modelview matrix, and the recorder does not wrap it";
}

// At each step, the calls are the frame's, and the depth, the top as GL
// returns it, and every matrix on the stack in world coordinates are what
// the recorded calls give from the view; a pop's ghost is the frame it threw
// away. The GL state a step's drawing touches is as it was.
TEST(Steps, EachStepHoldsTheStackItsCallsGive)
{
    const struct {
        bool push_pop;
        float angle;
        vec3 eye;
    } cases[] = {{true, 45, testkit::home_eye},
                 {false, 45, testkit::home_eye},
                 {true, 130, {-2, 1, 4}},
                 {false, 305, testkit::front_eye}};
    for (const auto &c : cases) {
        scene_state = {float(c.eye.x), float(c.eye.y), float(c.eye.z), 100,
                       c.push_pop,     c.angle,        c.angle};
        const std::vector<std::string> expected = frame_calls(c.push_pop, c.angle);
        const model view = look_at(c.eye);
        std::vector<model> world = {identity};
        model ghost{};
        for (size_t n = 1; n <= expected.size(); n++) {
            std::string where = std::string(c.push_pop ? "on" : "off") + " at " +
                                std::to_string(c.angle) + ", step " + std::to_string(n);
            show_step(static_cast<int>(n));
            glPointSize(3);  // a state of its own, so that a leak shows
            glLineWidth(1.25f);
            glDisable(GL_DEPTH_TEST);
            draw_frame();
            GLfloat point = 0, line = 0;
            glGetFloatv(GL_POINT_SIZE, &point);
            glGetFloatv(GL_LINE_WIDTH, &line);
            EXPECT_TRUE(point == 3 && line == 1.25f && !glIsEnabled(GL_DEPTH_TEST) &&
                        glIsEnabled(GL_LIGHTING) && glGetError() == GL_NO_ERROR)
                << where << ": the step left point size " << point << ", line width " << line;
            glPointSize(1);
            glLineWidth(1);
            glEnable(GL_DEPTH_TEST);

            const std::vector<frame_call> &calls = step_calls();
            ASSERT_EQ(calls.size(), expected.size()) << where;
            const frame_call &call = calls[n - 1];
            EXPECT_EQ(call.call, expected[n - 1]) << where;
            replay(call.call, world, &ghost);
            EXPECT_EQ(call.depth, static_cast<int>(world.size())) << where;
            ASSERT_EQ(call.stack.size(), world.size()) << where;
            for (size_t level = 0; level < world.size(); level++) {
                EXPECT_EQ(differs(call.stack[level], world[level], 1e-5), "")
                    << where << ", matrix " << level + 1 << " in world coordinates";
                EXPECT_EQ(differs(call.modelview_stack[level], product(view, world[level]), 1e-4),
                          "")
                    << where << ", matrix " << level + 1 << " as GL returned it";
            }
            EXPECT_EQ(differs(call.modelview, product(view, world.back()), 1e-4), "")
                << where << ", the top as GL returns it";
            EXPECT_EQ(call.popped, call.call == "glPopMatrix()") << where;
            if (call.popped) {
                EXPECT_EQ(differs(call.ghost, ghost, 1e-5), "") << where << ", the ghost";
            }
        }
    }
    show_step(0);
}

// No step past the last call is drawn or kept: asked for, it is the last; a
// frame with fewer calls (the other mode) shows its own last, as it is.
TEST(Steps, AStepPastTheLastCallShowsTheLast)
{
    scene_state = {1.69f, 2.9f, 8.1f, 100, true, 45, 45};
    show_step(0);
    draw_frame();
    show_step(99);
    EXPECT_EQ(shown_step(), 10);
    scene_state.use_push_pop = false;
    show_step(8);
    image past = draw_frame();
    EXPECT_EQ(shown_step(), 6);
    EXPECT_EQ(step_calls().size(), 6u);
    show_step(6);
    EXPECT_EQ(testkit::count_differences(past, draw_frame()), 0);
    show_step(0);
    draw_frame();
    EXPECT_EQ(step_calls().size(), 6u) << "a frame drawn without a step has its calls too";
}

}  // namespace

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    if (!display_opens()) {
        puts(testkit::skip_note("steps", testkit::no_display).c_str());
        return testkit::skipped;
    }
    if (!open_scene_window(&argc, argv, "Quenlade #2 under test", 500, 500))
        return 1;
    return RUN_ALL_TESTS();
}
