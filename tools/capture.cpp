// capture.cpp - quenlade-capture: saves what Quenlade draws, for slides, the
// README and machines without a display.
//
// It opens a window like the program's and draws with the program's own
// init_scene, on_reshape, on_timer and on_display, for a state taken from the
// command line. With no display it draws on a virtual one from xvfb-run.
#include <fcntl.h>
#include <unistd.h>
#include <CLI/CLI.hpp>

#include <algorithm>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "app/callbacks.h"
#include "app/scene_state.h"
#include "app/window.h"
#include "steps/frame_steps.h"
#include "steps/lab.h"
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

// Each step: its call and the stack's depth, then the frame it leaves in
// world coordinates, a column each for its axes and its origin.
static void print_steps(const std::vector<frame_call> &calls)
{
    for (size_t i = 0; i < calls.size(); i++) {
        const matrix &m = calls[i].stack.back();
        auto at = [&m](int k) {
            double v = std::round(m[k] * 100.0) / 100.0;
            return v == 0 ? 0.0 : v;  // no "-0.00"
        };
        printf("%zu. %s  depth %d%s%s\n", i + 1, calls[i].call.c_str(), calls[i].depth,
               calls[i].error.empty() ? "" : "  ", calls[i].error.c_str());
        printf("%12s%8s%8s%8s\n", "x axis", "y axis", "z axis", "origin");
        for (int row = 0; row < 3; row++) {
            printf("   %c%8.2f%8.2f%8.2f%8.2f\n", "xyz"[row], at(row), at(4 + row), at(8 + row),
                   at(12 + row));
        }
    }
}

// Starts a virtual display with xvfb-run and points DISPLAY and XAUTHORITY
// at it. xvfb-run holds it for as long as this program keeps a pipe open,
// and stops it, cleaning up after itself, once the pipe closes: when this
// program ends in any way. The drawing stays in this process, so a stopping
// signal meets its own handler, which removes a half-written file; xvfb-run
// and its shell ignore those signals (a Ctrl+C reaches the whole process
// group), so that they never stop before their cleanup.
static bool start_virtual_display()
{
    int names[2], hold[2];  // the display's names come back; hold's end keeps it
    if (pipe(names) != 0 || pipe(hold) != 0)
        return false;
    pid_t pid = fork();
    if (pid == 0) {
        // The shell's descriptors 3 and 4, moved out of the way first.
        int to_names = fcntl(names[1], F_DUPFD, 10), from_hold = fcntl(hold[0], F_DUPFD, 10);
        for (int fd : {names[0], names[1], hold[0], hold[1]}) close(fd);
        dup2(to_names, 3);
        dup2(from_hold, 4);
        close(to_names);
        close(from_hold);
        for (int s : {SIGINT, SIGTERM, SIGHUP}) signal(s, SIG_IGN);
        execlp("xvfb-run", "xvfb-run", "--auto-servernum", "sh", "-c",
               "printf '%s\\n' \"$DISPLAY\" \"$XAUTHORITY\" >&3; exec 3>&-; read -r _ <&4",
               nullptr);
        _exit(127);
    }
    close(names[1]);
    close(hold[0]);
    fcntl(hold[1], F_SETFD, FD_CLOEXEC);
    // Two lines: the display, then its authority file.
    std::string names_read[2];
    FILE *from = fdopen(names[0], "r");
    char line[PATH_MAX];
    for (std::string &name : names_read) {
        if (pid > 0 && from && fgets(line, sizeof line, from))
            name = std::string(line).substr(0, std::strcspn(line, "\n"));
    }
    if (from)
        fclose(from);
    if (names_read[0].empty() || names_read[1].empty())
        return false;
    setenv("DISPLAY", names_read[0].c_str(), 1);
    setenv("XAUTHORITY", names_read[1].c_str(), 1);
    return display_opens();
}

// A decimal number from lo to hi, written plainly: strtod alone would also
// take 0x10, inf, nan and 1e999.
static bool decimal(const std::string &text, double lo, double hi, double &value)
{
    static const std::regex plain(R"([+-]?([0-9]+\.?[0-9]*|\.[0-9]+))");
    if (!std::regex_match(text, plain))
        return false;
    value = std::strtod(text.c_str(), nullptr);
    return value >= lo && value <= hi;
}

// The parts of text between separators, empty ones too.
static std::vector<std::string> split(const std::string &text, char separator)
{
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == separator)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

// What each option accepts, in the words of its one-line message.
static const struct {
    const char *option, *accepted;
} rules[] = {
    {"--mode", "the mode must be on or off"},
    {"--angle", "the angle must be a decimal number from 0 to 360 degrees"},
    {"--eye", "the eye point must be three decimal numbers X,Y,Z, each from -1000 to 1000"},
    {"--size", "the size must be WxH, two whole numbers of pixels from 1 to 4096, such as 800x600"},
    {"--calls", "the calls must be the cube part's, separated by ; (see --help)"},
};

