// callbacks.cpp - how the scene starts, and how time, keys and window
// resizes change it.
//
// These callbacks change scene_state (on_reshape the viewport and the
// projection) and leave the drawing to on_display.
#include "app/callbacks.h"

#include <cstdio>
#include <cstdlib>

#include "app/scene_state.h"
#include "render/gl.h"

// The arithmetic on the float fields is done in double precision and stored
// back into the float, so long runs of eye steps drift the way floats do.
static const double eye_step = 0.1;     // world units per key press
static const double angle_step = 5.0;   // degrees per tick
static const double full_turn = 360.0;  // degrees

static const eye_point front_eye = {0.0f, 0.0f, 5.0f};

static const int key_escape = 27;
static const int key_space = 32;

void init_scene()
{
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_DEPTH_TEST);

    scene_state.angle_obj2 = 0.0f;
    scene_state.angle_obj1 = scene_state.angle_obj2;
    scene_state.use_push_pop = true;
    scene_state.timer_ms = 100;
    scene_state.cam_x = home_eye.x;
    scene_state.cam_y = home_eye.y;
    scene_state.cam_z = home_eye.z;
}

void on_reshape(int width, int height)
{
    glViewport(0, 0, width, height);

    // The aspect ratio stays 1 whatever the window's shape: a wide window
    // stretches the picture instead of showing more of the scene.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.0, 1.0, 10.0);
}

// Adds one step to an angle, and starts over once it is past a full turn.
// 360 itself is kept for one tick: the sequence runs ..., 355, 360, 0, 5, ...
static float advance_angle(float angle)
{
    angle = static_cast<float>(angle + angle_step);
    if (angle > full_turn) {
        angle = 0.0f;
    }
    return angle;
}

void on_timer(int /*value*/)
{
    // Re-arm first, so each interval counts from the start of this tick.
    glutTimerFunc(scene_state.timer_ms, on_timer, 0);

    scene_state.angle_obj1 = advance_angle(scene_state.angle_obj1);
    scene_state.angle_obj2 = advance_angle(scene_state.angle_obj2);

    glutPostRedisplay();
}

static float step_by(float value, double step)
{
    return static_cast<float>(value + step);
}

void on_keyboard(unsigned char key, int /*mouse_x*/, int /*mouse_y*/)
{
    switch (key) {
    case key_escape: exit(0);  // a normal end: nothing printed, status 0
    case key_space:
        // A new mode starts its animation from angle 0.
        scene_state.angle_obj2 = 0.0f;
        scene_state.angle_obj1 = 0.0f;
        scene_state.use_push_pop = !scene_state.use_push_pop;
        break;
    case 'O':
    case 'o':
        scene_state.cam_y = front_eye.y;
        scene_state.cam_x = front_eye.x;
        scene_state.cam_z = front_eye.z;
        break;
    case 'R':
    case 'r':
        scene_state.cam_x = home_eye.x;
        scene_state.cam_y = home_eye.y;
        scene_state.cam_z = home_eye.z;
        break;
    case 'X': scene_state.cam_x = step_by(scene_state.cam_x, +eye_step); break;
    case 'x': scene_state.cam_x = step_by(scene_state.cam_x, -eye_step); break;
    case 'Y': scene_state.cam_y = step_by(scene_state.cam_y, +eye_step); break;
    case 'y': scene_state.cam_y = step_by(scene_state.cam_y, -eye_step); break;
    case 'Z': scene_state.cam_z = step_by(scene_state.cam_z, +eye_step); break;
    case 'z': scene_state.cam_z = step_by(scene_state.cam_z, -eye_step); break;
    default: break;  // any other key only reports
    }

    printf("Camera: %f, %f, %f\n", static_cast<double>(scene_state.cam_x),
           static_cast<double>(scene_state.cam_y), static_cast<double>(scene_state.cam_z));
    glutPostRedisplay();
}
