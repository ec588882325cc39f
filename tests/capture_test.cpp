// capture_test.cpp - quenlade-capture as a user runs it: its arguments, the
// state it draws, with a display and without, its looping animation, and the
// README's committed pictures.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "tests/testkit.h"

namespace {

// Runs the tool; returns its exit status and what it
// printed on standard output and error together.
std::pair<int, std::string> capture(const std::string &args, const char *env = "")
{
    std::string command = std::string(env) + " " QUENLADE_CAPTURE " " + args + " 2>&1", out;
    FILE *pipe = popen(command.c_str(), "r");
    for (int c; (c = fgetc(pipe)) != EOF;) out += static_cast<char>(c);
    int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

// Each wrong argument gets one line that says which, what was given and what
// is accepted (its start here), and status 2. Numbers are decimal numbers;
// an option is given once. A file that cannot be written where OUTPUT says
// is found before anything is drawn, with one line and status 1.
TEST(Capture, RefusesBadArgumentsWithOneLine)
{
    const struct {
        const char *args, *line;
        int status = 2;
    } cases[] = {
        {"--mode of a.png", "--mode of: the mode must be on or off"},
        {"--angle 400 a.png", "--angle 400: the angle must be a decimal number from 0 to 360"},
        {"--angle 0x10 a.png", "--angle 0x10: the angle must be"},
        {"a.png --angle", "--angle without a value: the angle must be"},
        {"--eye 1,nan,3 a.png", "--eye 1,nan,3: the eye point must be three decimal numbers"},
        {"--eye 1,2,3,4 a.png", "--eye 1,2,3,4: the eye point must be three"},
        {"--eye 0,-4.5,0 a.png",
         "--eye 0,-4.5,0: the eye point must be off the y axis, where "
         "the view has no sides; try 0,-4.5,0.01"},
        {"--size 5000x10 a.png",
         "--size 5000x10: the size must be WxH, two whole numbers of "
         "pixels from 1 to 4096"},
        {"--size 10x4097 a.png", "--size 10x4097: the size must be WxH"},
        {"--turn --steps a.gif", "--turn with --steps: give one of them"},
        {"--json a.png", "--json without --steps: it lists the steps"},
        {"--turn a.png", "a.png: --turn writes an animation, so OUTPUT must end in .gif"},
        {"a.jpg", "a.jpg: OUTPUT must end in .png or .gif"},
        {"--mode on", "no OUTPUT: name the .png or .gif file to write"},
        {"a.png b.png", "b.png: one output file at a time, and a.png is given"},
        {"--frob a.png", "--frob: no such option (see --help)"},
        {"--calls 'glRotatef(a1,0,0,1);glTranslatef(1,0,0' a.png",
         "--calls: character 39: expected \")\", found the end"},
        {"--target challenge=1 --calls ''", "--calls: character 1: expected a call"},
        {"--mode on --calls 'glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);"
         "glTranslatef(1.5,1.5,0);glRotatef(a2,0,1,0);glutSolidCube(0.5)' a.png",
         "--mode on with --calls: the calls are those without push/pop, mode off: leave --mode"},
        {"--angle 45 --angle 90 a.png", "--angle 45 --angle 90: an option may be given only once"},
        {"--turn --turn a.gif", "--turn --turn: an option may be given only once"},
        {"--turn=yes a.gif", "--turn with a value: it takes none"},
        // A sheet larger than common viewers show is refused, with the
        // largest size of the shape asked that is accepted.
        {"--steps --size 4000x4000 x.png",
         "--size 4000x4000: a sheet of 10 steps would be 20096x8160 pixels, more than the 16384 a "
         "side that common viewers show: at most --size 3257x3257 in that shape"},
        {"--steps --size 4000x1000 x.png",
         "--size 4000x1000: a sheet of 10 steps would be "
         "20096x2160 pixels, more than the 16384 a side that "
         "common viewers show: at most --size 3257x814 in"},
        {"--steps --size 4000x3999 x.png",
         "--size 4000x3999: a sheet of 10 steps would be "
         "20096x8158 pixels, more than the 16384 a side that "
         "common viewers show: at most --size 3257x3256 in"},
        {"--target challenge=99", "--target: character 11: expected a challenge from 1 to"},
        {"--target challenge=3 --angle 30",
         "--angle 30 with --target: the challenge holds its own angle"},
        {"--target challenge=3 --steps", "--steps without OUTPUT: checking --target draws"},
        {"--steps x/y/z.png", "cannot write x/y/z.png: the folder x/y does not exist", 1},
        {"--turn x/y.gif", "cannot write x/y.gif: the folder x does not exist", 1},
        {"/proc/a.png", "cannot write /proc/a.png: the folder /proc takes no new file", 1},
    };
    for (const auto &c : cases) {
        auto [status, out] = capture(c.args);
        EXPECT_EQ(status, c.status) << c.args;
        EXPECT_TRUE(out.rfind("quenlade-capture: " + std::string(c.line), 0) == 0 &&
                    out.find('\n') == out.size() - 1)
            << c.args << ": " << out;
    }
}

// The virtual X servers that xvfb-run started with TMPDIR in folder, each
// with its command line, the arguments separated by spaces.
std::vector<std::pair<pid_t, std::string>> servers_under(const std::string &folder)
{
    namespace fs = std::filesystem;
    std::vector<std::pair<pid_t, std::string>> found;
    std::error_code error;
    for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error)) {
        std::string pid = it->path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream file(it->path() / "cmdline");
        std::string args(std::istreambuf_iterator<char>(file), {});
        std::replace(args.begin(), args.end(), '\0', ' ');
        if (args.rfind("Xvfb ", 0) == 0 && args.find(" " + folder + "/") != std::string::npos)
            found.emplace_back(std::stoi(pid), args);
    }
    return found;
}

