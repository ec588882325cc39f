// capture.cpp - quenlade-capture: saves what Quenlade draws, for slides, the
// README and machines without a display.
//
// It opens a window like the program's and draws with the program's own
// init_scene, on_reshape, on_timer and on_display, for a state taken from the
// command line. With no display it draws on a virtual one from xvfb-run.
// Given a challenge's target and no file, it checks a student's calls
// instead: whether GL puts each cube where the target's stands.
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
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "app/callbacks.h"
#include "app/scene_state.h"
#include "app/window.h"
#include "steps/challenges.h"
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
// signal meets its own handler, which removes a half-written file.
// xvfb-run, its shell and Xvfb run in a session of their own: a Ctrl+C or a
// hang-up in the terminal reaches the whole process group, and Xvfb would
// end or reset on it, breaking this program's connection and signalling
// xvfb-run in its clean-up. -noreset keeps Xvfb from resetting when this
// program, its last client, leaves, which also signals xvfb-run, and can
// make its clean-up stop halfway, leaving its folder and Xvfb behind.
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
        setsid();
        for (int s : {SIGINT, SIGTERM, SIGHUP}) signal(s, SIG_IGN);
        execlp("xvfb-run", "xvfb-run", "--auto-servernum",
               "--server-args=-screen 0 1280x1024x24 -noreset", "sh", "-c",
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

// The largest window a side, and what each option accepts, in the words of
// its one-line message.
const int largest_window = 4096;
static const struct {
    const char *option, *accepted;
} rules[] = {
    {"--mode", "the mode must be on or off"},
    {"--angle", "the angle must be a decimal number from 0 to 360 degrees"},
    {"--eye", "the eye point must be three decimal numbers X,Y,Z, each from -1000 to 1000"},
    {"--size", "the size must be WxH, two whole numbers of pixels from 1 to 4096, such as 800x600"},
    {"--calls", "the calls must be the cube part's, separated by ; (see --help)"},
    {"--target", "the target must be calls or a challenge's link (see --help)"},
};
enum { mode_rule, angle_rule, eye_rule, size_rule };

// One line for an argument that is wrong: which, what was given, what is
// accepted.
static int bad(const std::string &given, const std::string &accepted)
{
    return fail(given + ": " + accepted, 2);
}

// What the command line asks for.
struct request {
    bool push_pop = true;
    bool mode_given = false;
    double angle = 0;
    double eye[3] = {home_eye.x, home_eye.y, home_eye.z};
    std::string size_text = "500x500";  // as given, for a refusal
    int width = 500, height = 500;
    bool angle_given = false;
    bool lab_given = false;
    lab changed;              // with lab_given, the calls that replace the frame's
    std::string calls_text;   // as given: the calls, or a link holding them
    std::string target_text;  // --target as given, or ""
    challenge_link target;    // read from it
    bool checking() const
    {
        return output.empty() && !target_text.empty();
    }
    bool turn = false, steps = false, json = false;
    std::string output;
    std::vector<std::string> extras;  // what no option took
};

// The status of a part after which the next one runs.
const int go_on = -1;

// --calls: the lab's text, or a link as copied from the page, its calls
// read into r.changed as text: they are held to the frame's own calls once
// the frame can be drawn (draw). A link without calls is the program's. ""
// or, for text it cannot read, where it stopped and what it expected there.
static std::string read_calls(const std::string &text, request &r)
{
    challenge_link link;
    r.calls_text = text;
    const std::string message = read_link(text, link, false);
    r.lab_given = message.empty() && (!link.calls.empty() || !link.is_link);
    return message.empty() && r.lab_given ? read_lab(link.calls, r.changed, false) : message;
}

// --target: calls, or a link whose challenge=, seed= and level=, or target=
// names the target (else its calls are the target).
static std::string read_target(const std::string &text, request &r)
{
    r.target_text = text;
    std::string message = read_link(text, r.target, false);
    if (message.empty() && !r.target.has_target() && r.target.calls.empty())
        return reading_error(text, text.size(), "calls, challenge=, seed= with level=, or target=");
    return message;
}

// A value refused, as the two parts of its line.
struct refusal {
    std::string given, accepted;
};

// A CLI11 validator made of read, which takes an option's value into the
// request and returns "" or, when it refuses the value, the line saying so;
// that line is kept in refused, as CLI11 would put words of its own around
// it.
static CLI::Validator reading(refusal &refused,
                              const std::function<refusal(const std::string &)> &read)
{
    return CLI::Validator(
        [&refused, read](std::string &value) {
            refusal line = read(value);
            if (!line.accepted.empty())
                refused = line;
            return line.accepted;
        },
        "");
}

// Reads the command line into r with CLI11, each option's value through a
// validator of its own. go_on, or the status to end with: 0 after --help or
// --version, 2 after the line for an argument that is wrong.
static int read_options(int argc, char **argv, request &r)
{
    CLI::App app{
        "Renders what Quenlade draws for the given state, through the program's own\n"
        "drawing code, and saves it as a PNG picture or, with --turn, as a looping GIF\n"
        "of one full turn, or with --steps the frame step by step; or, with --target\n"
        "and no OUTPUT, checks whether the cubes stand where a challenge wants them.\n"
        "Uses $DISPLAY when it can be opened, otherwise a virtual display started\n"
        "with xvfb-run. Each option may be given once.\n\n"
        "The file is written whole or not at all: it is written to a hidden temporary\n"
        "file in the same folder and renamed to OUTPUT only once complete, so an\n"
        "existing OUTPUT stays as it was until then. A folder that does not exist or\n"
        "takes no new file is found before anything is drawn. When writing fails (a\n"
        "full disk too), the display goes away, or the tool is stopped by SIGINT,\n"
        "SIGTERM or SIGHUP, the temporary file is removed and OUTPUT is left untouched.",
        program};
    // --help answers before any value is read.
    app.get_help_ptr()->each([](const std::string &) { throw CLI::CallForHelp(); });
    app.set_version_flag("--version", std::string(program) + " " QUENLADE_VERSION);
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    app.allow_extras();  // reported in check_options, in this program's words
    refusal refused;
    app.add_option("--mode")
        ->description(
            "push/pop mode: on brackets each cube with a matrix push and\n"
            "pop, off composes the second cube onto the first")
        ->type_name("on|off")
        ->default_str("on")
        ->check(reading(refused, [&r](std::string value) {
            bool known = CLI::IsMember({"on", "off"})(value).empty();
            r.push_pop = value == "on";
            return refusal{"--mode " + value, known ? "" : rules[mode_rule].accepted};
        }));
    app.add_option("--angle")
        ->description(
            "angle of both cubes, 0 to 360 degrees; a challenge's target (--target)\n"
            "holds its own")
        ->type_name("DEG")
        ->default_str("0")
        ->check(reading(refused, [&r](const std::string &value) {
            bool taken = read_decimal(value, 0, 360, r.angle);
            return refusal{"--angle " + value, taken ? "" : rules[angle_rule].accepted};
        }));
    app.add_option("--eye")
        ->description(
            "the eye point, as X,Y,Z, each -1000 to 1000, X and Z not both 0\n"
            "(default: the home view, 1.69,2.9,8.1)")
        ->type_name("X,Y,Z")
        ->check(reading(refused,
                        [&r](const std::string &value) {
                            std::vector<std::string> parts = split(value, ',');
                            bool taken = parts.size() == 3;
                            for (size_t i = 0; taken && i < 3; i++)
                                taken = read_decimal(parts[i], -1000, 1000, r.eye[i]);
                            return refusal{"--eye " + value, taken ? "" : rules[eye_rule].accepted};
                        }))
        // The view keeps y up, which gives it no sides when it looks along y
        // (the program keeps the eye in single precision).
        ->check(reading(refused, [&r](const std::string &value) {
            bool on_y_axis = static_cast<float>(r.eye[0]) == 0 && static_cast<float>(r.eye[2]) == 0;
            return refusal{"--eye " + value,
                           on_y_axis
                               ? "the eye point must be off the y axis, where the view has no "
                                 "sides; try 0," +
                                     split(value, ',')[1] + ",0.01"
                               : ""};
        }));
    app.add_option("--size")
        ->description("the window's width and height in pixels, as WxH, each 1 to 4096")
        ->type_name("WxH")
        ->default_str("500x500")
        ->check(reading(refused, [&r](const std::string &value) {
            static const std::regex whole_by_whole("([0-9]{1,5})x([0-9]{1,5})");
            std::smatch wxh;
            bool taken = std::regex_match(value, wxh, whole_by_whole);
            if (taken) {
                r.size_text = value;
                r.width = std::stoi(wxh[1]);
                r.height = std::stoi(wxh[2]);
                taken = r.width >= 1 && r.width <= largest_window && r.height >= 1 &&
                        r.height <= largest_window;
            }
            return refusal{"--size " + value, taken ? "" : rules[size_rule].accepted};
        }));
    app.add_option("--calls")
        ->description(
            "the frame with its cube part's calls changed, as the page's lab writes\n"
            "them after # in its link: the calls in order, separated by ;, such as\n"
            "'glRotatef(a1,0,0,1);glTranslatef(1,0,0);glutSolidCube(0.5);...'. They are\n"
            "the calls that the frame makes for the cubes in one mode, in any order,\n"
            "with any numbers (-1000 to 1000, a cube's size from 0); a1 and a2 are the\n"
            "cubes' angles (--angle, and turning with --turn), and a - in front of\n"
            "glPushMatrix() or glPopMatrix() switches it off. With push/pop among them\n"
            "the mode is on, without it off. The frame makes them in place of its own;\n"
            "the view, the axes and the label are its own. A link copied from the page's\n"
            "address (http://.../index.html#glPushMatrix();...) gives its calls (what\n"
            "else it holds is not the target: that is --target's); one without calls,\n"
            "the program's")
        ->type_name("TEXT")
        ->check(reading(refused, [&r](const std::string &value) {
            return refusal{"--calls", read_calls(value, r)};
        }));
    app.add_option("--target")
        ->description(
            "a challenge: where each cube must stand, as the cubes of these calls (as\n"
            "--calls), or of a link's challenge: #...&challenge=N for the N-th built-in\n"
            "one, #...&seed=S&level=L for one made from a seed S (0 to 4294967295) at\n"
            "level 1 to 3, #...&target=CALLS&angle=DEG&goal=WORDS for a teacher's own\n"
            "(percent-encoded, as a browser writes them). A challenge holds its own\n"
            "angle. Without OUTPUT, checks the frame (--calls, else the program's in\n"
            "--mode) instead of drawing it: one line per cube, grey then blue, with its\n"
            "distance from the target, the largest angle between their axes and the\n"
            "difference of their sizes, and whether it matches (within 0.01 and 1\n"
            "degree); status 0 when both match, 1 when not, 2 for text it cannot read,\n"
            "3 when it cannot check. With OUTPUT, the target's cubes are drawn in\n"
            "outline in every frame")
        ->type_name("TARGET")
        ->check(reading(refused, [&r](const std::string &value) {
            return refusal{"--target", read_target(value, r)};
        }));
    // A flag is "true" unless given a value, which it does not take.
    auto no_value = [&refused](const char *flag) {
        return reading(refused, [flag](const std::string &value) {
            return refusal{std::string(flag) + " with a value",
                           value == "true" ? "" : "it takes none"};
        });
    };
    app.add_flag("--turn", r.turn,
                 "one turn from --angle on: 73 frames 5 degrees and 100 ms apart, past 360\n"
                 "starting again at 0, as the program animates it; OUTPUT must end in .gif")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw)
        ->check(no_value("--turn"));
    app.add_flag("--steps", r.steps,
                 "the frame step by step: a picture after each modelview call that the frame\n"
                 "makes for the cubes, with the coordinate frame it leaves and the call; a .gif\n"
                 "shows one step a second, a .png all of them on one sheet (at most 16384\n"
                 "pixels a side). Each step is the window's picture with a band above it for\n"
                 "its call. The calls are listed on standard output, each with the depth of\n"
                 "the matrix stack and the frame it leaves in world coordinates: its x, y and\n"
                 "z axes and its origin. Not with --turn")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw)
        ->check(no_value("--steps"));
    app.add_flag("--json", r.json,
                 "with --steps, list the steps on standard output as one JSON document instead:\n"
                 "a list of steps, each with \"call\", \"depth\", \"world\" (the top matrix with\n"
                 "the view taken out) and \"modelview\" (the top matrix as GL returns it, the\n"
                 "view included), each matrix 16 numbers column by column, as GL stores it;\n"
                 "also \"stack\" and \"modelview_stack\", every matrix on the stack from the\n"
                 "view up, each both ways, and \"stories\", what made each what it is (the\n"
                 "call whose push copied it, 0 for the view, and the calls that changed it);\n"
                 "\"lab\", the call as --calls writes it, and as data: \"name\", \"off\",\n"
                 "\"angle\" (1 or 2 for a1 or a2) and \"numbers\", each with its value and the\n"
                 "bounds and step the lab keeps it to; for a pop \"ghost\", \"ghost_modelview\"\n"
                 "and \"ghost_story\", the matrix it threw away; and for a call that GL\n"
                 "refused, \"error\", such as GL_STACK_UNDERFLOW")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw)
        ->check(no_value("--json"));
    app.add_option("OUTPUT", r.output, "the .png or .gif file to write; none to check --target")
        ->type_name("");
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success &e) {  // --help or --version
        return app.exit(e);
    } catch (const CLI::ValidationError &e) {
        if (!refused.accepted.empty())
            return bad(refused.given, refused.accepted);
        return fail("cannot read the arguments: " + std::string(e.what()) + " (see --help)", 2);
    } catch (const CLI::ArgumentMismatch &e) {
        // An option given twice, which its policy refuses, or one that
        // ends the command line without its value.
        for (const CLI::Option *option : app.get_options()) {
            if (option->count() < 2)
                continue;
            std::string given;
            for (const std::string &value : option->results()) {
                given += (given.empty() ? "" : " ") + option->get_name() +
                         (option->get_expected_max() == 0 ? "" : " " + value);
            }
            return bad(given, "an option may be given only once");
        }
        for (const auto &rule : rules) {
            if (argv[argc - 1] == std::string(rule.option))
                return bad(std::string(rule.option) + " without a value", rule.accepted);
        }
        return fail("cannot read the arguments: " + std::string(e.what()) + " (see --help)", 2);
    } catch (const CLI::ParseError &e) {
        return fail("cannot read the arguments: " + std::string(e.what()) + " (see --help)", 2);
    }
    r.mode_given = app.count("--mode") > 0;
    r.angle_given = app.count("--angle") > 0;
    r.extras = app.remaining();
    return go_on;
}

