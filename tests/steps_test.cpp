// steps_test.cpp - the recorder of the frame's steps (steps/) on the
// program's own on_display in a real window on Mesa: the calls it lists, and
// the matrix stack it read from GL after each, held against the frame's calls
// replayed in a matrix model of the test's own, the program's and the lab's
// (steps/lab.h); a step past the last call; the GL state a step leaves
// behind; the stack a lab leaves; and the lab's text and C.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/scene_state.h"
#include "render/gl.h"
#include "render/scene_frame.h"
#include "steps/frame_steps.h"
#include "steps/lab.h"
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
    auto [s, u, f] = testkit::camera_at(eye);
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
    if (name.rfind("//", 0) == 0) {
        return;  // switched off in the lab
    } else if (name == "glPushMatrix") {
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
        const double v[3] = {a[1] / n, a[2] / n, a[3] / n};
        const double cross[3][3] = {{0, -v[2], v[1]}, {v[2], 0, -v[0]}, {-v[1], v[0], 0}};
        for (int row = 0; row < 3; row++)  // c I + s [v]x + (1 - c) v vT
            for (int col = 0; col < 3; col++)
                t[col * 4 + row] =
                    (row == col) * c + s * cross[row][col] + (1 - c) * v[row] * v[col];
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

// The GL statements of a piece of C, each trimmed, in order; without
// push/pop, its pushes and pops left out.
std::vector<std::string> statements(const std::string &code, bool push_pop)
{
    std::vector<std::string> found;
    std::istringstream lines(code);
    for (std::string line; std::getline(lines, line);) {
        line.erase(0, line.find_first_not_of(' '));
        if (line.rfind("gl", 0) == 0 && (push_pop || line.find("Matrix();") == std::string::npos))
            found.push_back(line);
    }
    return found;
}

// The program's cube part as the lab writes it, without and with push/pop.
const char *const own[2] = {
    "glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);glTranslatef(1.5,1.5,0);"
    "glRotatef(a2,0,1,0);glutSolidCube(0.5)",
    "glPushMatrix();glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);glPopMatrix();"
    "glTranslatef(1.5,1.5,0);glPushMatrix();glRotatef(a2,0,1,0);glutSolidCube(0.5);"
    "glPopMatrix()"};
const char *const own_on = own[1];

// The frame's calls for the cubes, as on_display makes them, with the grey
// cube's angle and the blue one's.
std::vector<std::string> frame_calls(bool push_pop, float angle, float angle2)
{
    char rz[64], ry[64];
    snprintf(rz, sizeof rz, "glRotatef(%g, 0, 0, 1)", double(angle));
    snprintf(ry, sizeof ry, "glRotatef(%g, 0, 1, 0)", double(angle2));
    if (push_pop)
        return {"glPushMatrix()",        rz,
                "glTranslatef(1, 0, 0)", "glutSolidCube(0.5)",
                "glPopMatrix()",         "glTranslatef(1.5, 1.5, 0)",
                "glPushMatrix()",        ry,
                "glutSolidCube(0.5)",    "glPopMatrix()"};
    return {rz, "glTranslatef(1, 0, 0)", "glutSolidCube(0.5)", "glTranslatef(1.5, 1.5, 0)",
            ry, "glutSolidCube(0.5)"};
}

// The frame's calls with some replaced, at their index: the calls that a lab
// makes in their place.
std::vector<std::string> with(std::vector<std::string> calls,
                              const std::vector<std::pair<int, const char *>> &changes)
{
    for (const auto &[at, call] : changes) calls[at] = call;
    return calls;
}

// Frames that break what the recorder relies on, each with the reason it
// must give; learning from them must fail, and say why, rather than misread
// them. The program's own frame is read.
void label_view()  // where a frame's cube part ends
{
    glPushMatrix();
    glLoadIdentity();
    glPopMatrix();
}
void view()
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(1, 2, 8, 0, 0, 0, 0, 1, 0);
}
const struct {
    void (*frame)();
    const char *why;  // a part of the message; "" for a frame that is read
} frames[] = {
    {on_display, ""},
    {[] { glLoadIdentity(), glTranslatef(0, 0, -5), glutSolidCube(1), label_view(); },
     "no view with gluLookAt"},
    {[] { view(), glRotatef(scene_state.angle_obj1, 0, 0, 1), glutSolidCube(1); }, "never ends"},
    {[] { view(), glScalef(2, 2, 2), glutSolidCube(1), label_view(); },
     "glScalef(2, 2, 2) is not one the lab writes"},
    {[] { view(), glScaled(2, 2, 2), glutSolidCube(1), label_view(); },
     "glScaled(2, 2, 2) is not one the lab writes"},
    {[] {
         view(), glutSolidCube(1);
         if (scene_state.angle_obj1 > scene_state.angle_obj2)
             glutSolidCube(1);
         label_view();
     },
     "the cube part has 1 calls at one pair of angles and 2 at another"},
    {[] {
         static const GLfloat m[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
         view(), glMultMatrixf(m), glutSolidCube(1), label_view();
     },
     "call glMultMatrixf({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}) is not one"},
    {[] { view(), glOrtho(-1, 1, -1, 1, 1, 2), glutSolidCube(1), label_view(); },
     "does not see changed the modelview matrix before call 1"},
    {[] { view(), glRotatef(-scene_state.angle_obj2, 0, 1, 0), glutSolidCube(1), label_view(); },
     "changes with the cubes' angles"},
    {[] {
         view(), glPushMatrix(), glTranslatef(scene_state.angle_obj1, 0, 0), glPopMatrix(),
             label_view();
     },
     "glTranslatef(10, 0, 0) changes with the cubes' angles"},
    {[] { view(), glPushMatrix(), glutSolidCube(1), label_view(); },
     "leaves the stack 2 deep, where it found it 1 deep"},
    {[] {
         view(), glutSolidCube(1);
         if (scene_state.angle_obj1 > 15)
             glutSolidCube(1);
         label_view();
     },
     "has 1 calls at one pair of angles and 2 at another"},
};

TEST(Steps, TheRecorderSaysWhenItCannotReadTheFrame)
{
    for (const auto &f : frames) {
        const std::string why = learn_cube_part(f.frame);
        EXPECT_TRUE(f.why[0] ? why.find(f.why) != std::string::npos : why.empty())
            << "expected \"" << f.why << "\", got \"" << why << "\"";
    }
    ASSERT_EQ(learn_cube_part(), "");
}

// At each step, the calls are the frame's, or a lab's in their place, and
// the depth, the top as GL returns it, and every matrix on the stack in world
// coordinates are what the calls give from the view; a pop's ghost is the
// frame it threw away, and a pop with nothing to pop raises
// GL_STACK_UNDERFLOW and leaves the matrix. The GL state a step's drawing
// touches is as it was.
TEST(Steps, EachStepHoldsTheStackItsCallsGive)
{
    ASSERT_EQ(learn_cube_part(), "");
    // The blue cube's angle is 10 more than the grey one's.
    const std::vector<std::string> on = frame_calls(true, 45, 55);
    const struct {
        bool push_pop;
        float angle;
        vec3 eye;
        const char *lab;  // nullptr: none
        std::vector<std::string> calls;
    } cases[] = {
        {true, 45, testkit::home_eye, nullptr, on},
        {false, 45, testkit::home_eye, nullptr, frame_calls(false, 45, 55)},
        {true, 130, {-2, 1, 4}, nullptr, frame_calls(true, 130, 140)},
        {false, 305, testkit::front_eye, nullptr, frame_calls(false, 305, 315)},
        // The program's own, written out; the grey cube's turn and shift
        // swapped; its pop switched off; the shift between the cubes changed.
        {true, 45, testkit::home_eye, own_on, on},
        {true, 45, testkit::home_eye,
         "glPushMatrix();glTranslatef(1,0,0);glRotatef(a1,0,0,1);glutSolidCube(0.5);glPopMatrix();"
         "glTranslatef(1.5,1.5,0);glPushMatrix();glRotatef(a2,0,1,0);glutSolidCube(0.5);"
         "glPopMatrix()",
         with(on, {{1, "glTranslatef(1, 0, 0)"}, {2, "glRotatef(45, 0, 0, 1)"}})},
        {true, 45, testkit::home_eye,
         "glPushMatrix();glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);-glPopMatrix();"
         "glTranslatef(1.5,1.5,0);glPushMatrix();glRotatef(a2,0,1,0);glutSolidCube(0.5);"
         "glPopMatrix()",
         with(on, {{4, "// glPopMatrix()"}})},
        {true, 45, testkit::home_eye,
         "glPushMatrix();glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);glPopMatrix();"
         "glTranslatef(-1,2,0.25);glPushMatrix();glRotatef(a2,0,1,0);glutSolidCube(0.5);"
         "glPopMatrix()",
         with(on, {{5, "glTranslatef(-1, 2, 0.25)"}})},
        // The first push off: the first pop has nothing to pop. Then a push
        // left open at the end, an angle that stays as typed, and one that
        // follows the other cube.
        {true,
         130,
         {-2, 1, 4},
         "-glPushMatrix();glRotatef(a2,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);"
         "glPopMatrix();glTranslatef(1.5,1.5,0);glPopMatrix();glRotatef(30,0,1,0);"
         "glutSolidCube(0.5);glPushMatrix()",
         with(frame_calls(true, 130, 140), {{0, "// glPushMatrix()"},
                                            {1, "glRotatef(140, 0, 0, 1)"},
                                            {6, "glPopMatrix()"},
                                            {7, "glRotatef(30, 0, 1, 0)"},
                                            {9, "glPushMatrix()"}})},
        // Without push/pop: the cubes' places swapped, a cube's size.
        {false, 305, testkit::front_eye,
         "glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);glRotatef(a2,0,1,0);"
         "glTranslatef(1.5,1.5,0);glutSolidCube(0.8)",
         with(frame_calls(false, 305, 315), {{3, "glRotatef(315, 0, 1, 0)"},
                                             {4, "glTranslatef(1.5, 1.5, 0)"},
                                             {5, "glutSolidCube(0.8)"}})},
    };
    for (const auto &c : cases) {
        scene_state = {float(c.eye.x), float(c.eye.y), float(c.eye.z), 100,
                       c.push_pop,     c.angle,        c.angle + 10};
        lab changed;
        if (c.lab) {
            ASSERT_EQ(read_lab(c.lab, changed), "") << c.lab;
        }
        use_lab(c.lab ? &changed : nullptr);
        const std::vector<std::string> &expected = c.calls;
        const model view = look_at(c.eye);
        std::vector<model> world = {identity};
        model ghost{};
        std::vector<matrix_story> stories(1);
        matrix_story ghost_story;
        for (size_t n = 1; n <= expected.size(); n++) {
            std::string where = std::string(c.push_pop ? "on" : "off") + " at " +
                                std::to_string(c.angle) + (c.lab ? ", lab " : "") +
                                (c.lab ? c.lab : "") + ", step " + std::to_string(n);
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
            const bool pop = call.call == "glPopMatrix()", underflow = pop && world.size() == 1;
            replay(call.call, world, &ghost);
            // Each matrix's story: the push that copied it (0: the view),
            // then the calls that changed it; a pop takes the top's away.
            const std::string name = call.call.substr(0, call.call.find('('));
            if (name == "glPushMatrix") {
                stories.push_back({static_cast<int>(n), {}});
            } else if (name == "glPopMatrix" && !underflow) {
                ghost_story = stories.back();
                stories.pop_back();
            } else if (name != "glutSolidCube" && name.rfind("//", 0) != 0 && !underflow) {
                stories.back().changed.push_back(static_cast<int>(n));
            }
            ASSERT_EQ(call.stories.size(), stories.size()) << where;
            for (size_t level = 0; level < stories.size(); level++) {
                EXPECT_TRUE(call.stories[level].from == stories[level].from &&
                            call.stories[level].changed == stories[level].changed)
                    << where << ", the story of matrix " << level + 1;
            }
            if (call.popped) {
                EXPECT_TRUE(call.ghost_story.from == ghost_story.from &&
                            call.ghost_story.changed == ghost_story.changed)
                    << where << ", the ghost's story";
            }
            EXPECT_EQ(call.error, underflow ? "GL_STACK_UNDERFLOW" : "") << where;
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
            EXPECT_EQ(call.popped, pop && !underflow) << where;
            if (call.popped) {
                EXPECT_EQ(differs(call.ghost, ghost, 1e-5), "") << where << ", the ghost";
            }
        }
        // Each call as the lab writes it, its numbers those of the call made.
        std::string written;
        for (const frame_call &call : step_calls()) {
            written += (written.empty() ? "" : ";") + lab_entry(call.made);
            std::string made = std::string(call.made.off ? "// " : "") + call_name(call.made.kind);
            for (int j = 0; j < number_count(call.made.kind); j++) {
                char number[32];
                snprintf(number, sizeof number, "%s%g", j ? ", " : "(", call.made.n[j]);
                made += number;
            }
            EXPECT_EQ(made + (number_count(call.made.kind) ? ")" : "()"), call.call);
        }
        EXPECT_EQ(written, c.lab ? c.lab : own[c.push_pop]);
    }
    show_step(0);
    use_lab(nullptr);
}

// Whatever a lab's calls, the cube part hands the label and the next frame
// the stack as deep as it found it: frame after frame, pops switched off do
// not pile pushes up until the stack overflows, and the label stays where
// the program draws it. A lab for the other mode leaves the frame as it is.
TEST(Steps, ALabLeavesTheStackAsItFoundIt)
{
    scene_state = {1.69f, 2.9f, 8.1f, 100, true, 45, 45};
    use_lab(nullptr);
    show_step(0);
    const image own = draw_frame();
    const char *const labs[] = {
        "glPushMatrix();glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);-glPopMatrix();"
        "glTranslatef(1.5,1.5,0);glPushMatrix();glRotatef(a2,0,1,0);glutSolidCube(0.5);"
        "-glPopMatrix()",
        "glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);glTranslatef(1.5,1.5,0);"
        "glRotatef(a2,0,1,0);glutSolidCube(0.5)"};
    for (const char *text : labs) {
        lab changed;
        ASSERT_EQ(read_lab(text, changed), "");
        use_lab(&changed);
        for (int frame = 0; frame < 40; frame++) {
            draw_frame();
            GLint depth = 0;
            glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
            GLenum error = glGetError();
            ASSERT_TRUE(depth == 1 && error == GL_NO_ERROR)
                << text << ", frame " << frame << ": depth " << depth << ", error " << error;
        }
        // The label's corner, in the lower left, is the program's.
        image edited = draw_frame();
        int differ = 0;
        for (int y = edited.height - 40; y < edited.height; y++)
            for (int x = 0; x < 200; x++)
                for (int k = 0; k < 3; k++) {
                    size_t i = (static_cast<size_t>(y) * edited.width + x) * 3 + k;
                    differ += std::abs(edited.rgb[i] - own.rgb[i]) > 8;
                }
        EXPECT_EQ(differ, 0) << text;
    }
    image other_mode = draw_frame();  // the last lab is for the mode off
    EXPECT_EQ(testkit::count_differences(own, other_mode), 0);
    use_lab(nullptr);
}

// The lab's text is read strictly: wrong text gets one line that says at
// which character, what was expected there, and what stands there instead;
// text that is read is written back the shortest way.
TEST(Steps, TheLabsTextIsReadStrictly)
{
    const std::string off_tail =
        "glutSolidCube(0.5);glTranslatef(1.5,1.5,0);"
        "glRotatef(a2,0,1,0);glutSolidCube(0.5)";
    // Where the reader stopped, and what it said it expected there.
    const struct {
        std::string text, message;
    } wrong[] = {
        {"", "character 1: expected a call: glPushMatrix, glPopMatrix, glRotatef, glTranslatef"},
        {"glRotatef(a1,0,0,1);alert(1)", "character 21: expected a call"},
        {"glRotatef(a3,0,0,1)", "character 11: expected the angle: a1, a2 or a number from -1000"},
        {"glRotatef(é0,0,0,1)", "character 11: expected the angle"},  // counted in characters
        {"glRotatef(30, 0,0,0)", "character 15: expected an axis other than 0, 0, 0"},
        {"glTranslatef(1e3,0,0)", "character 15: expected \",\""},
        {"glTranslatef(1001,0,0)", "character 14: expected a number from -1000 to 1000"},
        {"glutSolidCube(-1)", "character 15: expected a number from 0 to 1000"},
        {"-glRotatef(a1,0,0,1)", "character 2: expected glPushMatrix or glPopMatrix after \"-\""},
        {"glPushMatrix() glPopMatrix()", "character 16: expected \";\" between calls"},
        {"glRotatef(a1,0,0,1);glRotatef(a1,0,0,1);glRotatef(a1,0,0,1)",
         "character 41: expected no more glRotatef (the frame makes 2), found a third"},
        {"glRotatef(a1,0,0,1);glTranslatef(1,0,0);" + off_tail + ";;",
         "character 123: expected a call"},
        {"glRotatef(a1,0,0,1);-glPopMatrix();glTranslatef(1,0,0);" + off_tail,
         "character 137: expected 2 glPushMatrix as the frame with push/pop makes, found 0"},
        {"glTranslatef(1,0,0);" + off_tail,
         "character 102: expected 2 glRotatef as the frame without push/pop makes, found 1"},
    };
    for (const auto &c : wrong) {
        lab kept;
        ASSERT_EQ(read_lab(own[0], kept), "");
        const std::string message = read_lab(c.text, kept);
        EXPECT_TRUE(message.rfind(c.message, 0) == 0 && message.find('\n') == std::string::npos)
            << c.text << ": " << message;
        EXPECT_EQ(lab_text(kept), own[0]) << c.text << ": changed anyway";
    }
    const struct {
        std::string text, written;
    } right[] = {
        {" glRotatef( 30 , 0,0, +1 ) ; glTranslatef(1.50,.5,-0);" + off_tail + " ;",
         "glRotatef(30,0,0,1);glTranslatef(1.5,0.5,0);" + off_tail},
        {"-glPushMatrix();glRotatef(a2,0,0,1);glutSolidCube(0.5);glTranslatef(1,0,0);"
         "glPopMatrix();glTranslatef(1.5,1.5,0);glPushMatrix();glRotatef(-22.125,0,1,0);"
         "glutSolidCube(2);-glPopMatrix()",
         ""},
        {"glRotatef(-12.345,0,0,1);glTranslatef(67.89,0,0);" + off_tail, ""},  // every digit
    };
    for (const auto &c : right) {
        lab l;
        EXPECT_EQ(read_lab(c.text, l), "") << c.text;
        const std::string written = c.written.empty() ? c.text : c.written;
        EXPECT_EQ(lab_text(l), written);
        lab again;
        EXPECT_TRUE(read_lab(written, again).empty() && lab_text(again) == written) << written;
    }
}

// The edits a student makes in the page, from the program's calls with
// push/pop: a number held to its bounds and written as the link writes it,
// an angle typed no longer turning, an axis never 0, 0, 0; a swap with the
// next call; a push or pop switched off, and nothing else.
TEST(Steps, EditsKeepTheLabsRules)
{
    const struct {
        void (*edit)(lab &);
        const char *call;  // the k-th call after the edit, k as in the edit
        size_t k;
    } edits[] = {
        {[](lab &l) { set_number(l, 1, 0, 30); }, "glRotatef(30,0,0,1)", 1},
        {[](lab &l) { set_number(l, 1, 3, 0); }, "glRotatef(a1,0,0,1)", 1},
        {[](lab &l) { set_number(l, 2, 0, 0.1 + 0.2); }, "glTranslatef(0.3,0,0)", 2},
        {[](lab &l) { set_number(l, 2, 1, -1e9); }, "glTranslatef(1,-1000,0)", 2},
        {[](lab &l) { set_number(l, 3, 0, -2); }, "glutSolidCube(0)", 3},
        {[](lab &l) { set_number(l, 5, 2, 1.23456789); }, "glTranslatef(1.5,1.5,1.234568)", 5},
        {[](lab &l) { swap_with_next(l, 1); }, "glTranslatef(1,0,0)", 1},
        {[](lab &l) { swap_with_next(l, 9); }, "glPopMatrix()", 9},
        {[](lab &l) { swap_with_next(l, 8); }, "glPopMatrix()", 8},
        {[](lab &l) { set_number(l, 1, 1, 1), set_number(l, 1, 3, 0); }, "glRotatef(a1,1,0,0)", 1},
        {[](lab &l) { switch_call(l, 4); }, "-glPopMatrix()", 4},
        {[](lab &l) { switch_call(l, 1); }, "glRotatef(a1,0,0,1)", 1},
    };
    for (const auto &e : edits) {
        lab l;
        ASSERT_EQ(read_lab(own[1], l), "");
        e.edit(l);
        EXPECT_EQ(lab_entry(l.calls[e.k]), e.call);
        lab again;
        EXPECT_EQ(read_lab(lab_text(l), again), "")
            << lab_text(l) << ": the link does not read back";
    }
}

// Copy as C is what a student pastes into on_display: the program's own
// calls in both modes, and changed ones (a swap, a push or a pop switched
// off), pasted in place of on_display's cube part and built, draw what the
// lab draws, pixel for pixel, with the cubes' angles apart so that a1 and a2
// cannot be taken for each other; the C says whether it is changed, and the
// program's own calls come out as the program's own code.
TEST(Steps, TheLabsCBuiltDrawsWhatTheLabDraws)
{
    ASSERT_EQ(learn_cube_part(), "");
    std::ifstream frame_source(QUENLADE_SOURCE_DIR "/render/scene_frame.cpp");
    const std::string source(std::istreambuf_iterator<char>(frame_source), {});
    const std::string before = "    draw_axes();\n", after = "    // Mode label";
    const size_t start = source.find(before), end = source.find(after, start);
    ASSERT_TRUE(start != std::string::npos && end != std::string::npos)
        << "on_display's cube part is no longer between \"draw_axes();\" and the mode label's "
           "comment, where this test pastes the lab's C";
    // The program's own frame goes back into the pasted source however the
    // test ends: a C that fails to build would otherwise break every build
    // of the folder after it.
    struct put_back {
        const std::string &source;
        ~put_back()
        {
            std::ofstream(QUENLADE_PASTED_SOURCE) << source;
        }
    } own_frame{source};
    const struct {
        const char *text;
        bool changed;
    } labs[] = {
        {own[0], false},
        {own[1], false},
        {"glPushMatrix();glTranslatef(1,0,0);glRotatef(a1,0,0,1);glutSolidCube(0.5);glPopMatrix();"
         "glTranslatef(1.5,1.5,0);glPushMatrix();glRotatef(a2,0,1,0);glutSolidCube(0.5);"
         "glPopMatrix()",
         true},
        {"-glPushMatrix();glRotatef(a2,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);"
         "glPopMatrix();glTranslatef(1.5,1.5,0);glPushMatrix();glRotatef(30,0,1,0);"
         "glutSolidCube(0.8);-glPopMatrix()",
         true},
        {"glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);glRotatef(a2,0,1,0);"
         "glTranslatef(1.5,-1,0.5);glutSolidCube(0.25)",
         true},
    };
    for (const auto &c : labs) {
        lab l;
        ASSERT_EQ(read_lab(c.text, l), "") << c.text;
        const std::string code = lab_c_code(l);
        EXPECT_EQ(code.find("as changed in the lab") != std::string::npos, c.changed) << code;
        // A pop with nothing to pop says so, as GL will.
        EXPECT_EQ(code.find("glPopMatrix();  // GL_STACK_UNDERFLOW") != std::string::npos,
                  c.text[0] == '-')
            << code;
        if (!c.changed) {
            EXPECT_EQ(statements(code, true),
                      statements(source.substr(start, end - start), l.push_pop))
                << "the program's own calls as C are not its code:\n"
                << code;
        }
        std::ofstream(QUENLADE_PASTED_SOURCE) << source.substr(0, start + before.size()) << "\n"
                                              << code << "\n"
                                              << source.substr(end);
        const std::string build = "\"" QUENLADE_CMAKE "\" --build \"" QUENLADE_BUILD_DIR
                                  "\" --target quenlade_pasted >pasted.log 2>&1",
                          run = std::string(QUENLADE_PASTED) + (l.push_pop ? " on" : " off") +
                                " 30 75 pasted.png";
        ASSERT_EQ(std::system(build.c_str()), 0) << "the C does not build (pasted.log):\n" << code;
        ASSERT_EQ(std::system(run.c_str()), 0)
            << run << ": status 3 is a stack left deeper or shallower than found:\n"
            << code;

        scene_state = {1.69f, 2.9f, 8.1f, 100, l.push_pop, 30, 75};
        use_lab(&l);
        show_step(0);
        const image lab_frame = draw_frame(), pasted = read_png("pasted.png");
        EXPECT_EQ(testkit::count_differences(lab_frame, pasted), 0)
            << c.text << ": the pasted C draws otherwise:\n"
            << code;
    }
    use_lab(nullptr);
}

// A cube of a later call is left out: the blue one appears at its own call.
// No step past the last call is drawn or kept: asked for, it is the last; a
// frame with fewer calls (the other mode) shows its own last, as it is.
TEST(Steps, AStepPastTheLastCallShowsTheLast)
{
    scene_state = {1.69f, 2.9f, 8.1f, 100, true, 45, 45};
    for (int step : {8, 9}) {
        show_step(step);
        testkit::rgb seen =
            testkit::at(draw_frame(), testkit::project({1.38, 1.38, 0}, testkit::home_eye));
        EXPECT_EQ(testkit::looks_blue(seen), step == 9) << "the blue cube at step " << step;
    }
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
