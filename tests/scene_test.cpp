// scene_test.cpp - the program's own callbacks in a real GLUT window on Mesa:
// every key code, the animation clock, where a frame puts the cubes and the
// text, and the GL state it leaves behind. Expected values are worked out
// here from the scene's geometry and an independent camera model; a frame
// that fails a check is saved as a PNG. ctest runs each test in a process of
// its own: the clock's ticks leave timers armed that GLUT keeps.
#include <GL/freeglut.h>  // glutMainLoopEvent: run GLUT one step at a time
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <utility>

#include "app/callbacks.h"
#include "app/scene_state.h"
#include "render/gl.h"
#include "tests/testkit.h"
#include "tools/frame_grab.h"

namespace {

using testkit::rgb;
using testkit::vec3;

// Types keys from the state the program starts in, with both cubes turned to
// 35 degrees; returns the last report line.
std::string type_from_start(const std::string &keys)
{
    init_scene();
    scene_state.angle_obj1 = scene_state.angle_obj2 = 35.0f;
    std::string line;
    for (char key : keys) {
        testing::internal::CaptureStdout();
        on_keyboard(static_cast<unsigned char>(key), 17, 23);
        line = testing::internal::GetCapturedStdout();
    }
    return line;
}

// Every key code gets one report line, of the eye as testkit's rules move
// it. Only space touches the mode and the angles. (program_test types keys
// through the X server, and Esc.)
TEST(Keys, EveryKeyCodeGetsOneReportLine)
{
    const testkit::vec3 after_x = testkit::eye_after(testkit::eye_after({}, 'R'), 'X');
    for (int code = 0; code < 256; code++) {
        if (code == 27)
            continue;
        // After an "X", so a key that wrongly went home would show.
        std::string out = type_from_start(std::string("X") + static_cast<char>(code));
        bool space = code == ' ';
        EXPECT_EQ(out, testkit::report_line(testkit::eye_after(after_x, code)) + "\n") << code;
        EXPECT_TRUE(scene_state.use_push_pop != space &&
                    scene_state.angle_obj1 == (space ? 0 : 35) &&
                    scene_state.angle_obj2 == scene_state.angle_obj1)
            << "key code " << code;
    }
}

// Runs GLUT's loop until done(), with a bound only a hang reaches.
template <typename Done>
bool run_glut(Done done)
{
    return testkit::wait_until([&] { return glutMainLoopEvent(), done(); });
}

// A key and each tick ask for a frame, and a tick arms the next one, 100 ms
// on. The angles run 5, 10, ..., 355, 360, then 0 and on: 73 ticks a turn,
// the two cubes together; a space restarts them from 0.
TEST(Clock, TicksTurnTheCubesFiveDegreesAndKeep360ForOne)
{
    // Once the window has shown a frame (it may be mapped after its first
    // reshape) and a turn of GLUT's loop shows none, nothing asks for one;
    // then a key does, and the next turn shows it.
    int frames = 0;
    EXPECT_TRUE(run_glut([&] {
        int before = std::exchange(frames, frames_shown());
        return frames > 0 && before == frames;
    }));
    type_from_start("a");
    glutMainLoopEvent();
    EXPECT_EQ(frames_shown() - frames, 1) << "frames after a key";
    init_scene();
    frames = frames_shown();
    on_timer(0);
    // Three more ticks take at least 300 ms (a second chain would be faster).
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(run_glut([] { return scene_state.angle_obj1 >= 20; }));
    EXPECT_EQ(scene_state.angle_obj1, 20);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(290));
    EXPECT_GE(frames_shown() - frames, 1) << "frames while the clock ran";  // ticks may share one

    init_scene();
    for (int tick = 1; tick <= 74; tick++) {
        on_timer(0);
        float angle = 5.0f * static_cast<float>(tick <= 72 ? tick : tick - 73);
        EXPECT_TRUE(scene_state.angle_obj1 == angle && scene_state.angle_obj2 == angle)
            << "tick " << tick << ": " << scene_state.angle_obj1 << ", " << scene_state.angle_obj2;
    }
    type_from_start(" ");
    on_timer(0);
    EXPECT_TRUE(scene_state.angle_obj1 == 5 && scene_state.angle_obj2 == 5);
}