// Makes folder a small file system of its own, 16 KiB of tmpfs, that only
// this process and those it starts see (a mount namespace of their own, gone
// with them). False where it may not: neither root nor allowed a user
// namespace, as in a container.
bool mount_small_disk(const char *folder)
{
    static const bool own_mounts = [] {
        if (unshare(CLONE_NEWNS) != 0) {
            // As root of a user namespace of its own, mapped to who it is.
            const std::string uid = std::to_string(geteuid()), gid = std::to_string(getegid());
            if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
                return false;
            std::ofstream("/proc/self/setgroups") << "deny";
            std::ofstream("/proc/self/uid_map") << "0 " + uid + " 1";
            std::ofstream("/proc/self/gid_map") << "0 " + gid + " 1";
        }
        return mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    }();
    return own_mounts && mount("tmpfs", folder, "tmpfs", 0, "size=16k") == 0;
}

// A file appears whole or not at all: a good file of that name stays as it
// was, byte for byte, and nothing else is left beside it, when the write
// fails (over a 1 KiB limit, on a full disk, or when the X server goes
// away) and when the tool is stopped by a signal while it writes a large
// turn over it, to it or to its process group (Ctrl+C or a hang-up in a
// terminal), on the display or on the virtual one it starts without, which
// leaves nothing behind either: no folder of xvfb-run's, no Xvfb, and no
// word of theirs. Under nohup a hang-up to the group changes nothing: the
// new file is written whole. A failed write says why in one line.
TEST(Capture, NeverLeavesHalfAFile)
{
    namespace fs = std::filesystem;
    enum ending {
        size_limit,    // its writes pass the limit of `ulimit -f`
        full_disk,     // its file system is full
        signal,        // a signal to the tool
        group_signal,  // a signal to its process group
        nohup_hangup,  // SIGHUP to its group, started under nohup: it writes on
        display_lost,  // its virtual X server is stopped while it writes
    };
    const char *const no_display = "env -u DISPLAY ";
    const std::string good = "a good file\n", tmp = fs::absolute("tmp").string();
    const struct {
        const char *args;
        ending how;
        int signal;
        const char *env, *message;
    } cases[] = {
        {"big.png", size_limit, 0, "",
         "cannot write big.png: larger than the limit on the size of files (ulimit -f)"},
        {"--turn big.gif", size_limit, 0, "",
         "cannot write big.gif: larger than the limit on the size of files (ulimit -f)"},
        {"--size 2000x2000 big.png", full_disk, 0, "",
         "cannot write big.png: no space left on the device"},
        {"--turn big.gif", full_disk, 0, "", "cannot write big.gif: no space left on the device"},
        {"--turn --size 2000x2000 big.gif", signal, SIGINT, "", ""},
        {"--turn --size 2000x2000 big.gif", signal, SIGTERM, "", ""},
        {"--turn --size 2000x2000 big.gif", signal, SIGHUP, "", ""},
        {"--turn --size 2000x2000 big.gif", signal, SIGTERM, no_display, ""},
        {"--turn --size 2000x2000 big.gif", signal, SIGINT, no_display, ""},
        {"--turn --size 2000x2000 big.gif", group_signal, SIGINT, no_display, ""},
        {"--turn --size 2000x2000 big.gif", group_signal, SIGHUP, no_display, ""},
        {"--turn --size 2000x2000 big.gif", group_signal, SIGTERM, no_display, ""},
        {"--turn --size 800x800 big.gif", nohup_hangup, SIGHUP, "", ""},
        {"--turn --size 800x800 big.gif", nohup_hangup, SIGHUP, no_display, ""},
        {"--turn --size 2000x2000 big.gif", display_lost, SIGTERM, no_display,
         "cannot write big.gif: the display went away while drawing"},
    };
    for (const auto &c : cases) {
        std::string args = c.args, name = args.substr(args.rfind(' ') + 1);
        const char *const endings[] = {"size limit",   "full disk",         "signal",
                                       "group signal", "nohup and hang-up", "display lost"};
        std::string where =
            std::string(c.env) + args + ", " + endings[c.how] + " " + std::to_string(c.signal);
        for (const char *dir : {"over", "tmp"}) {
            fs::remove_all(dir);
            fs::create_directory(dir);
        }
        if (c.how == full_disk && !mount_small_disk("over")) {
            puts(("Left out, as no small file system can be mounted here: " + where).c_str());
            continue;
        }
        std::ofstream("over/" + name) << good;
        if (c.how == size_limit || c.how == full_disk) {
            auto [status, out] =
                capture(args, c.how == size_limit ? "cd over && ulimit -f 2 && trap '' XFSZ &&"
                                                  : "cd over &&");
            EXPECT_EQ(status, 1) << where;
            EXPECT_EQ(out, "quenlade-capture: " + std::string(c.message) + "\n") << where;
        } else {
            // Started as a shell starts a job: in a process group of its own.
            std::string command = "cd over && TMPDIR=" + tmp + " exec " +
                                  (c.how == nohup_hangup ? "nohup " : "") + c.env +
                                  QUENLADE_CAPTURE " " + args + " </dev/null >../stopped.log 2>&1";
            pid_t pid = fork();
            if (pid == 0) {
                setpgid(0, 0);
                for (int s : {SIGINT, SIGTERM, SIGHUP})
                    std::signal(s, SIG_DFL);  // as from a terminal
                execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
                _exit(127);
            }
            setpgid(pid, pid);
            // Stopped once it is writing: its temporary file has appeared.
            auto writing = [] {
                return std::distance(fs::directory_iterator("over"), fs::directory_iterator{}) > 1;
            };
            EXPECT_TRUE(testkit::wait_until(writing)) << where << ": no temporary file appeared";
            // Its own virtual display never resets, which would signal xvfb-run in
            // its clean-up.
            // A scan of /proc can miss it while other processes come and go:
            // looked for again, for a while.
            std::vector<std::pair<pid_t, std::string>> servers;
            if (c.env == no_display) {
                testkit::wait_until([&] { return (servers = servers_under(tmp)).size() == 1; }, 10);
                EXPECT_TRUE(servers.size() == 1 &&
                            servers[0].second.find(" -noreset ") != std::string::npos)
                    << where << ": " << (servers.empty() ? "no Xvfb" : servers[0].second);
            }
            if (c.how == display_lost && !servers.empty())
                kill(servers[0].first, c.signal);
            else
                kill(c.how == signal ? pid : -pid, c.signal);
            int status = 0;
            waitpid(pid, &status, 0);
            if (c.how == nohup_hangup)
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
                    << where << ": status " << status;
            else if (c.how == display_lost)
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1)
                    << where << ": status " << status;
            else
                EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal)
                    << where << ": status " << status;
            // xvfb-run cleans up once the tool has ended, and stops Xvfb.
            EXPECT_TRUE(testkit::wait_until([&] {
                return fs::is_empty("tmp") && servers_under(tmp).empty();
            })) << where
                << ": the virtual display or its files were left";
            std::ifstream log("stopped.log");
            std::string said(std::istreambuf_iterator<char>(log), {});
            EXPECT_EQ(said, *c.message ? "quenlade-capture: " + std::string(c.message) + "\n" : "")
                << where;
        }
        if (c.how == nohup_hangup) {
            EXPECT_EQ(testkit::read_gif("over/" + name).size(), 73u) << where;
        } else {
            std::ifstream file("over/" + name);
            std::string left(std::istreambuf_iterator<char>(file), {});
            EXPECT_EQ(left, good) << where;
        }
        std::vector<std::string> names;
        for (const auto &entry : fs::directory_iterator("over"))
            names.push_back(entry.path().filename().string());
        EXPECT_EQ(names, std::vector<std::string>{name}) << where;
        if (c.how == full_disk)
            umount2("over", MNT_DETACH);
    }
}

