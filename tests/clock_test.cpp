// clock_test.cpp - the animation tick: 5 degrees a tick, 360 kept for one
// tick, then back to 0; and the tick re-arms itself.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <vector>

#include "app/callbacks.h"
#include "app/scene_state.h"
#include "render/gl.h"

#include <GL/freeglut.h>  // the tests run GLUT's loop a step at a time
#include "tests/scene_window.h"

namespace {

std::vector<float> ticks(int count)
{
    std::vector<float> seen;
    for (int i = 0; i < count; i++) {
        on_timer(0);
        EXPECT_EQ(scene_state.angle_obj1, scene_state.angle_obj2) << "after tick " << i + 1;
        seen.push_back(scene_state.angle_obj1);
    }
    return seen;
}

// 5, 10, ..., 355, 360, then 0 and on again: 73 ticks a turn.
TEST(Clock, OneTurnIs73TicksAndKeeps360ForOne)
{
    testkit::reset_scene();
    std::vector<float> expected;
    for (int i = 1; i <= 72; i++) expected.push_back(5.0f * i);
    expected.insert(expected.end(), {0, 5});
    EXPECT_EQ(ticks(74), expected);
}

TEST(Clock, SpaceBetweenTicksRestartsFromZero)
{
    testkit::reset_scene();
    ticks(30);
    on_keyboard(' ', 0, 0);
    EXPECT_EQ(ticks(1), std::vector<float>{5});
    EXPECT_FALSE(scene_state.use_push_pop);
}

// One tick arms the next: letting GLUT run for a few intervals keeps turning.
TEST(Clock, TickRearmsItself)
{
    testkit::reset_scene();
    on_timer(0);
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(450);
    while (std::chrono::steady_clock::now() < end) {
        glutMainLoopEvent();
        usleep(1000);
    }
    // Four more ticks at most (a second chain would double that), and at
    // least two even on a busy machine.
    EXPECT_GE(scene_state.angle_obj1, 15.0f);
    EXPECT_LE(scene_state.angle_obj1, 25.0f);
}

}  // namespace
