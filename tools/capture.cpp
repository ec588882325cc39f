// capture.cpp - quenlade-capture: saves what Quenlade draws, for slides, the
// README and machines without a display.
//
// It opens a window like the program's and draws with the program's own
// init_scene, on_reshape, on_timer and on_display, for a state taken from the
// command line. With no display it runs itself again under xvfb-run.
#include <unistd.h>
#include <CLI/CLI.hpp>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/callbacks.h"
#include "app/scene_state.h"
#include "tools/frame_grab.h"
#include "tools/image_files.h"
#include "tools/step_pictures.h"

static const char *const program = "quenlade-capture";

static int fail(const std::string &message, int status = 1)
{
    fprintf(stderr, "%s: %s\n", program, message.c_str());
    return status;
}

static bool ends_with(const std::string &s, const std::string &suffix)
{
    return s.size() > suffix.size() &&
           s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Runs this program again, with the same arguments, on a virtual display of
// its own that xvfb-run starts and stops.
static int run_under_xvfb(int argc, char **argv)
{
    const char *marker = "QUENLADE_CAPTURE_UNDER_XVFB";
    if (getenv(marker))
        return fail("cannot open the virtual display that xvfb-run started");
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return fail("no display, and cannot find this program to run it under xvfb-run");
    self[n] = '\0';
    setenv(marker, "1", 1);
    std::vector<char *> args = {const_cast<char *>("xvfb-run"),
                                const_cast<char *>("--auto-servernum"), self};
    args.insert(args.end(), argv + 1, argv + argc);
    args.push_back(nullptr);
    execvp(args[0], args.data());
    return fail("no display, and xvfb-run could not be started (install the xvfb package)");
}

// CLI11 throws outside parse() only for a mistake in setting up the options,
// which should end the program.
int main(int argc, char **argv)  // NOLINT(bugprone-exception-escape)
{
    CLI::App app{
        "Renders what Quenlade draws for the given state, through the program's own\n"
        "drawing code, and saves it as a PNG picture or, with --turn, as a looping GIF\n"
        "of one full turn, or with --steps the frame step by step. Uses $DISPLAY when\n"
        "it can be opened, otherwise a virtual display started with xvfb-run.\n\n"
        "The file is written whole or not at all: it is written to a hidden temporary\n"
        "file in the same folder and renamed to OUTPUT only once complete, so an\n"
        "existing OUTPUT stays as it was until then. When writing fails (a full disk\n"
        "too), or the tool is stopped by SIGINT, SIGTERM or SIGHUP, the temporary file\n"
        "is removed and OUTPUT is left untouched.",
        program};
    app.set_version_flag("--version", std::string(program) + " " QUENLADE_VERSION);
    std::string mode = "on";
    float angle = 0.0f;
    std::vector<float> eye = {home_eye.x, home_eye.y, home_eye.z};
    std::vector<int> size = {500, 500};
    bool turn = false, steps = false;
    std::string output;

    const CLI::Validator finite(
        [](const std::string &text) {
            char *end = nullptr;
            double value = std::strtod(text.c_str(), &end);
            return end != text.c_str() && *end == '\0' && std::isfinite(value)
                       ? ""
                       : text + " is not a finite number";
        },
        "FINITE");
    app.add_option("--mode", mode,
                   "push/pop mode: on brackets each cube with a matrix push and\n"
                   "pop, off composes the second cube onto the first")
        ->check(CLI::IsMember({"on", "off"}).description(""))
        ->type_name("on|off")
        ->capture_default_str();
    app.add_option("--angle", angle, "angle of both cubes, 0 to 360 degrees")
        ->check(finite.description(""))
        ->check(CLI::Range(0.0f, 360.0f).description(""))
        ->type_name("DEG")
        ->capture_default_str();
    app.add_option("--eye", eye, "the eye point, as X,Y,Z (default: the home view, 1.69,2.9,8.1)")
        ->delimiter(',')
        ->expected(3)
        ->check(finite.description(""))
        ->check(CLI::Range(-1000.0f, 1000.0f).description(""))
        ->type_name("NUM");
    app.add_option(
           "--size", size,
           "the window's width and height in pixels, as WxH, each 1 to 4096\n(default 500x500)")
        ->delimiter('x')
        ->expected(2)
        ->check(CLI::Range(1, 4096).description(""))
        ->type_name("NUM");
    CLI::Option *turn_flag =
        app.add_flag("--turn", turn,
                     "one turn from --angle on: 73 frames 5 degrees and 100 ms apart, past 360\n"
                     "starting again at 0, as the program animates it; OUTPUT must end in .gif");
    app.add_flag("--steps", steps,
                 "the frame step by step: a picture after each modelview call that the frame\n"
                 "makes for the cubes, with the coordinate frame it leaves and the call; a .gif\n"
                 "shows one step a second, a .png all of them on one sheet. The calls are\n"
                 "listed on standard output")
        ->excludes(turn_flag);
    app.add_option("OUTPUT", output, "the .png or .gif file to write")
        ->required()
        ->type_name("")
        ->check(CLI::Validator(
            [&turn](const std::string &name) -> std::string {
                if (turn && !ends_with(name, ".gif"))
                    return "--turn writes an animation: OUTPUT must end in .gif";
                return ends_with(name, ".png") || ends_with(name, ".gif")
                           ? ""
                           : "OUTPUT must end in .png or .gif";
            },
            ""));
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success &e) {  // --help or --version
        return app.exit(e);
    } catch (const CLI::ParseError &e) {
        return fail(std::string(e.what()) + " (see --help)", 2);
    }

    if (!display_opens())
        return run_under_xvfb(argc, argv);
    int glut_argc = 1;  // GLUT sees none of our options
    char *glut_argv[] = {argv[0], nullptr};
    if (!open_scene_window(&glut_argc, glut_argv, "Quenlade #2", size[0], size[1]))
        return fail("the capture window was never shown");
    scene_state.use_push_pop = mode == "on";
    scene_state.angle_obj1 = scene_state.angle_obj2 = angle;
    scene_state.cam_x = eye[0];
    scene_state.cam_y = eye[1];
    scene_state.cam_z = eye[2];

    std::string error;
    if (steps) {
        std::vector<frame_step> pictures = draw_steps();
        for (size_t i = 0; i < pictures.size(); i++)
            printf("%zu. %s\n", i + 1, pictures[i].call.c_str());
        gif_stream gif;
        error = ends_with(output, ".gif") ? gif_begin(gif, output, size[0], size[1], 100)
                                          : write_png(output, contact_sheet(pictures));
        for (size_t i = 0; gif.file && i < pictures.size() && error.empty(); i++)
            error = gif_add_frame(gif, pictures[i].picture);
        if (error.empty())
            error = gif_end(gif);
    } else if (!ends_with(output, ".gif")) {
        error = write_png(output, draw_frame());
    } else {
        // Each frame is written as it is drawn. The program's own tick
        // advances the angles; the timers it arms never run, as GLUT's loop
        // is not entered again.
        gif_stream gif;
        error =
            gif_begin(gif, output, size[0], size[1], static_cast<int>(scene_state.timer_ms / 10));
        for (int frame = 0; error.empty() && frame < (turn ? 73 : 1); frame++) {
            if (frame > 0)
                on_timer(0);
            error = gif_add_frame(gif, draw_frame());
        }
        if (error.empty())
            error = gif_end(gif);
    }
    return error.empty() ? 0 : fail(error);
}
