// binary_test.cpp - the real quenlade as a user runs it: its window on the X
// display, keys typed through the X server (XTEST), the report lines on a
// pipe, and Esc ending it with status 0.
#include <gtest/gtest.h>
// After gtest: Xlib defines macros (None, Bool) that clash with its names.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <sys/wait.h>

#include <chrono>
#include <string>
#include <thread>

#include "tests/child_process.h"

namespace {

// The mapped top-level window with this exact title, or 0.
Window find_window(Display *dpy, const char *title)
{
    Window root_ret, parent, *children = nullptr, found = 0;
    unsigned int n = 0;
    XQueryTree(dpy, DefaultRootWindow(dpy), &root_ret, &parent, &children, &n);
    for (unsigned int i = 0; i < n && !found; i++) {
        char *name = nullptr;
        XWindowAttributes attr;
        if (XFetchName(dpy, children[i], &name) && name && std::string(name) == title &&
            XGetWindowAttributes(dpy, children[i], &attr) && attr.map_state == IsViewable) {
            found = children[i];
        }
        if (name)
            XFree(name);
    }
    if (children)
        XFree(children);
    return found;
}

Window wait_for_window(Display *dpy, const char *title)
{
    for (int i = 0; i < 500; i++) {
        if (Window w = find_window(dpy, title))
            return w;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
}

// Presses and releases the key for a keysym, with Shift where the keymap
// puts the symbol on the shifted level.
void type(Display *dpy, KeySym sym)
{
    KeyCode code = XKeysymToKeycode(dpy, sym);
    bool shifted = XkbKeycodeToKeysym(dpy, code, 0, 0) != sym;
    KeyCode shift = XKeysymToKeycode(dpy, XK_Shift_L);
    if (shifted)
        XTestFakeKeyEvent(dpy, shift, True, CurrentTime);
    XTestFakeKeyEvent(dpy, code, True, CurrentTime);
    XTestFakeKeyEvent(dpy, code, False, CurrentTime);
    if (shifted)
        XTestFakeKeyEvent(dpy, shift, False, CurrentTime);
    XSync(dpy, False);
}

class Binary : public testing::Test {
protected:
    void SetUp() override
    {
        dpy = XOpenDisplay(nullptr);
        ASSERT_NE(dpy, nullptr) << "no X display: run the tests through scripts/test";
        int ev, err, major, minor;
        ASSERT_TRUE(XTestQueryExtension(dpy, &ev, &err, &major, &minor)) << "no XTEST";
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
    Window win = wait_for_window(dpy, "Quenlade #2");
    ASSERT_NE(win, 0u) << "no mapped window titled \"Quenlade #2\" within 5 s";

    XWindowAttributes attr;
    XGetWindowAttributes(dpy, win, &attr);
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(dpy, win, DefaultRootWindow(dpy), 0, 0, &x, &y, &child);
    EXPECT_EQ(attr.width, 500);
    EXPECT_EQ(attr.height, 500);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 100);

    XSetInputFocus(dpy, win, RevertToParent, CurrentTime);
    XSync(dpy, False);
    const KeySym keys[] = {XK_X, XK_a, XK_Y, XK_o, XK_Z, XK_space, XK_r, XK_y, XK_Escape};
    for (KeySym k : keys) type(dpy, k);

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

}  // namespace
