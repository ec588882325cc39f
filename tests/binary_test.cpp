// binary_test.cpp - the real quenlade as a user runs it: its window on the X
// display, keys typed through the X server (XTEST), the report lines on a
// pipe, Esc ending it with status 0, and how it fails without a display.
#include "tests/x_client.h"
// Xlib first (via x_client.h, after gtest); these need its types.
#include <X11/keysym.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "tests/child_process.h"

namespace {

class Binary : public testing::Test {
protected:
    void SetUp() override
    {
        dpy = testkit::open_test_display();
        ASSERT_NE(dpy, nullptr) << "no X display with XTEST: run the tests through scripts/test";
    }
    void TearDown() override
    {
        testkit::kill_child(program);
        if (dpy)
            XCloseDisplay(dpy);
    }

    Display *dpy = nullptr;
    testkit::child program;
};

TEST_F(Binary, OpensItsWindowAndAnswersTypedKeys)
{
    // Arguments GLUT does not know are left alone and do no harm.
    program = testkit::start_child({QUENLADE_BINARY, "--not-a-glut-option", "extra"});
    ASSERT_GT(program.pid, 0) << "could not start " << QUENLADE_BINARY;
    Window win = testkit::wait_for_window(dpy, "Quenlade #2");
    ASSERT_NE(win, 0u) << "no mapped window titled \"Quenlade #2\" within 10 s";

    XWindowAttributes attr;
    XGetWindowAttributes(dpy, win, &attr);
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(dpy, win, DefaultRootWindow(dpy), 0, 0, &x, &y, &child);
    EXPECT_EQ(attr.width, 500);
    EXPECT_EQ(attr.height, 500);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 100);

    testkit::focus(dpy, win);
    for (KeySym k : {XK_X, XK_a, XK_Y, XK_o, XK_Z, XK_space, XK_r, XK_y, XK_Escape}) {
        testkit::type_key(dpy, k);
    }
    XSync(dpy, False);

    testkit::child_result end = testkit::finish_child(program);
    EXPECT_TRUE(WIFEXITED(end.status) && WEXITSTATUS(end.status) == 0)
        << "wait status " << end.status << ", stderr: " << end.err;
    EXPECT_EQ(end.out,
              "Camera: 1.790000, 2.900000, 8.100000\n"  // X
              "Camera: 1.790000, 2.900000, 8.100000\n"  // a
              "Camera: 1.790000, 3.000000, 8.100000\n"  // Y
              "Camera: 0.000000, 0.000000, 5.000000\n"  // o
              "Camera: 0.000000, 0.000000, 5.100000\n"  // Z
              "Camera: 0.000000, 0.000000, 5.100000\n"  // space
              "Camera: 1.690000, 2.900000, 8.100000\n"  // r
              "Camera: 1.690000, 2.800000, 8.100000\n"  // y
    );
}

// Without a usable display, or with a GLUT option GLUT rejects, GLUT says so
// itself and the program ends with a failure status: no crash, no core.
TEST(BinaryFailures, GlutReportsWhatItCannotDo)
{
    const std::vector<std::vector<std::string>> cases = {
        {"/usr/bin/env", "-u", "DISPLAY", QUENLADE_BINARY},
        {QUENLADE_BINARY, "-display", ":4095"},
        {QUENLADE_BINARY, "-display"},
        {QUENLADE_BINARY, "-geometry"},
    };
    for (const auto &args : cases) {
        std::string call;
        for (const std::string &a : args) call += " " + a;
        testkit::child c = testkit::start_child(args);
        testkit::child_result r = testkit::finish_child(c);
        EXPECT_TRUE(WIFEXITED(r.status)) << call << ": wait status " << r.status;
        EXPECT_NE(WEXITSTATUS(r.status), 0) << call;
        EXPECT_NE(r.err.find("freeglut"), std::string::npos) << call << ": stderr " << r.err;
        EXPECT_TRUE(r.out.empty()) << call;
    }
}

}  // namespace