// The state on the command line is the state drawn, in a window of the size
// asked for, on the display or on a virtual one of its own, into a file that
// others may read as with any new file (a course's shared folder). Any eye
// off the y axis draws: X = 0 (the README's front view) and Z = 0 too.
TEST(Capture, DrawsTheRequestedState)
{
    using testkit::turn_z;
    const struct {
        const char *env, *args;
        testkit::vec3 eye, grey, blue;
    } cases[] = {
        {"umask 022;",
         "--mode off --angle 90 --eye 0.5,1,9",
         {0.5, 1, 9},
         turn_z({1, 0, 0}, 90),
         turn_z({2.5, 1.5, 0}, 90)},
        {"umask 022; env -u DISPLAY",
         "--mode off --angle 90 --eye 0.5,1,9",
         {0.5, 1, 9},
         turn_z({1, 0, 0}, 90),
         turn_z({2.5, 1.5, 0}, 90)},
        {"umask 022;", "--mode on --angle 90 --eye 0,0,5", {0, 0, 5}, {0, 1, 0}, {1.5, 1.5, 0}},
        {"umask 022;", "--mode on --angle 90 --eye 8,0,0", {8, 0, 0}, {0, 1, 0}, {1.5, 1.5, 0}},
    };
    for (const auto &c : cases) {
        std::string where = std::string(c.env) + " " + c.args;
        auto [status, out] = capture(std::string(c.args) + " --size 400x300 s.png", c.env);
        ASSERT_EQ(status, 0) << where << ": " << out;
        EXPECT_EQ(std::filesystem::status("s.png").permissions(), std::filesystem::perms(0644));
        image pic = read_png("s.png");
        ASSERT_TRUE(pic.width == 400 && pic.height == 300) << where;
        testkit::pixel_pos grey = testkit::project(c.grey, c.eye, 400, 300);
        testkit::pixel_pos blue = testkit::project(c.blue, c.eye, 400, 300);
        EXPECT_TRUE(testkit::looks_grey(testkit::at(pic, grey)))
            << where << ": " << grey.x << ", " << grey.y;
        EXPECT_TRUE(testkit::looks_blue(testkit::at(pic, blue)))
            << where << ": " << blue.x << ", " << blue.y;
    }
}

