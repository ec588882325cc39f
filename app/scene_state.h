// scene_state.h - the one record of everything the demo remembers.
//
// The GLUT callbacks in app/ write it, as do the capture tool and the tests
// to set the state they draw, the page's bridge (web/page_bridge.cpp) when a
// lab of the other mode switches the mode, and the recorder (steps/) while
// it learns the frame, which it then puts back; on_display only reads it. It is a plain record
// with static storage: zero until init_scene gives it its values.
#pragma once

struct scene {
    float cam_x;  // eye point of the main view, world units
    float cam_y;
    float cam_z;
    unsigned int timer_ms;  // interval between animation ticks
    bool use_push_pop;      // bracket each cube with a matrix push and pop?
    float angle_obj1;       // grey cube, degrees about the z axis
    float angle_obj2;       // blue cube, degrees about its own y axis
};

extern scene scene_state;

// Where the eye starts, and where "R" takes it back to.
struct eye_point {
    float x, y, z;
};
constexpr eye_point home_eye = {1.69f, 2.9f, 8.1f};
