// capture_test.cpp - quenlade-capture from the outside: its arguments, what
// it renders, its animations, and the README's committed pictures.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "tests/child_process.h"
#include "tests/picture.h"
#include "tests/view_model.h"

namespace {

using model::vec3;

testkit::child_result capture(std::vector<std::string> args, bool with_display = true)
{
    args.insert(args.begin(), QUENLADE_CAPTURE);
    if (!with_display)
        args.insert(args.begin(), {"/usr/bin/env", "-u", "DISPLAY"});
    testkit::child c = testkit::start_child(args);
    return testkit::finish_child(c);
}

bool exited_with(const testkit::child_result &r, int code)
{
    return WIFEXITED(r.status) && WEXITSTATUS(r.status) == code;
}

TEST(Capture, RefusesBadArgumentsWithOneLineAndTheUsage)
{
    const std::vector<std::vector<std::string>> cases = {
        {"--frobnicate", "a.png"},
        {"--angle", "ten", "a.png"},
        {"--angle", "1e999", "a.png"},
        {"--angle", "nan", "a.png"},
        {"--angle", "", "a.png"},
        {"--angle"},
        {"--size", "0x500", "a.png"},
        {"--size", "5000x10", "a.png"},
        {"--size", "500", "a.png"},
        {"--size", "-5x-5", "a.png"},
        {"--eye", "1,2", "a.png"},
        {"--eye", "1,2,3,4", "a.png"},
        {"--mode", "maybe", "a.png"},
        {"--turn", "a.png"},
        {"a.jpg"},
        {"a.png", "b.png"},
        {},
    };
    for (const auto &args : cases) {
        std::string call;
        for (const std::string &a : args) call += " '" + a + "'";
        testkit::child_result r = capture(args);
        EXPECT_TRUE(exited_with(r, 2)) << call << ": wait status " << r.status;
        EXPECT_EQ(r.err.rfind("quenlade-capture: ", 0), 0u) << call << ": " << r.err;
        EXPECT_EQ(r.err.find("\nusage: quenlade-capture"), r.err.find('\n'))
            << call << ": " << r.err;
        EXPECT_TRUE(r.out.empty()) << call;
    }
    testkit::child_result help = capture({"--help"});
    EXPECT_TRUE(exited_with(help, 0));
    EXPECT_EQ(help.out.rfind("usage: quenlade-capture", 0), 0u) << help.out;
}

// The state on the command line is the state drawn: cubes where the geometry
// of the mode puts them, in a window of the size asked for.
TEST(Capture, DrawsTheRequestedState)
{
    const vec3 eye = {0.5, 1, 9};
    for (bool with_display : {true, false}) {
        testkit::child_result r = capture({"--mode", "off", "--angle", "90", "--eye", "0.5,1,9",
                                           "--size", "400x300", "state.png"},
                                          with_display);
        ASSERT_TRUE(exited_with(r, 0)) << r.err;
        testkit::picture pic = testkit::load_png("state.png");
        ASSERT_EQ(pic.width, 400);
        ASSERT_EQ(pic.height, 300);

        const struct {
            const char *what;
            vec3 at;
            bool (*expect)(testkit::rgb);
        } probes[] = {{"grey cube", model::turn_z({1, 0, 0}, 90), testkit::looks_grey},
                      {"blue cube", model::turn_z({2.5, 1.5, 0}, 90), testkit::looks_blue}};
        for (const auto &p : probes) {
            model::pixel_pos px = model::project(p.at, eye, 400, 300);
            testkit::rgb seen = pic.at(static_cast<int>(px.x), static_cast<int>(px.y));
            EXPECT_TRUE(p.expect(seen))
                << (with_display ? "" : "private display: ") << p.what << " expected at (" << px.x
                << ", " << px.y << "), observed " << testkit::describe(seen);
        }
    }
}

// One turn is the program's 73 ticks of 100 ms: it starts and ends on frames
// that look alike, so it loops smoothly.
TEST(Capture, TurnIsOneLoopOf73Frames)
{
    ASSERT_TRUE(exited_with(capture({"--mode", "on", "--turn", "turn.gif"}), 0));
    ASSERT_TRUE(exited_with(capture({"--mode", "on", "--angle", "90", "at90.png"}), 0));
    std::vector<int> delays;
    std::vector<testkit::picture> frames = testkit::load_gif("turn.gif", &delays);
    ASSERT_EQ(frames.size(), 73u);
    EXPECT_EQ(delays, std::vector<int>(73, 10));
    EXPECT_EQ(testkit::count_differences(frames[0], frames[72]), 0) << "0 and 360 degrees";
    EXPECT_GT(testkit::count_differences(frames[0], frames[1]), 0) << "0 and 5 degrees";
    EXPECT_EQ(testkit::count_differences(frames[18], testkit::load_png("at90.png")), 0)
        << "frame 18 is 90 degrees";
}

// The README shows pictures from docs/; they must still be what the program
// draws. scripts/make-pictures renews them.
TEST(Capture, CommittedPicturesMatchTheProgram)
{
    for (const std::string mode : {"on", "off"}) {
        std::string name = "push-pop-" + mode;
        std::string committed = std::string(QUENLADE_SOURCE_DIR) + "/docs/" + name;
        ASSERT_TRUE(exited_with(capture({"--mode", mode, name + ".png"}), 0));
        ASSERT_TRUE(exited_with(capture({"--mode", mode, "--turn", name + ".gif"}), 0));

        int differences = testkit::count_differences(testkit::load_png(committed + ".png"),
                                                     testkit::load_png(name + ".png"));
        EXPECT_LE(differences, 40) << committed << ".png differs from the fresh " << name
                                   << ".png in the test folder: run scripts/make-pictures";

        std::vector<testkit::picture> old_turn = testkit::load_gif(committed + ".gif");
        std::vector<testkit::picture> new_turn = testkit::load_gif(name + ".gif");
        ASSERT_EQ(old_turn.size(), new_turn.size()) << committed << ".gif";
        for (size_t i = 0; i < new_turn.size(); i++) {
            EXPECT_LE(testkit::count_differences(old_turn[i], new_turn[i]), 40)
                << committed << ".gif, frame " << i << ": run scripts/make-pictures";
        }
    }
}

}  // namespace