// --steps pictures the program's own frame: its modelview calls in order,
// with the stack's depth and the frame each leaves in world coordinates, and
// the frame drawn, its yellow origin where the model puts it: at the grey
// cube after the shift (1, 0, 0); with push/pop, back at the origin after the
// pop (the popped frame only a faint ghost); without, carried round with the
// grey cube. (steps_test holds every number against a model.)
TEST(Capture, StepsFollowTheFrame)
{
    using testkit::turn_z;
    const struct {
        const char *mode, *calls, *frame;
        struct {
            int step;
            testkit::vec3 at;
            bool origin;
        } probes[3];
    } cases[] = {
        {"on",
         "1. glPushMatrix()  depth 2\n2. glRotatef(45, 0, 0, 1)  depth 2\n"
         "3. glTranslatef(1, 0, 0)  depth 2\n4. glutSolidCube(0.5)  depth 2\n"
         "5. glPopMatrix()  depth 1\n6. glTranslatef(1.5, 1.5, 0)  depth 1\n"
         "7. glPushMatrix()  depth 2\n8. glRotatef(45, 0, 1, 0)  depth 2\n"
         "9. glutSolidCube(0.5)  depth 2\n10. glPopMatrix()  depth 1\n",
         "3. glTranslatef(1, 0, 0)  depth 2\n      x axis  y axis  z axis  origin\n"
         "   x    0.71   -0.71    0.00    0.71\n   y    0.71    0.71    0.00    0.71\n"
         "   z    0.00    0.00    1.00    0.00\n",
         {{3, turn_z({1, 0, 0}, 45), true},
          {5, {0, 0, 0}, true},
          {5, turn_z({1, 0, 0}, 45), false}}},
        {"off",
         "1. glRotatef(45, 0, 0, 1)  depth 1\n2. glTranslatef(1, 0, 0)  depth 1\n"
         "3. glutSolidCube(0.5)  depth 1\n4. glTranslatef(1.5, 1.5, 0)  depth 1\n"
         "5. glRotatef(45, 0, 1, 0)  depth 1\n6. glutSolidCube(0.5)  depth 1\n",
         "4. glTranslatef(1.5, 1.5, 0)  depth 1\n      x axis  y axis  z axis  origin\n"
         "   x    0.71   -0.71    0.00    0.71\n   y    0.71    0.71    0.00    2.83\n"
         "   z    0.00    0.00    1.00    0.00\n",
         {{2, turn_z({1, 0, 0}, 45), true},
          {6, turn_z({2.5, 1.5, 0}, 45), true},
          {6, {1.5, 1.5, 0}, false}}},
    };
    for (const auto &c : cases) {
        auto [status, out] =
            capture(std::string("--steps --angle 45 --mode ") + c.mode + " steps.gif");
        std::string calls;  // the lines that name a call
        for (size_t at = 0; at < out.size(); at = out.find('\n', at) + 1) {
            if (std::isdigit(static_cast<unsigned char>(out[at])))
                calls += out.substr(at, out.find('\n', at) + 1 - at);
        }
        EXPECT_EQ(calls, c.calls);
        EXPECT_NE(out.find(c.frame), std::string::npos) << out;
        std::vector<image> steps = testkit::read_gif("steps.gif");
        ASSERT_EQ(steps.size(), static_cast<size_t>(std::count(calls.begin(), calls.end(), '\n')));
        for (const auto &p : c.probes) {
            testkit::rgb seen =
                testkit::at(steps[p.step - 1], testkit::project(p.at, testkit::home_eye));
            EXPECT_EQ(testkit::looks_yellow(seen), p.origin)
                << c.mode << ", step " << p.step << ": " << seen.r << ", " << seen.g << ", "
                << seen.b;
        }
    }
}

