// program_test.cpp - the real quenlade as a user runs it: its window on the X
// display and what it shows there next to the README's animations, keys
// typed through the X server with libxdo, the report lines on a pipe however
// the program ends, and storms of keys and resizes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/testkit.h"

extern "C" {
#include <xdo.h>  // after gtest: Xlib's macros clash with its names
}
#include <X11/Xutil.h>

namespace {

// libxdo's connection to the display, opened when first needed (listing the
// tests needs none); null without a display.
xdo_t *xdo()
{
    static xdo_t *const connection = xdo_new(nullptr);
    return connection;
}

// A program started through a shell that prints its own process number and
// then becomes the program. Standard output is read as it comes; standard
// error goes to stderr.txt.
struct program_run {
    FILE *pipe;
    pid_t pid = -1;
    std::string out;
    std::atomic<long> lines{0};
    std::atomic<bool> ended{false};
    std::thread reader;

    // Its thread and atomics forbid copies, which cppcheck does not see.
    explicit program_run(const std::string &command)
        // cppcheck-suppress [noCopyConstructor, noOperatorEq]
        : pipe(popen(("echo $$; exec " + command + " 2>stderr.txt").c_str(), "r"))
    {
        char first_line[32];
        if (fgets(first_line, sizeof first_line, pipe) &&
            (pid = static_cast<pid_t>(strtol(first_line, nullptr, 10))) > 0)
            reader = std::thread([this] {
                for (int c; (c = fgetc(pipe)) != EOF; lines += c == '\n') out += char(c);
                ended = true;
            });
    }
    int finish()  // waits for the end, or kills a hung program; returns the wait status
    {
        if (!testkit::wait_until([this] { return bool(ended); }))
            kill(pid, SIGKILL);
        if (reader.joinable())
            reader.join();
        pid = -1;
        return pclose(pipe);
    }
    bool lines_arrive(long count)
    {
        return testkit::wait_until([&] { return lines >= count; }) && lines == count;
    }
    ~program_run()
    {
        if (pid > 0 && kill(pid, SIGKILL) == 0)
            finish();
    }
};

// Finds the program's newest window by its title and waits until it has the
// keyboard. GLUT may unmap it for a moment after it first shows, when it
// cannot take the focus: X's complaint is then no cause to end the test.
Window find_window()
{
    xdo_search_t search{};
    search.winname = "^Quenlade #2$";
    search.searchmask = SEARCH_NAME;
    search.only_visible = 1;
    search.max_depth = 1;
    Window window = 0, focused = 0;
    XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
    bool found = testkit::wait_until([&] {
        Window *windows = nullptr;
        unsigned int n = 0;
        xdo_search_windows(xdo(), &search, &windows, &n);
        window = n ? windows[n - 1] : 0;
        free(windows);
        if (window && xdo_focus_window(xdo(), window) == 0)
            xdo_get_focused_window(xdo(), &focused);
        return window && focused == window;
    });
    return found ? window : 0;
}

// Arguments GLUT does not take are left alone and do no harm.
const char *const quenlade = QUENLADE_BINARY " --not-a-glut-option extra";

// Waits for the window to show a frame of a README animation that looks
// unlike frame `other`; returns its number, or -1 and saves what it showed.
int shown_frame_of(Window window, const std::string &gif, int other = -1)
{
    const std::vector<image> frames = testkit::read_gif(QUENLADE_SOURCE_DIR "/docs/" + gif);
    image shown{500, 500, {}};
    int found = -1;
    testkit::wait_until([&] {
        XImage *x = XGetImage(xdo()->xdpy, window, 0, 0, 500, 500, AllPlanes, ZPixmap);
        shown.rgb.clear();
        for (int i = 0; x && i < 500 * 500; i++) {
            unsigned long p = XGetPixel(x, i % 500, i / 500);
            shown.rgb.insert(shown.rgb.end(),
                             {static_cast<unsigned char>(p >> 16),
                              static_cast<unsigned char>(p >> 8), static_cast<unsigned char>(p)});
        }
        if (x)
            XDestroyImage(x);
        for (int i = 0; i < static_cast<int>(frames.size()); i++) {
            bool like_other =
                other >= 0 && testkit::count_differences(frames[i], frames[other]) == 0;
            if (!like_other && testkit::count_differences(shown, frames[i]) <= 40) {
                found = i;
                return true;
            }
        }
        return false;
    });
    if (found < 0)
        write_png("window.png", shown);
    return found;
}

// The window is where and as large as it should be, and shows the program's
// frames as the README animates them: turning, after a storm of resizes too,
// and from the other mode's start after a space.
TEST(Program, ShowsTheDemoInItsWindow)
{
    if (!xdo())
        GTEST_SKIP() << testkit::skip_note("program", testkit::no_display);
    program_run run(quenlade);
    Window window = find_window();
    ASSERT_NE(window, 0u) << "no window titled \"Quenlade #2\"";
    int x = 0, y = 0;
    unsigned int width = 0, height = 0;
    xdo_get_window_location(xdo(), window, &x, &y, nullptr);
    xdo_get_window_size(xdo(), window, &width, &height);
    EXPECT_TRUE(x == 100 && y == 100 && width == 500 && height == 500)
        << width << "x" << height << " at (" << x << ", " << y << ")";
    int first = shown_frame_of(window, "push-pop-on.gif");
    ASSERT_NE(first, -1) << "no frame of push-pop-on.gif in the window: see window.png";
    EXPECT_NE(shown_frame_of(window, "push-pop-on.gif", first), -1) << "no turning";

    std::mt19937 rng(7);
    std::uniform_int_distribution<int> side(1, 2000);
    for (int i = 0; i < 300; i++) xdo_set_window_size(xdo(), window, side(rng), side(rng), 0);
    xdo_set_window_size(xdo(), window, 500, 500, 0);
    EXPECT_NE(shown_frame_of(window, "push-pop-on.gif"), -1) << "after 300 resizes: see window.png";

    // The space restarts the turn: the other mode's frame shown can be no
    // further on than the ticks since, 100 ms apart but for the first (and
    // GLUT's millisecond clock, which may fire each a little early).
    auto space = std::chrono::steady_clock::now();
    xdo_enter_text_window(xdo(), CURRENTWINDOW, " ", 0);
    int restarted = shown_frame_of(window, "push-pop-off.gif");
    auto ticks = (std::chrono::steady_clock::now() - space) / std::chrono::milliseconds(95) + 1;
    EXPECT_TRUE(restarted >= 0 && restarted <= ticks) << "after space, frame " << restarted;
}

// Each key's report line reaches the pipe as it is printed, and none is lost
// however the program ends: Esc after a storm of 20,000 keys as fast as the X
// server takes them, a signal, or the window manager's close (status 0).
TEST(Program, ReportsEveryKeyAndLosesNoLineHoweverItEnds)
{
    if (!xdo())
        GTEST_SKIP() << testkit::skip_note("program", testkit::no_display);
    for (std::string ending : {"Esc", "SIGTERM", "SIGINT", "window manager"}) {
        // Keys from the home eye ("a", "1" and "+" only report), each line
        // as testkit's rules have it.
        std::string typed;
        std::vector<std::string> expected;
        std::mt19937 rng(2026);
        testkit::vec3 eye = testkit::eye_after({}, 'R');
        for (int i = 0; i < (ending == "Esc" ? 20000 : 200); i++) {
            typed += "oOrRa 1+XxYyZz"[rng() % 14];
            eye = testkit::eye_after(eye, typed.back());
            expected.push_back(testkit::report_line(eye));
        }

        program_run run(quenlade);
        Window window = find_window();
        ASSERT_NE(window, 0u) << "no window titled \"Quenlade #2\"";
        xdo_enter_text_window(xdo(), CURRENTWINDOW, typed.c_str(), 0);
        EXPECT_TRUE(run.lines_arrive(static_cast<long>(typed.size())))
            << ending << ": " << run.lines;
        if (ending == "Esc") {
            xdo_send_keysequence_window(xdo(), CURRENTWINDOW, "Escape", 0);
        } else if (ending == "window manager") {
            XEvent close{};
            close.xclient.type = ClientMessage;
            close.xclient.window = window;
            close.xclient.message_type = XInternAtom(xdo()->xdpy, "WM_PROTOCOLS", False);
            close.xclient.format = 32;
            close.xclient.data.l[0] = XInternAtom(xdo()->xdpy, "WM_DELETE_WINDOW", False);
            XSendEvent(xdo()->xdpy, window, False, NoEventMask, &close);
            XFlush(xdo()->xdpy);
        } else {
            kill(run.pid, ending == "SIGTERM" ? SIGTERM : SIGINT);
        }
        int status = run.finish();
        bool signalled = ending.rfind("SIG", 0) == 0;
        EXPECT_TRUE(signalled ? WIFSIGNALED(status) : WIFEXITED(status) && !WEXITSTATUS(status))
            << ending << ": wait status " << status;
        std::istringstream lines(run.out);
        std::string line;
        for (size_t i = 0; i < expected.size(); i++) {
            if (!std::getline(lines, line) || line != expected[i]) {
                ADD_FAILURE() << ending << ", key " << i + 1 << " '" << typed[i] << "': expected "
                              << expected[i] << ", got " << line;
                break;
            }
        }
        EXPECT_FALSE(std::getline(lines, line)) << ending << ": a line too many: " << line;
    }
}

}  // namespace
