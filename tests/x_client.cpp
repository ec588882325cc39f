// x_client.cpp - Xlib and XTEST for the tests that run the real programs.
#include "tests/x_client.h"

#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <string>
#include <thread>

namespace testkit {

Display *open_test_display()
{
    Display *dpy = XOpenDisplay(nullptr);
    int event, error, major, minor;
    if (dpy && !XTestQueryExtension(dpy, &event, &error, &major, &minor)) {
        XCloseDisplay(dpy);
        return nullptr;
    }
    return dpy;
}

namespace {

// GLUT does not record its process on the window, so the title must do:
// the newest (topmost) mapped window that has it.
Window find_window(Display *dpy, const char *title)
{
    Window root, parent, *children = nullptr, found = 0;
    unsigned int n = 0;
    XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &n);
    for (unsigned int i = n; i-- > 0 && !found;) {
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

}  // namespace

Window wait_for_window(Display *dpy, const char *title)
{
    for (int i = 0; i < 1000; i++) {
        if (Window w = find_window(dpy, title))
            return w;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
}

void focus(Display *dpy, Window window)
{
    XSetInputFocus(dpy, window, RevertToParent, CurrentTime);
    XSync(dpy, False);
}

void type_key(Display *dpy, KeySym sym)
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
}

picture window_image(Display *dpy, Window window)
{
    picture pic;
    XWindowAttributes attr;
    if (!XGetWindowAttributes(dpy, window, &attr))
        return pic;
    XImage *image = XGetImage(dpy, window, 0, 0, static_cast<unsigned>(attr.width),
                              static_cast<unsigned>(attr.height), AllPlanes, ZPixmap);
    if (!image)
        return pic;
    pic.width = attr.width;
    pic.height = attr.height;
    pic.data.resize(static_cast<size_t>(pic.width) * pic.height * 3);
    for (int y = 0; y < pic.height; y++)
        for (int x = 0; x < pic.width; x++) {
            unsigned long p = XGetPixel(image, x, y);
            unsigned char *out =
                &pic.data[(static_cast<size_t>(pic.height - 1 - y) * pic.width + x) * 3];
            out[0] = static_cast<unsigned char>((p & image->red_mask) >> 16);
            out[1] = static_cast<unsigned char>((p & image->green_mask) >> 8);
            out[2] = static_cast<unsigned char>(p & image->blue_mask);
        }
    XDestroyImage(image);
    return pic;
}

}  // namespace testkit
