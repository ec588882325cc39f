// keyboard_test.cpp - every key command, its report line and the float drift
// of long runs of eye steps. Expected lines are worked out by hand.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "app/callbacks.h"
#include "app/scene_state.h"
#include "tests/scene_window.h"

namespace {

// Types keys from the home eye, with both cubes at 35 degrees; returns the
// last report line.
std::string type_from_home(const std::string &keys)
{
    testkit::reset_scene();
    scene_state.angle_obj1 = scene_state.angle_obj2 = 35.0f;
    std::string line;
    for (char key : keys) {
        line = testkit::capture_stdout(
            [key] { on_keyboard(static_cast<unsigned char>(key), 17, 23); });
    }
    return line;
}

TEST(Keyboard, EachCommandChangesWhatItShouldAndReports)
{
    const struct {
        std::string keys;
        const char *line;
        bool push_pop;  // false where one space toggled the mode off
        float angle;    // 0 after any space
    } cases[] = {
        {"X", "Camera: 1.790000, 2.900000, 8.100000\n", true, 35},
        {"x", "Camera: 1.590000, 2.900000, 8.100000\n", true, 35},
        {"Y", "Camera: 1.690000, 3.000000, 8.100000\n", true, 35},
        {"y", "Camera: 1.690000, 2.800000, 8.100000\n", true, 35},
        // 8.1f + 0.1 rounds up to the float just above 8.2.
        {"Z", "Camera: 1.690000, 2.900000, 8.200001\n", true, 35},
        {"z", "Camera: 1.690000, 2.900000, 8.000000\n", true, 35},
        {"XyO", "Camera: 0.000000, 0.000000, 5.000000\n", true, 35},
        {"Xyo", "Camera: 0.000000, 0.000000, 5.000000\n", true, 35},
        {"XyzzoZR", "Camera: 1.690000, 2.900000, 8.100000\n", true, 35},
        {"Xyzzor", "Camera: 1.690000, 2.900000, 8.100000\n", true, 35},
        {" ", "Camera: 1.690000, 2.900000, 8.100000\n", false, 0},
        {"  ", "Camera: 1.690000, 2.900000, 8.100000\n", true, 0},
        {"a", "Camera: 1.690000, 2.900000, 8.100000\n", true, 35},
        // Each step is rounded to single precision: 81 steps down miss 0.
        {std::string(81, 'z'), "Camera: 1.690000, 2.900000, 0.000005\n", true, 35},
        {std::string(100, 'z'), "Camera: 1.690000, 2.900000, -1.899995\n", true, 35},
    };
    for (const auto &c : cases) {
        std::string keys = c.keys.size() > 10 ? std::to_string(c.keys.size()) + " z" : c.keys;
        EXPECT_EQ(type_from_home(c.keys), c.line) << "keys '" << keys << "'";
        EXPECT_EQ(scene_state.use_push_pop, c.push_pop) << "keys '" << keys << "'";
        EXPECT_EQ(scene_state.angle_obj1, c.angle) << "keys '" << keys << "'";
        EXPECT_EQ(scene_state.angle_obj2, c.angle) << "keys '" << keys << "'";
        EXPECT_EQ(scene_state.timer_ms, 100u) << "keys '" << keys << "'";
    }
    // "R" restores the very floats the program started with.
    type_from_home("XyzR");
    EXPECT_EQ(scene_state.cam_x, home_eye.x);
    EXPECT_EQ(scene_state.cam_y, home_eye.y);
    EXPECT_EQ(scene_state.cam_z, home_eye.z);
}

// No key code is refused or crashes; keys outside the table change nothing.
TEST(Keyboard, EveryKeyCodeGetsExactlyOneReportLine)
{
    const std::string commands = " OoRrXxYyZz";
    for (int code = 0; code < 256; code++) {
        if (code == 27)
            continue;  // Esc ends the process: see below
        // After an "X", so a key that wrongly went home would show.
        std::string out = type_from_home(std::string("X") + static_cast<char>(code));
        EXPECT_EQ(out.find('\n'), out.size() - 1) << "key code " << code << ": " << out;
        if (commands.find(static_cast<char>(code)) == std::string::npos) {
            EXPECT_EQ(out, "Camera: 1.790000, 2.900000, 8.100000\n") << "key code " << code;
            EXPECT_TRUE(scene_state.use_push_pop) << "key code " << code;
        }
    }
}

// Esc prints nothing more, exits 0, and the lines printed before it still
// reach a file (fully buffered, like a pipe). The dying statement runs in a
// fresh copy of the test, so the file's name must not be random.
TEST(KeyboardDeathTest, EscExitsZeroAndFlushesEarlierLines)
{
    const char *path = "esc_report.txt";
    EXPECT_EXIT(
        {
            (void)freopen(path, "w", stdout);
            testkit::reset_scene();
            on_keyboard('X', 0, 0);
            on_keyboard(27, 0, 0);
        },
        testing::ExitedWithCode(0), "");
    std::ifstream report(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(report), {}),
              "Camera: 1.790000, 2.900000, 8.100000\n");
    std::remove(path);
}

}  // namespace