// --calls draws the frame with the lab's calls in place of its own: with the
// grey cube's turn and shift swapped, the cube stays at (1, 0, 0) whatever
// its angle, where the program turns it to (0, 1, 0) at 90 degrees, and the
// blue cube stays where it was. A pop with nothing to pop is listed with the
// error GL raised.
TEST(Capture, CallsChangeTheFrame)
{
    const std::string swapped =
        "--calls 'glPushMatrix();glTranslatef(1,0,0);glRotatef(a1,0,0,1);glutSolidCube(0.5);"
        "glPopMatrix();glTranslatef(1.5,1.5,0);glPushMatrix();glRotatef(a2,0,1,0);"
        "glutSolidCube(0.5);glPopMatrix()'";
    auto [status, out] = capture("--angle 90 " + swapped + " lab.png");
    ASSERT_EQ(status, 0) << out;
    image pic = read_png("lab.png");
    using testkit::home_eye;
    EXPECT_TRUE(testkit::looks_grey(testkit::at(pic, testkit::project({1, 0, 0}, home_eye))));
    EXPECT_FALSE(testkit::looks_grey(testkit::at(pic, testkit::project({0, 1, 0}, home_eye))));
    EXPECT_TRUE(testkit::looks_blue(testkit::at(pic, testkit::project({1.5, 1.5, 0}, home_eye))));
    std::tie(status, out) = capture(
        "--steps --json --calls '-glPushMatrix();glRotatef(a1,0,0,1);glTranslatef(1,0,0);"
        "glutSolidCube(0.5);glPopMatrix();glTranslatef(1.5,1.5,0);glPushMatrix();"
        "glRotatef(a2,0,1,0);glutSolidCube(0.5);glPopMatrix()' steps.png");
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("{\"call\": \"// glPushMatrix()\", \"lab\": \"-glPushMatrix()\", "
                       "\"name\": \"glPushMatrix\", \"off\": true"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("\"error\": \"GL_STACK_UNDERFLOW\""), std::string::npos) << out;
    // Calls without push/pop, and no --mode: the mode off, with these calls.
    std::tie(status, out) = capture(
        "--steps --json --calls 'glTranslatef(1,0,0);glRotatef(a1,0,0,1);glutSolidCube(0.5);"
        "glTranslatef(1.5,1.5,0);glRotatef(a2,0,1,0);glutSolidCube(0.5)' steps.png");
    EXPECT_TRUE(status == 0 && out.find("glPushMatrix") == std::string::npos &&
                out.find("{\"call\": \"glTranslatef(1, 0, 0)\"") == 1)
        << out;
}