// One line for an argument that is wrong: which, what was given, what is
// accepted.
static int bad(const std::string &given, const std::string &accepted)
{
    return fail(given + ": " + accepted, 2);
}

// CLI11 reads the command line; its complaints are put in this program's
// words. It throws outside parse() only for a mistake in setting up the
// options, which should end the program.
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
    // Taken as written, and checked below; the last of a repeated option counts.
    std::string mode_text = "on", angle_text = "0", eye_text, size_text = "500x500", output;
    std::string calls_text;
    bool turn = false, steps = false, json = false;
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.allow_extras();  // reported below, in this program's words
    app.add_option("--mode", mode_text,
                   "push/pop mode: on brackets each cube with a matrix push and\n"
                   "pop, off composes the second cube onto the first")
        ->type_name("on|off")
        ->capture_default_str();
    app.add_option("--angle", angle_text, "angle of both cubes, 0 to 360 degrees")
        ->type_name("DEG")
        ->capture_default_str();
    app.add_option("--eye", eye_text,
                   "the eye point, as X,Y,Z, each -1000 to 1000, X and Z not both 0\n"
                   "(default: the home view, 1.69,2.9,8.1)")
        ->type_name("X,Y,Z");
    app.add_option("--size", size_text,
                   "the window's width and height in pixels, as WxH, each 1 to 4096")
        ->type_name("WxH")
        ->capture_default_str();
    app.add_option("--calls", calls_text,
                   "the frame with its cube part's calls changed, as the page's lab writes\n"
                   "them after # in its link: the calls in order, separated by ;, such as\n"
                   "'glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);...'. They are\n"
                   "the calls that the frame makes for the cubes in one mode, in any order,\n"
                   "with any numbers (-1000 to 1000, a cube's size from 0); a1 and a2 are the\n"
                   "cubes' angles (--angle, and turning with --turn), and a - in front of\n"
                   "glPushMatrix() or glPopMatrix() switches it off. With push/pop among them\n"
                   "the mode is on, without it off. The frame makes them in place of its own;\n"
                   "the view, the axes and the label are its own")
        ->type_name("TEXT");
    app.add_flag("--turn", turn,
                 "one turn from --angle on: 73 frames 5 degrees and 100 ms apart, past 360\n"
                 "starting again at 0, as the program animates it; OUTPUT must end in .gif")
        ->disable_flag_override();
    app.add_flag("--steps", steps,
                 "the frame step by step: a picture after each modelview call that the frame\n"
                 "makes for the cubes, with the coordinate frame it leaves and the call; a .gif\n"
                 "shows one step a second, a .png all of them on one sheet (at most 16384\n"
                 "pixels a side). Each step is the window's picture with a band above it for\n"
                 "its call. The calls are listed on standard output, each with the depth of\n"
                 "the matrix stack and the frame it leaves in world coordinates: its x, y and\n"
                 "z axes and its origin. Not with --turn")
        ->disable_flag_override();
    app.add_flag("--json", json,
                 "with --steps, list the steps on standard output as one JSON document instead:\n"
                 "a list of steps, each with \"call\", \"depth\", \"world\" (the top matrix with\n"
                 "the view taken out) and \"modelview\" (the top matrix as GL returns it, the\n"
                 "view included), each matrix 16 numbers column by column, as GL stores it;\n"
                 "also \"stack\" and \"modelview_stack\", every matrix on the stack from the\n"
                 "view up, each both ways; \"lab\", the call as --calls writes it; for a pop\n"
                 "\"ghost\" and \"ghost_modelview\", the matrix it threw away; and for a call\n"
                 "that GL refused, \"error\", such as GL_STACK_UNDERFLOW")
        ->disable_flag_override();
    app.add_option("OUTPUT", output, "the .png or .gif file to write")->type_name("")->required();
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success &e) {  // --help or --version
        return app.exit(e);
    } catch (const CLI::ParseError &e) {
        // Left: no OUTPUT, an option without its value, or a flag given one.
        const std::string what = e.what();
        if (what.rfind("OUTPUT ", 0) == 0)
            return bad("no OUTPUT", "name the .png or .gif file to write");
        for (const auto &rule : rules) {
            if (what.rfind(std::string(rule.option) + ":", 0) == 0)
                return bad(std::string(rule.option) + " without a value", rule.accepted);
        }
        for (const char *flag : {"--turn", "--steps", "--json"}) {
            if (what.rfind(std::string(flag + 2) + " ", 0) == 0)  // CLI11 names it without --
                return bad(std::string(flag) + " with a value", "it takes none");
        }
        return fail("cannot read the arguments: " + what + " (see --help)", 2);
    }

    for (const std::string &extra : app.remaining()) {
        if (extra == "--")  // what follows is OUTPUT, even if it begins with -
            continue;
        if (extra.size() > 1 && extra[0] == '-')
            return bad(extra, "no such option (see --help)");
        return bad(extra, "one output file at a time, and " + output + " is given");
    }
    if (mode_text != "on" && mode_text != "off")
        return bad("--mode " + mode_text, rules[0].accepted);
    double angle = 0;
    if (!decimal(angle_text, 0, 360, angle))
        return bad("--angle " + angle_text, rules[1].accepted);
    double eye[3] = {home_eye.x, home_eye.y, home_eye.z};
    if (!eye_text.empty()) {
        std::vector<std::string> parts = split(eye_text, ',');
        for (size_t i = 0; i < 3; i++) {
            if (parts.size() != 3 || !decimal(parts[i], -1000, 1000, eye[i]))
                return bad("--eye " + eye_text, rules[2].accepted);
        }
        // The view keeps y up, which gives it no sides when it looks along y
        // (the program keeps the eye in single precision).
        if (static_cast<float>(eye[0]) == 0 && static_cast<float>(eye[2]) == 0)
            return bad("--eye " + eye_text,
                       "the eye point must be off the y axis, where the view has no sides; try 0," +
                           parts[1] + ",0.01");
    }
    int size[2] = {0, 0};
    std::smatch wxh;
    static const std::regex whole_by_whole("([0-9]{1,5})x([0-9]{1,5})");
    if (!std::regex_match(size_text, wxh, whole_by_whole) || (size[0] = std::stoi(wxh[1])) < 1 ||
        size[0] > 4096 || (size[1] = std::stoi(wxh[2])) < 1 || size[1] > 4096)
        return bad("--size " + size_text, rules[3].accepted);
    lab changed;
    const bool lab_given = app.count("--calls") > 0;
    if (lab_given) {
        // Read as text here; held to the frame's own calls once it is drawn.
        std::string message = read_lab(calls_text, changed, false);
        if (!message.empty())
            return bad("--calls", message);
        if (app.count("--mode") > 0 && (mode_text == "on") != changed.push_pop)
            return bad(
                "--mode " + mode_text + " with --calls",
                std::string("the calls are those ") +
                    (changed.push_pop ? "with push/pop, mode on" : "without push/pop, mode off") +
                    ": leave --mode out");
        mode_text = changed.push_pop ? "on" : "off";
    }
    if (turn && steps)
        return bad("--turn with --steps", "give one of them");
    if (json && !steps)
        return bad("--json without --steps", "it lists the steps");
    if (turn && !ends_with(output, ".gif"))
        return bad(output, "--turn writes an animation, so OUTPUT must end in .gif");
    if (!ends_with(output, ".png") && !ends_with(output, ".gif"))
        return bad(output.empty() ? "''" : output, "OUTPUT must end in .png or .gif");

    if (!display_opens() && !start_virtual_display())
        return fail("no display, and no virtual one from xvfb-run (install the xvfb package)");
    int glut_argc = 1;  // GLUT sees none of our options
    char *glut_argv[] = {argv[0], nullptr};
    const bool sheet = steps && ends_with(output, ".png");
    const int band = steps ? caption_band : 0;
    if (!open_scene_window(&glut_argc, glut_argv, window_title, size[0], size[1] + band))
        return fail("the capture window was never shown");
    const std::string unread = learn_cube_part();
    if (!unread.empty())
        return fail("cannot follow the frame step by step: " + unread);
    if (lab_given) {
        std::string message = read_lab(calls_text, changed);
        if (!message.empty())
            return bad("--calls", message);
    }
    scene_state.use_push_pop = mode_text == "on";
    if (lab_given)
        use_lab(&changed);
    scene_state.angle_obj1 = scene_state.angle_obj2 = static_cast<float>(angle);
    scene_state.cam_x = static_cast<float>(eye[0]);
    scene_state.cam_y = static_cast<float>(eye[1]);
    scene_state.cam_z = static_cast<float>(eye[2]);

    std::string error;
    if (sheet) {
        size_t count = count_steps();
        sheet_layout layout = sheet_size(count, size[0], size[1] + band);
        if (layout.width > largest_sheet || layout.height > largest_sheet) {
            // The largest window each way whose sheet is still accepted.
            sheet_layout one = sheet_size(count, 0, band);
            int width = std::min(4096, (largest_sheet - one.width) / layout.columns);
            int height = std::min(4096, (largest_sheet - one.height) / 2);
            return bad("--size " + size_text,
                       "a sheet of " + std::to_string(count) + " steps would be " +
                           std::to_string(layout.width) + "x" + std::to_string(layout.height) +
                           " pixels, more than the " + std::to_string(largest_sheet) +
                           " a side that common viewers show: at most --size " +
                           std::to_string(width) + "x" + std::to_string(height) +
                           " for this sheet");
        }
    }
    if (steps) {
        std::vector<frame_step> pictures = draw_steps(band);
        if (json)
            fputs(step_calls_json().c_str(), stdout);
        else
            print_steps(step_calls());
        gif_stream gif;
        error = ends_with(output, ".gif") ? gif_begin(gif, output, size[0], size[1] + band, 100)
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