// Empty if white text (only text is white) stands in pic where it should:
// starting at `at` of the view seen from `seen_by`, as wide as the font's
// advances for `text` at the scene's scale. The lowest lit row of the first
// letter is the baseline; the lit columns run from the start, plus the first
// letter's margin, to the end of the last letter.
std::string misplaced(const image &pic, const char *text, vec3 at, vec3 seen_by, double slack)
{
    int width = 0;
    for (const char *c = text; *c; c++) width += glutStrokeWidth(GLUT_STROKE_ROMAN, *c);
    testkit::pixel_pos start = testkit::project(at, seen_by);
    testkit::pixel_pos end = testkit::project({at.x + 0.002 * width, at.y, at.z}, seen_by);
    int left = 9999, right = -1, bottom = 9999;
    for (int y = static_cast<int>(start.y) - 8; y < start.y + 30; y++)
        for (int x = static_cast<int>(start.x) - 5; x < end.x + 10; x++) {
            rgb p = testkit::at(pic, {x + 0.5, y + 0.5});
            if (testkit::looks_white(p)) {
                left = std::min(left, x);
                right = std::max(right, x);
                bottom = x < start.x + 12 ? std::min(bottom, y) : bottom;
            }
        }
    if (std::abs(bottom - start.y) <= slack && left >= start.x - 1 && left <= start.x + 8 &&
        right >= end.x - 8 && right <= end.x + 1)
        return "";
    return std::string(text) + " expected from (" + std::to_string(start.x) + ", " +
           std::to_string(start.y) + ") to x " + std::to_string(end.x) + ", lit from (" +
           std::to_string(left) + ", " + std::to_string(bottom) + ") to x " + std::to_string(right);
}

// For failure messages only: saves the frame and says where.
std::string saved(const image &pic, const std::string &name)
{
    write_png(name + ".png", pic);
    return " (frame saved as " + name + ".png)";
}

// The cubes where the mode's transformations put them; the mode label, as
// wide as what it should say, at (-2, -2, 0) of its own fixed view whatever
// the eye; the axis letters at the ends of the axes. Each frame leaves
// balanced stacks, the default line width, and its lighting and depth test
// on.
TEST(Frame, CubesAndTextAreWhereTheirTransformsPutThem)
{
    const struct {
        const char *name;
        bool push_pop;
        float angle;
        vec3 eye;
        const char *letters;  // those well inside the window and clear of the rest
    } cases[] = {
        {"on_at_0", true, 0, testkit::home_eye, "XYZ"},
        {"off_at_0", false, 0, testkit::home_eye, "XYZ"},
        {"off_at_90", false, 90, testkit::home_eye, "XYZ"},
        {"on_at_90", true, 90, testkit::home_eye, ""},
        {"on_at_45_front", true, 45, testkit::front_eye, "Z"},  // z seen end-on, at the centre
        {"off_at_200_far", false, 200, {0, 0, 9}, ""},
        {"on_at_0_below", true, 0, {0.5, -3, 2}, ""},
    };
    for (const auto &c : cases) {
        scene_state = {float(c.eye.x), float(c.eye.y), float(c.eye.z), 100,
                       c.push_pop,     c.angle,        c.angle};
        image pic = draw_frame();
        // The grey cube circles the origin at radius 1. The blue one stays at
        // (1.5, 1.5) with push/pop; without, it rides in the grey cube's
        // turned frame, 1.5 further out and 1.5 up from it.
        vec3 blue_on = {1.5, 1.5, 0}, blue_off = testkit::turn_z({2.5, 1.5, 0}, c.angle);
        const struct {
            const char *what;
            vec3 at;
            bool (*expect)(rgb);
            bool want;
        } probes[] = {{"grey cube", testkit::turn_z({1, 0, 0}, c.angle), testkit::looks_grey, true},
                      {"blue cube", c.push_pop ? blue_on : blue_off, testkit::looks_blue, true},
                      {"other mode's blue cube", c.push_pop ? blue_off : blue_on,
                       testkit::looks_blue, false}};
        for (const auto &p : probes) {
            testkit::pixel_pos px = testkit::project(p.at, c.eye);
            rgb seen = testkit::at(pic, px);
            EXPECT_EQ(p.expect(seen), p.want)
                << c.name << ": " << p.what << " at (" << px.x << ", " << px.y << ") is " << seen.r
                << ", " << seen.g << ", " << seen.b << saved(pic, c.name);
        }
        const char *label = c.push_pop ? "usando push/pop" : "sem push/pop";
        EXPECT_EQ(misplaced(pic, label, {-2, -2, 0}, testkit::front_eye, 1.5), "")
            << saved(pic, c.name);
        // Seen from above, the letters' baselines run down to the right.
        const vec3 ends[] = {{3, 0, 0}, {0, 3, 0}, {0, 0, 3}};
        for (const char *l = c.letters; *l; l++) {
            std::string letter(1, *l);
            EXPECT_EQ(misplaced(pic, letter.c_str(), ends[*l - 'X'], c.eye, 3), "")
                << saved(pic, c.name);
        }

        GLint state[3];  // modelview and attribute stack depths, line width
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &state[0]);
        glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &state[1]);
        glGetIntegerv(GL_LINE_WIDTH, &state[2]);
        EXPECT_TRUE(glGetError() == GL_NO_ERROR && state[0] == 1 && state[1] == 0 && state[2] == 1)
            << c.name << ": " << state[0] << ", " << state[1] << ", " << state[2];
        for (GLenum cap : {GL_LIGHTING, GL_LIGHT0, GL_DEPTH_TEST})
            EXPECT_TRUE(glIsEnabled(cap)) << cap;
    }
}

}  // namespace
