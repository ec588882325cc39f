// keyboard_test.cpp - every key command, its report line and the float drift
// of long runs of eye steps. Expected lines are worked out by hand.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/callbacks.h"
#include "app/scene_state.h"
#include "tests/scene_window.h"

namespace {

std::string press(unsigned char key)
{
    return testkit::capture_stdout([key] { on_keyboard(key, 17, 23); });
}

struct key_case {
    unsigned char key;
    const char *line;  // report line from the home eye position
    bool toggles;      // flips push/pop and zeroes the angles
};

TEST(Keyboard, EachCommandChangesWhatItShouldAndReports)
{
    const key_case cases[] = {
        {'X', "Camera: 1.790000, 2.900000, 8.100000\n", false},
        {'x', "Camera: 1.590000, 2.900000, 8.100000\n", false},
        {'Y', "Camera: 1.690000, 3.000000, 8.100000\n", false},
        {'y', "Camera: 1.690000, 2.800000, 8.100000\n", false},
        // 8.1f + 0.1 rounds up to the float just above 8.2.
        {'Z', "Camera: 1.690000, 2.900000, 8.200001\n", false},
        {'z', "Camera: 1.690000, 2.900000, 8.000000\n", false},
        {'O', "Camera: 0.000000, 0.000000, 5.000000\n", false},
        {'o', "Camera: 0.000000, 0.000000, 5.000000\n", false},
        {'R', "Camera: 1.690000, 2.900000, 8.100000\n", false},
        {'r', "Camera: 1.690000, 2.900000, 8.100000\n", false},
        {' ', "Camera: 1.690000, 2.900000, 8.100000\n", true},
        {'a', "Camera: 1.690000, 2.900000, 8.100000\n", false},
    };
    for (const key_case &c : cases) {
        testkit::reset_scene();
        scene_state.angle_obj1 = scene_state.angle_obj2 = 35.0f;

        EXPECT_EQ(press(c.key), c.line) << "key '" << c.key << "'";
        EXPECT_EQ(scene_state.use_push_pop, !c.toggles) << "key '" << c.key << "'";
        float angle = c.toggles ? 0.0f : 35.0f;
        EXPECT_EQ(scene_state.angle_obj1, angle) << "key '" << c.key << "'";
        EXPECT_EQ(scene_state.angle_obj2, angle) << "key '" << c.key << "'";
        EXPECT_EQ(scene_state.timer_ms, 100u) << "key '" << c.key << "'";
    }
}

TEST(Keyboard, HomeKeyRestoresTheExactStartingEye)
{
    testkit::reset_scene();
    for (unsigned char key : {'X', 'y', 'z', 'z', 'o', 'Z'}) press(key);
    press('r');
    EXPECT_EQ(scene_state.cam_x, 1.69f);
    EXPECT_EQ(scene_state.cam_y, 2.9f);
    EXPECT_EQ(scene_state.cam_z, 8.1f);
}

TEST(Keyboard, TwoSpacesRestoreTheModeButKeepAnglesAtZero)
{
    testkit::reset_scene();
    scene_state.angle_obj1 = scene_state.angle_obj2 = 120.0f;
    press(' ');
    press(' ');
    EXPECT_TRUE(scene_state.use_push_pop);
    EXPECT_EQ(scene_state.angle_obj1, 0.0f);
    EXPECT_EQ(scene_state.angle_obj2, 0.0f);
}

// Each step is rounded to single precision, so 81 steps down from 8.1 miss 0.
TEST(Keyboard, EyeStepsDriftLikeFloats)
{
    testkit::reset_scene();
    std::string last;
    for (int i = 0; i < 81; i++) last = press('z');
    EXPECT_EQ(last, "Camera: 1.690000, 2.900000, 0.000005\n");
    for (int i = 0; i < 19; i++) last = press('z');
    EXPECT_EQ(last, "Camera: 1.690000, 2.900000, -1.899995\n");
}

// No key code is refused or crashes; keys outside the table change nothing.
TEST(Keyboard, EveryKeyCodeGetsExactlyOneReportLine)
{
    const std::string commands = " OoRrXxYyZz\x1b";
    for (int code = 0; code < 256; code++) {
        if (code == 27)
            continue;  // Esc ends the process: see below
        testkit::reset_scene();
        scene_state.cam_x = 0.25f;
        std::string out = press(static_cast<unsigned char>(code));
        EXPECT_EQ(out.find('\n'), out.size() - 1) << "key code " << code << ": " << out;
        if (commands.find(static_cast<char>(code)) == std::string::npos) {
            EXPECT_EQ(out, "Camera: 0.250000, 2.900000, 8.100000\n") << "key code " << code;
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
            freopen(path, "w", stdout);
            testkit::reset_scene();
            on_keyboard('X', 0, 0);
            on_keyboard(27, 0, 0);
        },
        testing::ExitedWithCode(0), "");

    FILE *f = fopen(path, "r");
    ASSERT_NE(f, nullptr);
    char buf[256] = {};
    size_t n = fread(buf, 1, sizeof buf - 1, f);
    fclose(f);
    remove(path);
    EXPECT_EQ(std::string(buf, n), "Camera: 1.790000, 2.900000, 8.100000\n");
}

}  // namespace
