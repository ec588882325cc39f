// private_display.h - a virtual X display (Xvfb) of our own, for machines
// with no display of theirs.
#pragma once

#include <string>

// True when $DISPLAY names a display that can be opened.
bool display_available();

// Starts Xvfb on a free display number with a screen of at least
// width x height, and points $DISPLAY at it. Returns an empty string, or
// what went wrong.
std::string start_private_display(int width, int height);

// Stops the Xvfb started above, if any.
void stop_private_display();