// Checks what the options ask for together, and where the file goes.
// go_on, or the status to end with after one line: 2 for arguments that do
// not go together, 1 when OUTPUT cannot be written there.
static int check_options(request &r)
{
    for (const std::string &extra : r.extras) {
        if (extra == "--")  // what follows is OUTPUT, even if it begins with -
            continue;
        if (extra.size() > 1 && extra[0] == '-')
            return bad(extra, "no such option (see --help)");
        return bad(extra, "one output file at a time, and " + r.output + " is given");
    }
    if (r.lab_given) {
        if (r.mode_given && r.push_pop != r.changed.push_pop)
            return bad(
                std::string("--mode ") + (r.push_pop ? "on" : "off") + " with --calls",
                std::string("the calls are those ") +
                    (r.changed.push_pop ? "with push/pop, mode on" : "without push/pop, mode off") +
                    ": leave --mode out");
        r.push_pop = r.changed.push_pop;
    }
    // A challenge's cubes stand where its own angle puts them.
    const challenge_link &t = r.target;
    if (r.angle_given && (t.challenge > 0 || t.seeded || t.angle_given))
        return bad("--angle " + plain_decimal(r.angle) + " with --target",
                   "the challenge holds its own angle: leave --angle out");
    if (r.turn && r.steps)
        return bad("--turn with --steps", "give one of them");
    if (r.output.empty() && r.target_text.empty())
        return bad("no OUTPUT", "name the .png or .gif file to write");
    if (r.checking() && (r.turn || r.steps))
        return bad(r.turn ? "--turn without OUTPUT" : "--steps without OUTPUT",
                   "checking --target draws nothing: name the .png or .gif file to write");
    if (r.json && !r.steps)
        return bad("--json without --steps", "it lists the steps");
    if (r.checking())
        return go_on;
    if (r.turn && !ends_with(r.output, ".gif"))
        return bad(r.output, "--turn writes an animation, so OUTPUT must end in .gif");
    if (!ends_with(r.output, ".png") && !ends_with(r.output, ".gif"))
        return bad(r.output.empty() ? "''" : r.output, "OUTPUT must end in .png or .gif");
    // Before anything is drawn or listed: its folder exists and takes a new
    // file.
    std::string why = check_writable(r.output);
    return why.empty() ? go_on : fail(why);
}