// Checking a student's link against a challenge, pasted as copied from the
// address bar (percent-encoded too): 0 when both cubes stand where the
// target's do, 1 when one does not, each cube said in words; 2 for a link
// it cannot read; 3 when it cannot check at all. With a file, the target's cubes are drawn in
// outline where they stand: the grey one at (1, 0, 0) (the x axis's red there without it), the blue
// one at (-1.5, 1.5, 0) (nothing drawn there without).
TEST(Capture, ChecksAChallengeAndDrawsItsTarget)
{
    const std::string
        page = "'http://host/index.html?lang=pt-BR#",
        rest =
            "glPopMatrix();glTranslatef(1.5,1.5,0);glPushMatrix();glRotatef(a2,0,1,0);"
            "glutSolidCube(0.5);glPopMatrix()&challenge=3'";
    const struct {
        std::string calls;
        int status;
        std::string lines;
    } cases[] = {
        {page + "glPushMatrix();glTranslatef(1,0,0);glRotatef(a1,0,0,1);glutSolidCube(0.5);" + rest,
         0,
         "grey cube: matches: 0.000 from its target, axes 0.0 degrees apart, sizes 0.000 apart\n"
         "blue cube: matches: 0.000"},
        {page + "glPushMatrix()%3BglTranslatef(1%2C0%2C0);glRotatef(a1,0,0,1);glutSolidCube(0.5);" +
             rest,
         0, "grey cube: matches"},
        {page + "glPushMatrix();glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);" + rest,
         1,
         "grey cube: does not match: 0.765 from its target, axes 0.0 degrees apart, sizes "
         "0.000 apart\nblue cube: matches"},
        {"'http://host/index.html?lang=pt-BR'", 1, "grey cube: does not match: 0.765"},
        {page + "glPushMatrix();glTranslatef(1,0,0)glRotatef(a1,0,0,1);" + rest, 2,
         "quenlade-capture: --calls: character 69: expected \";\" between calls"},
    };
    for (const auto &c : cases) {
        auto [status, out] = capture("--target challenge=3 --calls " + c.calls);
        EXPECT_EQ(status, c.status) << c.calls << ": " << out;
        EXPECT_EQ(out.rfind(c.lines, 0), 0u) << c.calls << ": " << out;
    }
    // Without a display to check on, never "does not match".
    auto [status, out] = capture("--target challenge=3", "DISPLAY= PATH=/nowhere");
    EXPECT_TRUE(status == 3 && out.rfind("quenlade-capture: no display", 0) == 0) << out;
    using testkit::home_eye;
    for (bool ghost : {false, true}) {
        ASSERT_EQ(capture(ghost ? "--target challenge=3 ghost.png" : "--angle 45 ghost.png").first,
                  0);
        image pic = read_png("ghost.png");
        EXPECT_EQ(testkit::looks_grey(testkit::at(pic, testkit::project({1, 0, 0}, home_eye))),
                  ghost);
        ASSERT_EQ(capture(ghost ? "--target challenge=1 ghost.png" : "--angle 30 ghost.png").first,
                  0);
        pic = read_png("ghost.png");
        EXPECT_EQ(testkit::looks_blue(testkit::at(pic, testkit::project({-1.5, 1.5, 0}, home_eye))),
                  ghost);
        // Its outline too: the middle of its top face's front edge, the cube
        // turned 30 degrees about its y axis (lines are a pixel wide).
        const testkit::vec3 edge = {-1.5 + 0.25 * std::sin(testkit::pi / 6), 1.75,
                                    0.25 * std::cos(testkit::pi / 6)};
        const testkit::pixel_pos p = testkit::project(edge, home_eye);
        bool outlined = false;
        for (int dx = -2; dx <= 2; dx++)
            for (int dy = -2; dy <= 2; dy++)
                outlined |= testkit::looks_blue(testkit::at(pic, {p.x + dx, p.y + dy}));
        EXPECT_EQ(outlined, ghost) << "the blue cube's target's outline";
    }
}

