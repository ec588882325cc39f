// challenges_test.cpp - challenges (steps/challenges.h) on Mesa: the cubes
// as GL places them against a turning model of the test's own, every
// built-in and seeded challenge solved by its solution and not by its
// start, the matcher at its edges, and links as students paste them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>

#include "steps/challenges.h"
#include "steps/frame_steps.h"
#include "steps/lab.h"
#include "tests/testkit.h"

namespace {

using testkit::pi;
using testkit::vec3;

vec3 turn_y(const vec3 &p, double deg)
{
    double c = std::cos(deg * pi / 180), s = std::sin(deg * pi / 180);
    return {p.x * c + p.z * s, p.y, -p.x * s + p.z * c};
}

void expect_at(const cube_place &got, const vec3 &origin, const vec3 axes[3], const char *which)
{
    const vec3 at = {got.origin[0], got.origin[1], got.origin[2]};
    EXPECT_NEAR(at.x, origin.x, 1e-4) << which;
    EXPECT_NEAR(at.y, origin.y, 1e-4) << which;
    EXPECT_NEAR(at.z, origin.z, 1e-4) << which;
    for (size_t k = 0; k < 3; k++) {
        EXPECT_NEAR(got.axes[k][0], axes[k].x, 1e-4) << which << " axis " << k;
        EXPECT_NEAR(got.axes[k][1], axes[k].y, 1e-4) << which << " axis " << k;
        EXPECT_NEAR(got.axes[k][2], axes[k].z, 1e-4) << which << " axis " << k;
    }
}

// The program's own frame, from GL, against the scene's geometry: with
// push/pop the grey cube at (cos a, sin a, 0) turned by a about z, the blue
// at (1.5, 1.5, 0) turned by a about y; without, the blue at (2.5, 1.5, 0)
// turned by a about z, and turned by a about z and then about its own y.
TEST(Challenges, CubesStandWhereTheProgramPutsThem)
{
    for (double a : {0.0, 30.0, 45.0, 90.0, 200.0}) {
        for (bool push_pop : {true, false}) {
            SCOPED_TRACE((push_pop ? "with push/pop at " : "without at ") + std::to_string(a));
            std::vector<cube_place> cubes = cubes_drawn(nullptr, push_pop, static_cast<float>(a));
            ASSERT_EQ(cubes.size(), 2u);
            const vec3 unit[3] = {{0.5, 0, 0}, {0, 0.5, 0}, {0, 0, 0.5}};
            vec3 grey[3], blue[3];
            for (int k = 0; k < 3; k++) {
                grey[k] = testkit::turn_z(unit[k], a);
                blue[k] = push_pop ? turn_y(unit[k], a) : testkit::turn_z(turn_y(unit[k], a), a);
            }
            expect_at(cubes[0], testkit::turn_z({1, 0, 0}, a), grey, "grey");
            expect_at(cubes[1], push_pop ? vec3{1.5, 1.5, 0} : testkit::turn_z({2.5, 1.5, 0}, a),
                      blue, "blue");
        }
    }
}

// Every challenge is solved by each of its solutions, as GL draws them at
// its angle, and by none of its starts; each solution's numbers on the
// lab's grid within its bounds, and read back as the mode's calls; seeded
// ones the same from the same seed, of at most the edits their level says.
TEST(Challenges, SolutionsSolveAndStartsDoNot)
{
    ASSERT_GE(challenge_count(), 12);
    std::vector<challenge> all;
    for (int n = 1; n <= challenge_count(); n++) {
        all.emplace_back();
        ASSERT_TRUE(builtin_challenge(n, all.back())) << n;
    }
    bool edited_size = false, swapped = false;
    for (int level = 1; level <= 3; level++) {
        for (uint32_t seed = 0; seed < 100; seed++) {
            challenge c, again;
            ASSERT_TRUE(seeded_challenge(seed * 7919, level, c) &&
                        seeded_challenge(seed * 7919, level, again));
            EXPECT_TRUE(lab_text(c.solutions[0]) == lab_text(again.solutions[0]) &&
                        c.angle == again.angle && c.fewest <= level)
                << c.id;
            // Without a swap, no more changes than the numbers and switches
            // that differ, counted from the calls as written.
            int differ = 0;
            bool in_place = true;
            for (size_t k = 0; k < c.start.calls.size(); k++) {
                const std::string a = lab_entry(c.start.calls[k]),
                                  b = lab_entry(c.solutions[0].calls[k]);
                const size_t name_a = a.find_first_not_of('-'), name_b = b.find_first_not_of('-');
                in_place &=
                    a.compare(name_a, a.find('(') - name_a, b, name_b, b.find('(') - name_b) == 0;
                std::istringstream x(a.substr(a.find('('))), y(b.substr(b.find('(')));
                differ += name_a != name_b;
                for (std::string p, q; std::getline(x, p, ',') && std::getline(y, q, ',');)
                    differ += p != q;
            }
            EXPECT_TRUE(!in_place || c.fewest == std::min(differ, level)) << c.id << " " << differ;
            for (const lab_call &call : c.solutions[0].calls)
                edited_size |= call.kind == lab_call::cube && call.n[0] != 0.5;
            swapped |= !in_place;
            all.push_back(c);
        }
    }
    // Their edits reach a cube's size, and the order of the calls.
    EXPECT_TRUE(edited_size && swapped);
    for (const challenge &c : all) {
        SCOPED_TRACE("challenge " + c.id + ": " + c.goal[0]);
        EXPECT_TRUE(!c.goal[0].empty() && !c.goal[1].empty() && c.goal[0] != c.goal[1] &&
                    c.fewest >= 1);
        const std::vector<cube_place> target = target_places(c);
        ASSERT_EQ(target.size(), 2u);
        for (const lab &solution : c.solutions) {
            EXPECT_TRUE(
                compare_places(cubes_drawn(&solution, solution.push_pop, c.angle), target).matches)
                << lab_text(solution);
            lab read;
            EXPECT_EQ(read_lab(lab_text(solution), read), "");
            for (const lab_call &call : solution.calls) {
                for (int j = 0; j < number_count(call.kind); j++) {
                    const number_rule rule = rule_of(call.kind, j);
                    const double steps = call.n[j] / rule.step;
                    EXPECT_TRUE((call.angle && j == 0) ||
                                (std::fabs(steps - std::round(steps)) < 1e-6 &&
                                 call.n[j] >= rule.low && call.n[j] <= rule.high))
                        << lab_entry(call);
                }
            }
        }
        EXPECT_FALSE(
            compare_places(cubes_drawn(&c.start, c.start.push_pop, c.angle), target).matches)
            << lab_text(c.start);
    }
}

// Within 0.01 of the target and 1 degree of its axes, axes within 0.01 of
// their length: 0.009 and 0.9 match, 0.011 and 1.1 do not; neither does a
// frame with a cube fewer.
TEST(Challenges, MatchingHoldsItsTolerances)
{
    const cube_place base = {{1, 2, 0}, {{{0.5, 0, 0}, {0, 0.5, 0}, {0, 0, 0.5}}}};
    const struct {
        double shift, degrees, longer;
        bool matches;
    } cases[] = {{0, 0, 0, true},      {0.009, 0, 0, true}, {0.011, 0, 0, false},
                 {0, 0.9, 0, true},    {0, 1.1, 0, false},  {0, 0, 0.009, true},
                 {0, 0, 0.011, false}, {0, -1.1, 0, false}, {-0.011, 0, 0, false}};
    for (const auto &c : cases) {
        cube_place moved = base;
        const double r = c.degrees * pi / 180;
        for (auto &axis : moved.axes) {
            // Turned about (0, 0.6, 0.8), so every axis turns, and lengthened.
            const vec3 v = {axis[0], axis[1], axis[2]}, n = {0, 0.6, 0.8};
            const double d = testkit::dot(n, v), s = 1 + c.longer / 0.5;
            const vec3 cross = {n.y * v.z - n.z * v.y, n.z * v.x - n.x * v.z,
                                n.x * v.y - n.y * v.x};
            axis = {s * (v.x * std::cos(r) + cross.x * std::sin(r) + n.x * d * (1 - std::cos(r))),
                    s * (v.y * std::cos(r) + cross.y * std::sin(r) + n.y * d * (1 - std::cos(r))),
                    s * (v.z * std::cos(r) + cross.z * std::sin(r) + n.z * d * (1 - std::cos(r)))};
        }
        moved.origin = {1 + c.shift * 0.6, 2 + c.shift * 0.8, 0};
        const places_compared m = compare_places({base, moved}, {base, base});
        EXPECT_EQ(m.matches, c.matches) << c.shift << " " << c.degrees << " " << c.longer;
        EXPECT_NEAR(m.cubes[1].distance, std::fabs(c.shift), 1e-9);
        EXPECT_NEAR(m.cubes[1].degrees, std::fabs(c.degrees), 1e-6);
    }
    EXPECT_FALSE(compare_places({base}, {base, base}).matches);
}

// Links as a browser's address bar gives them, and what each names; text
// that cannot be read is refused with where, counted in the text as given.
// Each built-in challenge's target stands where its goal's words put it: a
// cube's centre (to the words' two decimals), or its size; where a goal
// gives no number, where the test's own turning model puts the cube.
TEST(Challenges, TargetsStandWhereTheGoalsSay)
{
    const double r2 = std::sqrt(0.5);
    const struct {
        int n, cube;  // 0 the grey, 1 the blue
        vec3 at;
        double size;  // 0: as the program's, 0.5
    } cases[] = {
        {1, 1, {-1.5, 1.5, 0}, 0},    {2, 0, {0, 1, 0}, 0},
        {3, 0, {1, 0, 0}, 0},         {4, 1, {1.5, 1.5, 0}, 0},
        {5, 1, {1.5, 1.5, 0}, 0},     {6, 1, {0.71, 2.83, 0}, 0},
        {7, 0, {0, -1, 0}, 0},        {8, 1, {1.5, 2.5, 0}, 0},
        {9, 0, {1, 0, 0}, 0},         {10, 1, testkit::turn_z({2.5, 1.5, 0}, 45), 0},
        {11, 0, {1, 0, 0}, 1},        {11, 1, {1.5, 1.5, 0}, 0.2},
        {12, 1, {-1.55, 1.42, 0}, 0}, {13, 0, {0, 1, 0}, 0.3},
        {13, 1, {-1.5, 1.5, 0}, 0.8},
    };
    for (const auto &c : cases) {
        challenge ch;
        ASSERT_TRUE(builtin_challenge(c.n, ch)) << c.n;
        const std::vector<cube_place> target = target_places(ch);
        ASSERT_EQ(target.size(), 2u) << c.n;
        const cube_place &cube = target[static_cast<size_t>(c.cube)];
        const double tolerance = 0.006;
        EXPECT_NEAR(cube.origin[0], c.at.x, tolerance) << "challenge " << c.n << ": " << ch.goal[0];
        EXPECT_NEAR(cube.origin[1], c.at.y, tolerance) << "challenge " << c.n << ": " << ch.goal[0];
        EXPECT_NEAR(cube.origin[2], c.at.z, tolerance) << "challenge " << c.n << ": " << ch.goal[0];
        const auto &x = cube.axes[0];
        EXPECT_NEAR(std::hypot(x[0], x[1], x[2]), c.size ? c.size : 0.5, 1e-4)
            << "challenge " << c.n;
    }
    // Challenge 3 and 9: turned 45 degrees where it stands.
    for (int n : {3, 9}) {
        challenge ch;
        ASSERT_TRUE(builtin_challenge(n, ch));
        const std::vector<cube_place> target = target_places(ch);
        const auto &x = target[0].axes[0];
        EXPECT_NEAR(x[0], 0.5 * r2, 1e-4) << n;
        EXPECT_NEAR(x[1], 0.5 * r2, 1e-4) << n;
    }
}

// A teacher's goal, whatever its signs, comes back from its link as typed.
TEST(Challenges, AGoalComesBackFromItsLink)
{
    challenge_link link, back;
    link.target =
        "glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);glTranslatef(1.5,1.5,0);"
        "glRotatef(a2,0,1,0);glutSolidCube(0.5)";
    link.angle_given = true;
    link.angle = 30;
    link.goal = "Turn & shift: 50% \"more\" #1 (a+b) = é?";
    ASSERT_EQ(read_link("http://host/index.html#" + link_text(link), back), "");
    EXPECT_EQ(back.goal, link.goal);
    EXPECT_EQ(back.target, link.target);
    EXPECT_EQ(back.angle, 30);
}

TEST(Challenges, LinksAreReadAsCopied)
{
    const std::string calls =
        "glPushMatrix();glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);glPopMatrix();"
        "glTranslatef(1.5,1.5,0);glPushMatrix();glRotatef(a2,0,1,0);glutSolidCube(0.5);"
        "glPopMatrix()";
    const std::string page = "http://host/index.html?lang=pt-BR#";
    const struct {
        std::string text, error;  // "" for none
        int challenge, level;
        std::string target, goal;
    } cases[] = {
        {page + calls + "&challenge=3", "", 3, 0, "", ""},
        {page + "glPushMatrix()%3BglRotatef(a1%2C0%2C0%2C1)%3BglTranslatef(1,0,0);glutSolidCube("
                "0.5);glPopMatrix();glTranslatef(1.5,1.5,0);glPushMatrix();glRotatef(a2,0,1,0);"
                "glutSolidCube(0.5);glPopMatrix()&seed=4294967295&level=2",
         "", 0, 2, "", ""},
        {page + "glPushMatrix()%3bglRotatef(a1%2c0%2c0%2c1)%3bglTranslatef(1,0,0);glutSolidCube("
                "0.5);glPopMatrix();glTranslatef(1.5,1.5,0);glPushMatrix();glRotatef(a2,0,1,0);"
                "glutSolidCube(0.5);glPopMatrix()&challenge=2",
         "", 2, 0, "", ""},
        {"challenge=13", "", 13, 0, "", ""},
        {"#&target=" + calls + "&angle=30&goal=Gire%20o%20cubo%20cinza", "", 0, 0, calls,
         "Gire o cubo cinza"},
        {page + "glPushMatrix(%3B", "character 48: expected \")\"", 0, 0, "", ""},
        {"#&target=glPopMatrix(", "character 22: expected \")\"", 0, 0, "", ""},
        {"#&challenge=14", "character 13: expected a challenge from 1 to 13", 0, 0, "", ""},
        {"#&challenge=3&seed=1&level=1", "character 15: expected one of challenge=", 0, 0, "", ""},
        {"challenge=3&level=1&seed=1", "character 13: expected one of challenge=", 0, 0, "", ""},
        {"#&seed=1", "character 9: expected level= with seed=", 0, 0, "", ""},
        {"#&challenge=3&angle=30", "character 15: expected angle= only with target=", 0, 0, "", ""},
        {"#&challenge=3&lang=pt", "character 15: expected challenge=, seed=", 0, 0, "", ""},
        {"#&challenge=3&challenge=4", "character 15: expected each part once", 0, 0, "", ""},
        {"#&challenge=%3", "character 13: expected two hexadecimal digits", 0, 0, "", ""},
        {"#&target=" + calls + "&goal=%0Ab", "character 195: expected words on one line", 0, 0, "",
         ""},
    };
    for (const auto &c : cases) {
        challenge_link link;
        const std::string error = read_link(c.text, link);
        EXPECT_EQ(error.substr(0, c.error.size()), c.error) << c.text << ": " << error;
        EXPECT_EQ(error.empty(), c.error.empty()) << c.text << ": " << error;
        if (!c.error.empty())
            continue;
        EXPECT_TRUE(link.challenge == c.challenge && link.level == c.level &&
                    link.target == c.target && link.goal == c.goal)
            << c.text;
        EXPECT_EQ(link.calls.empty(), c.text.find("#g") == std::string::npos) << c.text;
    }
}

}  // namespace
