// window_main.cpp - main of the suites that draw in a real GLUT window on
// Mesa (scene, steps): listing their tests, as the build does, needs no
// display; without one they skip with a note; else the window opens first.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/testkit.h"
#include "tools/frame_grab.h"

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    if (!display_opens()) {
        puts(testkit::skip_note(QUENLADE_SUITE, testkit::no_display).c_str());
        return testkit::skipped;
    }
    if (!open_scene_window(&argc, argv, "Quenlade #2 under test", 500, 500))
        return 1;
    return RUN_ALL_TESTS();
}