// The README's pictures are still what the program draws (scripts/make-pictures
// renews them), and a turn is the program's 73 ticks of 100 ms, looping for
// ever from 0 to 360 degrees, whose first and last frames look alike.
TEST(Capture, TurnsLoopAndMatchTheCommittedPictures)
{
    for (const std::string mode : {"on", "off"}) {
        std::string name = "push-pop-" + mode, committed = QUENLADE_SOURCE_DIR "/docs/" + name;
        ASSERT_EQ(capture("--mode " + mode + " " + name + ".png").first, 0);
        ASSERT_EQ(capture("--mode " + mode + " --turn " + name + ".gif").first, 0);
        ASSERT_EQ(capture("--mode " + mode + " --angle 45 --steps steps-" + mode + ".png").first,
                  0);
        for (const std::string &picture : {name, "steps-" + mode}) {
            std::string old_one = QUENLADE_SOURCE_DIR "/docs/" + picture + ".png";
            EXPECT_LE(testkit::count_differences(read_png(old_one), read_png(picture + ".png")), 40)
                << old_one << " differs from the fresh one: run scripts/make-pictures";
        }

        std::vector<int> delays;
        std::vector<image> turn = testkit::read_gif(name + ".gif", &delays);
        std::vector<image> old_turn = testkit::read_gif(committed + ".gif");
        ASSERT_EQ(turn.size(), 73u);
        ASSERT_EQ(old_turn.size(), 73u) << committed << ".gif";
        EXPECT_EQ(delays, std::vector<int>(73, 10));
        EXPECT_TRUE(testkit::count_differences(turn[0], turn[72]) == 0 &&
                    testkit::count_differences(turn[0], turn[1]) > 0);
        for (size_t i = 0; i < turn.size(); i++) {
            EXPECT_LE(testkit::count_differences(old_turn[i], turn[i]), 40)
                << committed << ".gif, frame " << i << ": run scripts/make-pictures";
        }
        // The looping extension, with a repeat count of 0: for ever.
        std::ifstream file(name + ".gif", std::ios::binary);
        std::string bytes(std::istreambuf_iterator<char>(file), {});
        EXPECT_NE(bytes.find(std::string("NETSCAPE2.0\x03\x01\x00\x00", 15)), std::string::npos);
    }
}

}  // namespace

// The tool runs itself under xvfb-run where there is no display, and one case
// takes the display away.
int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (!GTEST_FLAG_GET(list_tests) && std::system("command -v xvfb-run >/dev/null") != 0) {
        puts(testkit::skip_note("capture", "xvfb-run").c_str());
        return testkit::skipped;
    }
    return RUN_ALL_TESTS();
}
