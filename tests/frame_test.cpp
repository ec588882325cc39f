// frame_test.cpp - what on_display draws, probed in the real Mesa window.
//
// Where each cube and each piece of text should be is worked out here from
// the geometry of the scene and an independent camera model. On a failure
// the frame is saved as a PNG.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/scene_state.h"
#include "render/gl.h"
#include "tests/scene_window.h"
#include "tests/view_model.h"

namespace {

using model::vec3;
using testkit::rgb;

const vec3 home = {1.69, 2.9, 8.1};
const vec3 front = {0, 0, 5};

testkit::picture frame_with(bool push_pop, float angle, const vec3 &eye)
{
    testkit::reset_scene();
    scene_state.use_push_pop = push_pop;
    scene_state.angle_obj1 = scene_state.angle_obj2 = angle;
    scene_state.cam_x = static_cast<float>(eye.x);
    scene_state.cam_y = static_cast<float>(eye.y);
    scene_state.cam_z = static_cast<float>(eye.z);
    return testkit::draw_frame();
}

TEST(Frame, CubesAreWhereTheirTransformsPutThem)
{
    const struct {
        const char *name;
        bool push_pop;
        float angle;
        vec3 eye;
    } cases[] = {
        {"on_at_0", true, 0, home},          {"off_at_0", false, 0, home},
        {"off_at_90", false, 90, home},      {"on_at_90", true, 90, home},
        {"on_at_45_front", true, 45, front}, {"off_at_200_far", false, 200, {0, 0, 9}},
    };
    for (const auto &c : cases) {
        testkit::picture pic = frame_with(c.push_pop, c.angle, c.eye);
        // The grey cube circles the origin at radius 1. The blue one stays at
        // (1.5, 1.5) with push/pop; without, it rides in the grey cube's
        // turned frame, 1.5 further out and 1.5 up from it.
        vec3 blue_on = {1.5, 1.5, 0}, blue_off = model::turn_z({2.5, 1.5, 0}, c.angle);
        const struct {
            const char *what;
            vec3 at;
            bool (*expect)(rgb);
            bool want;
        } probes[] = {{"grey cube", model::turn_z({1, 0, 0}, c.angle), testkit::looks_grey, true},
                      {"blue cube", c.push_pop ? blue_on : blue_off, testkit::looks_blue, true},
                      {"blue cube of the other mode", c.push_pop ? blue_off : blue_on,
                       testkit::looks_blue, false}};
        for (const auto &p : probes) {
            model::pixel_pos px = model::project(p.at, c.eye, 500, 500);
            rgb seen = pic.at(static_cast<int>(px.x), static_cast<int>(px.y));
            EXPECT_EQ(p.expect(seen), p.want)
                << c.name << ": " << p.what << (p.want ? " expected" : " not expected")
                << " at pixel (" << px.x << ", " << px.y << "); observed "
                << testkit::describe(seen);
        }
        if (HasFailure())
            FAIL() << "frame saved as " << testkit::save_png(pic, c.name);
    }
}

bool any_light(rgb c)
{
    return c.r + c.g + c.b > 60;
}
bool white(rgb c)
{
    return c.r > 150 && c.g > 150 && c.b > 150;
}

// Text must start where its view puts it: the mode label at (-2, -2, 0) of
// the fixed label view, whatever the eye; the "Z" at (0, 0, 3), which the
// frontal view sees at the window's centre. The lowest lit row is the
// baseline; the leftmost lit column is the start plus the letter's margin.
TEST(Frame, TextStartsWhereItsViewPutsIt)
{
    // (-2, -2, 0) seen from (0, 0, 5) lands this many pixels from the corner.
    const double corner = model::project({-2, -2, 0}, front, 500, 500).x;
    const model::pixel_pos z_at_home = model::project({0, 0, 3}, home, 500, 500);
    const struct {
        bool push_pop;
        vec3 eye;
        double x, y;  // where the text starts
        int size;     // of the box searched, from there
        bool (*lit)(rgb);
        double baseline_slack = 1.5;  // pixels
    } cases[] = {
        {true, home, corner, corner, 20, any_light},
        {true, {20, 20, 20}, corner, corner, 20, any_light},  // all else beyond the far plane
        {true, {0.5, -3, 2}, corner, corner, 20, any_light},
        {false, front, corner, corner, 20, any_light},
        {false, home, corner, corner, 20, any_light},
        // The axes cross the centre too, but in colour: only the letter is white.
        {true, front, 250, 250, 70, white},
        // Seen from above, the letter's baseline runs down to the right.
        {true, home, z_at_home.x, z_at_home.y, 50, white, 3},
    };
    for (const auto &c : cases) {
        testkit::picture pic = frame_with(c.push_pop, 0, c.eye);
        int left = 9999, bottom = 9999, lit = 0;
        for (int y = static_cast<int>(c.y) - 8; y < c.y + c.size; y++)
            for (int x = static_cast<int>(c.x) - 5; x < c.x + c.size; x++) {
                if (!c.lit(pic.at(x, y)))
                    continue;
                left = std::min(left, x);
                bottom = std::min(bottom, y);
                lit++;
            }
        std::string where = "text at (" + std::to_string(c.x) + ", " + std::to_string(c.y) +
                            ") from eye (" + std::to_string(c.eye.x) + ", " +
                            std::to_string(c.eye.y) + ", " + std::to_string(c.eye.z) + ")";
        EXPECT_GT(lit, 20) << where;
        EXPECT_NEAR(bottom, c.y, c.baseline_slack) << where << ": baseline";
        EXPECT_GE(left, c.x - 1) << where << ": left edge";
        EXPECT_LE(left, c.x + 8) << where << ": left edge";
        if (HasFailure())
            FAIL() << "frame saved as " << testkit::save_png(pic, "text");
    }
}

}  // namespace
