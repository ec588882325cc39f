// x_client.h - driving a real program's window through the X server, as a
// user would: finding it, typing keys (XTEST), resizing it, looking at it.
#pragma once

#include <gtest/gtest.h>
// After gtest: Xlib defines macros (None, Bool) that clash with its names.
#include <X11/Xlib.h>

#include "tests/picture.h"

namespace testkit {

// The display of $DISPLAY with the XTEST extension, or null.
Display *open_test_display();

// The newest mapped top-level window with this title, waiting up to 10 s for
// it; 0 if none came. Tests that use it run alone (RUN_SERIAL).
Window wait_for_window(Display *dpy, const char *title);

// Gives the window the keyboard focus, so typed keys go to it.
void focus(Display *dpy, Window window);

// Presses and releases the key of a keysym, with Shift where the keymap puts
// the symbol on the shifted level. Does not wait for the server.
void type_key(Display *dpy, KeySym sym);

// What the X server shows in the window now.
picture window_image(Display *dpy, Window window);

}  // namespace testkit
