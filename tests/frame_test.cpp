// frame_test.cpp - what on_display draws, probed in the real Mesa window.
//
// Where each cube should be is worked out here from the geometry of the two
// modes and projected with an independent camera model; the frame must show
// the cube's colour there. On a failure the frame is saved as a PNG.
#include <gtest/gtest.h>

#include <cstdlib>
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

using testkit::describe;
using testkit::looks_blue;
using testkit::looks_grey;

testkit::picture frame_with(bool push_pop, float angle, vec3 eye)
{
    testkit::reset_scene();
    scene_state.use_push_pop = push_pop;
    scene_state.angle_obj1 = scene_state.angle_obj2 = angle;
    scene_state.cam_x = static_cast<float>(eye.x);
    scene_state.cam_y = static_cast<float>(eye.y);
    scene_state.cam_z = static_cast<float>(eye.z);
    return testkit::draw_frame();
}

struct cube_case {
    const char *name;
    bool push_pop;
    float angle;
    vec3 eye;
};

TEST(Frame, CubesAreWhereTheirTransformsPutThem)
{
    const cube_case cases[] = {
        {"on_at_0", true, 0, home},          {"off_at_0", false, 0, home},
        {"off_at_90", false, 90, home},      {"on_at_90", true, 90, home},
        {"on_at_45_front", true, 45, front}, {"off_at_200_far", false, 200, {0, 0, 9}},
    };
    for (const cube_case &c : cases) {
        testkit::picture pic = frame_with(c.push_pop, c.angle, c.eye);
        // The grey cube circles the origin at radius 1. The blue one stays at
        // (1.5, 1.5) with push/pop; without, it rides in the grey cube's
        // turned frame, 1.5 further out and 1.5 up from it.
        vec3 grey = model::turn_z({1, 0, 0}, c.angle);
        vec3 blue_on = {1.5, 1.5, 0};
        vec3 blue_off = model::turn_z({2.5, 1.5, 0}, c.angle);
        vec3 blue = c.push_pop ? blue_on : blue_off;
        vec3 not_blue = c.push_pop ? blue_off : blue_on;

        struct probe {
            const char *what;
            vec3 at;
            bool (*expect)(rgb);
            bool want;
        } probes[] = {{"grey cube", grey, looks_grey, true},
                      {"blue cube", blue, looks_blue, true},
                      {"blue cube of the other mode", not_blue, looks_blue, false}};
        bool ok = true;
        for (const probe &p : probes) {
            model::pixel_pos px = model::project(p.at, c.eye, 500, 500);
            rgb seen = pic.at(static_cast<int>(px.x), static_cast<int>(px.y));
            bool good = p.expect(seen) == p.want;
            ok = ok && good;
            EXPECT_TRUE(good) << c.name << ": " << p.what
                              << (p.want ? " expected" : " not expected") << " at pixel (" << px.x
                              << ", " << px.y << "), world (" << p.at.x << ", " << p.at.y << ", "
                              << p.at.z << "); observed " << describe(seen);
        }
        if (!ok)
            ADD_FAILURE() << "frame saved as " << testkit::save_png(pic, c.name);
    }
}

// Pixels of the label's first letter, which nothing else in these views
// reaches: lit, in the box from the window's corner to the letter's advance.
struct extent {
    int left = 9999, bottom = 9999, count = 0;
};
extent first_letter(const testkit::picture &pic, char letter)
{
    // The label view puts world units at 250 / (5 tan 22.5deg) pixels.
    double px_per_font_unit = 0.002 * 250.0 / (5.0 * std::tan(22.5 * model::pi / 180.0));
    int right = 9 + static_cast<int>(glutStrokeWidth(GLUT_STROKE_ROMAN, letter) * px_per_font_unit);
    extent e;
    for (int y = 0; y < 40; y++)
        for (int x = 0; x < right; x++) {
            rgb c = pic.at(x, y);
            if (c.r + c.g + c.b > 60) {
                e.left = std::min(e.left, x);
                e.bottom = std::min(e.bottom, y);
                e.count++;
            }
        }
    return e;
}

TEST(Frame, LabelSitsInTheLowerLeftWhateverTheEye)
{
    // (-2, -2, 0) seen from (0, 0, 5) lands 250 (1 - 2 / (5 tan 22.5deg)) px in.
    const double corner = 250.0 * (1.0 - 2.0 / (5.0 * std::tan(22.5 * model::pi / 180.0)));
    const vec3 eyes[] = {home, front, {20, 20, 20}, {0.5, -3, 2}};
    for (bool push_pop : {true, false}) {
        extent first;
        for (const vec3 &eye : eyes) {
            testkit::picture pic = frame_with(push_pop, 0, eye);
            extent e = first_letter(pic, push_pop ? 'u' : 's');
            std::string where = std::string(push_pop ? "usando" : "sem") + " from eye (" +
                                std::to_string(eye.x) + ", " + std::to_string(eye.y) + ", " +
                                std::to_string(eye.z) + ")";
            EXPECT_GT(e.count, 20) << where;
            EXPECT_NEAR(e.bottom, corner, 1.5) << where << ": baseline";
            EXPECT_GE(e.left, corner - 1) << where << ": left edge";
            EXPECT_LE(e.left, corner + 5) << where << ": left edge";
            if (first.count == 0)
                first = e;
            EXPECT_EQ(e.left, first.left) << where << ": the label moved with the eye";
            EXPECT_EQ(e.count, first.count) << where << ": the label moved with the eye";
            if (HasFailure()) {
                ADD_FAILURE() << "frame saved as " << testkit::save_png(pic, "label");
                return;
            }
        }
    }
}

// From the front the z axis is seen end-on: its letter starts at the centre.
TEST(Frame, FrontViewPutsZAtTheCentre)
{
    testkit::picture pic = frame_with(true, 0, front);
    int left = 9999, bottom = 9999, white = 0;
    for (int y = 245; y < 330; y++)
        for (int x = 245; x < 320; x++) {
            rgb c = pic.at(x, y);
            if (c.r > 150 && c.g > 150 && c.b > 150) {
                left = std::min(left, x);
                bottom = std::min(bottom, y);
                white++;
            }
        }
    EXPECT_GT(white, 30);
    EXPECT_NEAR(bottom, 250, 1.5) << "the Z's baseline";
    EXPECT_GE(left, 249) << "the Z starts at the centre";
    EXPECT_LE(left, 258) << "the Z starts at the centre";
    if (HasFailure())
        ADD_FAILURE() << "frame saved as " << testkit::save_png(pic, "front_z");
}

}  // namespace