// The largest window of the shape asked for whose sheet of count steps is
// still accepted: as large as the tighter of the two limits allows, the
// other side in proportion.
static std::string largest_of_shape(size_t count, int width, int height, int band)
{
    sheet_layout one = sheet_size(count, 0, band);
    long most_width = std::min(largest_window, (largest_sheet - one.width) / one.columns);
    long most_height = std::min(largest_window, (largest_sheet - one.height) / 2);
    long w = width, h = height;
    if (w * most_height >= h * most_width) {
        h = std::max(1L, h * most_width / w);
        w = most_width;
    } else {
        w = std::max(1L, w * most_height / h);
        h = most_height;
    }
    return std::to_string(w) + "x" + std::to_string(h);
}

// Whether each cube of got stands where target's does, one line each, and
// whether all do.
static bool check_places(const std::vector<cube_place> &got, const std::vector<cube_place> &target)
{
    const places_compared m = compare_places(got, target);
    const char *const names[] = {"grey cube", "blue cube"};
    for (size_t i = 0; i < m.cubes.size(); i++) {
        const cube_difference &d = m.cubes[i];
        const std::string name = i < 2 ? names[i] : "cube " + std::to_string(i + 1);
        printf("%s: %s: %.3f from its target, axes %.1f degrees apart, sizes %.3f apart\n",
               name.c_str(), d.matches ? "matches" : "does not match", d.distance, d.degrees,
               d.length);
    }
    if (!m.same_count)
        printf("the frame draws %zu cubes where the target has %zu: no match\n", got.size(),
               target.size());
    return m.matches;
}

