// stress_test.cpp - the real quenlade under load and faults: a storm of
// typed keys, a storm of resizes, a window closed by the window manager, and
// a minute of animation. Bounded in time; ctest label "stress".
#include "tests/x_client.h"
// Xlib first (via x_client.h, after gtest); these need its types.
#include <X11/keysym.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/child_process.h"
#include "tests/view_model.h"

namespace {

using model::vec3;
using testkit::picture;

class Stress : public testing::Test {
protected:
    void SetUp() override
    {
        dpy = testkit::open_test_display();
        ASSERT_NE(dpy, nullptr) << "no X display with XTEST: run the tests through scripts/test";
        program = testkit::start_child({QUENLADE_BINARY});
        ASSERT_GT(program.pid, 0);
        window = testkit::wait_for_window(dpy, "Quenlade #2");
        ASSERT_NE(window, 0u) << "no window within 10 s";
    }
    void TearDown() override
    {
        testkit::kill_child(program);
        if (dpy)
            XCloseDisplay(dpy);
    }

    bool still_running()
    {
        return waitpid(program.pid, nullptr, WNOHANG) == 0;
    }

    Display *dpy = nullptr;
    testkit::child program;
    Window window = 0;
};

// 20,000 keys as fast as the X server takes them: every one answered, in
// order. The keys jump between two eye points (and some change nothing), so
// each report line tells which key it answers.
TEST_F(Stress, KeyStormLosesNothing)
{
    const char keys[] = "oOrRa 1+";
    const char *home = "Camera: 1.690000, 2.900000, 8.100000\n";
    const char *front = "Camera: 0.000000, 0.000000, 5.000000\n";
    std::mt19937 random(2026);
    std::uniform_int_distribution<int> pick(0, sizeof keys - 2);

    // Read while typing: a pipe that fills up would stall the program.
    std::string out;
    std::thread reader([&] { out = testkit::finish_child(program).out; });
    testkit::focus(dpy, window);
    std::string expected;
    const char *eye = home;
    for (int i = 0; i < 20000; i++) {
        char key = keys[pick(random)];
        testkit::type_key(dpy, key == ' ' ? XK_space : key == '+' ? XK_plus : KeySym(key));
        if (key == 'o' || key == 'O')
            eye = front;
        if (key == 'r' || key == 'R')
            eye = home;
        expected += eye;
        if (i % 500 == 0)
            XSync(dpy, False);
    }
    testkit::type_key(dpy, XK_Escape);
    XSync(dpy, False);
    reader.join();

    size_t same =
        std::mismatch(out.begin(), out.end(), expected.begin(), expected.end()).first - out.begin();
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 20000);
    EXPECT_TRUE(out == expected) << "report lines differ from line "
                                 << std::count(out.begin(), out.begin() + same, '\n') + 1;
}

TEST_F(Stress, ResizeStormLeavesAWorkingWindow)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> side(1, 2000);
    for (int i = 0; i < 300; i++) {
        int w = i == 0 ? 1 : i == 1 ? 2000 : side(random);
        int h = i == 0 ? 1 : i == 1 ? 2000 : side(random);
        XResizeWindow(dpy, window, static_cast<unsigned>(w), static_cast<unsigned>(h));
        XSync(dpy, False);
    }
    XResizeWindow(dpy, window, 500, 500);
    XSync(dpy, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // frames at the final size
    ASSERT_TRUE(still_running());
    picture pic = testkit::window_image(dpy, window);
    ASSERT_EQ(pic.width, 500);
    ASSERT_EQ(pic.height, 500);

    // Mode on from the home eye: wherever the animation is, the blue cube is
    // at (1.5, 1.5, 0), the grey one somewhere on its circle of radius 1, the
    // axes where they always are.
    auto seen_at = [&](const vec3 &p) {
        model::pixel_pos px = model::project(p, {1.69, 2.9, 8.1}, 500, 500);
        return pic.at(static_cast<int>(px.x), static_cast<int>(px.y));
    };
    bool grey_found = false;
    for (int a = 0; a <= 360; a += 5) {
        grey_found = grey_found || testkit::looks_grey(seen_at(model::turn_z({1, 0, 0}, a)));
    }
    testkit::rgb red = seen_at({2.5, 0, 0}), green = seen_at({0, 2.5, 0});
    EXPECT_TRUE(testkit::looks_blue(seen_at({1.5, 1.5, 0})));
    EXPECT_TRUE(grey_found) << "no grey cube on its circle";
    EXPECT_TRUE(red.r > 100 && red.g < 30 && red.b < 30) << testkit::describe(red);
    EXPECT_TRUE(green.g > 100 && green.r < 30 && green.b < 30) << testkit::describe(green);
    if (HasFailure())
        FAIL() << "window saved as " << testkit::save_png(pic, "after_resizes");
}

// Closing the window as a window manager does ends the process, and every
// report line printed before is kept.
TEST_F(Stress, WindowManagerCloseKeepsTheReport)
{
    testkit::focus(dpy, window);
    for (KeySym k : {XK_X, XK_y, XK_a}) testkit::type_key(dpy, k);
    XSync(dpy, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = window;
    close.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, window, False, NoEventMask, &close);
    XSync(dpy, False);

    testkit::child_result end = testkit::finish_child(program);
    EXPECT_TRUE(WIFEXITED(end.status)) << "wait status " << end.status;
    EXPECT_EQ(end.out,
              "Camera: 1.790000, 2.900000, 8.100000\n"
              "Camera: 1.790000, 2.800000, 8.100000\n"
              "Camera: 1.790000, 2.800000, 8.100000\n");
}

long resident_kib(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

TEST_F(Stress, AMinuteOfAnimationDoesNotGrow)
{
    std::this_thread::sleep_for(std::chrono::seconds(5));  // settled
    long before = resident_kib(program.pid);
    std::this_thread::sleep_for(std::chrono::seconds(60));
    long after = resident_kib(program.pid);
    ASSERT_TRUE(still_running());
    EXPECT_LE(after - before, 1024)
        << "resident memory grew from " << before << " KiB to " << after << " KiB";
}

}  // namespace