// Draws what r asks for on a display and writes it, or checks it against
// the target. The status to end with; when checking, a failure to check is
// 3, so that it is never taken for a frame that does not match (1).
static int draw(const request &r, char *argv0)
{
    const int broken = r.checking() ? 3 : 1;
    exit_when_display_lost(std::string(program) + ": cannot " +
                               (r.checking() ? "check" : "write " + r.output) +
                               ": the display went away while drawing",
                           broken);
    if (!display_opens() && !start_virtual_display())
        return fail("no display, and no virtual one from xvfb-run (install the xvfb package)",
                    broken);
    int glut_argc = 1;  // GLUT sees none of our options
    char *glut_argv[] = {argv0, nullptr};
    const bool sheet = r.steps && ends_with(r.output, ".png");
    const int band = r.steps ? caption_band : 0;
    if (!open_scene_window(&glut_argc, glut_argv, window_title, r.width, r.height + band))
        return fail("the capture window was never shown", broken);
    // The frame's own calls, which the lab's must be, learnt from it.
    const std::string unread = learn_cube_part();
    if (!unread.empty())
        return fail("cannot follow the frame step by step: " + unread, broken);
    lab changed = r.changed;
    if (r.lab_given) {
        challenge_link link;
        const std::string message = read_link(r.calls_text, link);
        if (!message.empty())
            return bad("--calls", message);
        read_lab(link.calls, changed);
    }
    float angle = static_cast<float>(r.angle);
    std::vector<cube_place> target;
    if (!r.target_text.empty()) {
        challenge_link link;
        const std::string message = read_link(r.target_text, link);
        if (!message.empty())
            return bad("--target", message);
        challenge c;
        if (!link.has_target()) {
            c.solutions.emplace_back();
            read_lab(link.calls, c.solutions[0]);
        } else if (!link_challenge(link, c)) {
            return fail("cannot make the challenge of --target " + r.target_text, broken);
        }
        if (link.challenge > 0 || link.seeded || link.angle_given)
            angle = c.angle;
        c.angle = angle;
        target = target_places(c);
    }
    if (r.checking())
        return check_places(cubes_drawn(r.lab_given ? &changed : nullptr, r.push_pop, angle),
                            target)
                   ? 0
                   : 1;
    show_target(target);
    scene_state.use_push_pop = r.push_pop;
    if (r.lab_given)
        use_lab(&changed);
    scene_state.angle_obj1 = scene_state.angle_obj2 = angle;
    scene_state.cam_x = static_cast<float>(r.eye[0]);
    scene_state.cam_y = static_cast<float>(r.eye[1]);
    scene_state.cam_z = static_cast<float>(r.eye[2]);

    std::string error;
    if (sheet) {
        size_t count = count_steps();
        sheet_layout layout = sheet_size(count, r.width, r.height + band);
        if (layout.width > largest_sheet || layout.height > largest_sheet) {
            return bad("--size " + r.size_text,
                       "a sheet of " + std::to_string(count) + " steps would be " +
                           std::to_string(layout.width) + "x" + std::to_string(layout.height) +
                           " pixels, more than the " + std::to_string(largest_sheet) +
                           " a side that common viewers show: at most --size " +
                           largest_of_shape(count, r.width, r.height, band) + " in that shape");
        }
    }
    if (r.steps) {
        std::vector<frame_step> pictures = draw_steps(band);
        if (r.json)
            fputs(step_calls_json().c_str(), stdout);
        else
            print_steps(step_calls());
        gif_stream gif;
        error = ends_with(r.output, ".gif")
                    ? gif_begin(gif, r.output, r.width, r.height + band, 100)
                    : write_png(r.output, contact_sheet(pictures));
        for (size_t i = 0; gif.file && i < pictures.size() && error.empty(); i++)
            error = gif_add_frame(gif, pictures[i].picture);
        if (error.empty())
            error = gif_end(gif);
    } else if (!ends_with(r.output, ".gif")) {
        error = write_png(r.output, draw_frame());
    } else {
        // Each frame is written as it is drawn. The program's own tick
        // advances the angles; the timers it arms never run, as GLUT's loop
        // is not entered again.
        gif_stream gif;
        error = gif_begin(gif, r.output, r.width, r.height,
                          static_cast<int>(scene_state.timer_ms / 10));
        for (int frame = 0; error.empty() && frame < (r.turn ? 73 : 1); frame++) {
            if (frame > 0)
                on_timer(0);
            error = gif_add_frame(gif, draw_frame());
        }
        if (error.empty())
            error = gif_end(gif);
    }
    return error.empty() ? 0 : fail(error);
}

// Reads the command line, checks it, and draws. CLI11 throws outside
// parse() only for a mistake in setting up the options, which should end
// the program.
int main(int argc, char **argv)  // NOLINT(bugprone-exception-escape)
{
    request r;
    int status = read_options(argc, argv, r);
    if (status == go_on)
        status = check_options(r);
    return status == go_on ? draw(r, argv[0]) : status;
}
