// capture_options.cpp - reading and checking quenlade-capture's arguments.
#include "tools/capture_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

const char capture_usage[] =
    "usage: quenlade-capture [options] OUTPUT.png|OUTPUT.gif\n"
    "\n"
    "Renders what Quenlade draws for the given state, through the program's own\n"
    "drawing code, and saves it as a PNG picture or, with --turn, as an animated\n"
    "GIF of one full turn. Uses $DISPLAY when it can be opened; otherwise starts a\n"
    "private Xvfb for the capture and stops it afterwards.\n"
    "\n"
    "options:\n"
    "  --mode on|off     push/pop mode: on brackets each cube with a matrix push and\n"
    "                    pop, off composes the second cube onto the first (default on)\n"
    "  --angle DEG       angle of both cubes in degrees (default 0)\n"
    "  --eye X,Y,Z       eye point (default 1.69,2.9,8.1, the home view)\n"
    "  --size WxH        window size in pixels, each 1 to 4096 (default 500x500)\n"
    "  --turn            render one full turn, 0 to 360 degrees in steps of 5\n"
    "                    (73 frames, 100 ms each, as the program animates it);\n"
    "                    OUTPUT must end in .gif\n"
    "  -h, --help        show this help\n";

namespace {

// A whole finite number, nothing before or after it.
bool parse_number(const char *text, float &value)
{
    char *end = nullptr;
    errno = 0;
    double d = strtod(text, &end);
    if (end == text || *end != '\0' || errno == ERANGE || !std::isfinite(d) || std::fabs(d) > 1e6) {
        return false;
    }
    value = static_cast<float>(d);
    return true;
}

bool parse_eye(const std::string &text, float eye[3])
{
    size_t first = text.find(','), second = text.find(',', first + 1);
    if (first == std::string::npos || second == std::string::npos ||
        text.find(',', second + 1) != std::string::npos) {
        return false;
    }
    return parse_number(text.substr(0, first).c_str(), eye[0]) &&
           parse_number(text.substr(first + 1, second - first - 1).c_str(), eye[1]) &&
           parse_number(text.substr(second + 1).c_str(), eye[2]);
}

bool parse_size(const std::string &text, int &width, int &height)
{
    size_t x = text.find('x');
    if (x == std::string::npos)
        return false;
    std::string w = text.substr(0, x), h = text.substr(x + 1);
    auto whole = [](const std::string &s, int &out) {
        if (s.empty() || s.size() > 4 || s.find_first_not_of("0123456789") != std::string::npos) {
            return false;
        }
        out = static_cast<int>(std::strtol(s.c_str(), nullptr, 10));
        return out >= 1 && out <= 4096;
    };
    return whole(w, width) && whole(h, height);
}

bool ends_with(const std::string &s, const char *suffix)
{
    size_t n = strlen(suffix);
    return s.size() > n && s.compare(s.size() - n, n, suffix) == 0;
}

}  // namespace

parse_result parse_capture_options(int argc, char **argv, capture_options &options,
                                   std::string &message)
{
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        bool takes_value = arg == "--mode" || arg == "--angle" || arg == "--eye" || arg == "--size";
        if (takes_value && i + 1 >= argc) {
            message = arg + " needs a value";
            return parse_result::error;
        }
        if (arg == "-h" || arg == "--help")
            return parse_result::help;

        if (arg == "--mode") {
            std::string mode = argv[++i];
            if (mode != "on" && mode != "off") {
                message = "--mode takes on or off, not '" + mode + "'";
                return parse_result::error;
            }
            options.use_push_pop = mode == "on";
        } else if (arg == "--angle") {
            if (!parse_number(argv[++i], options.angle)) {
                message = std::string("--angle takes a number of degrees, not '") + argv[i] + "'";
                return parse_result::error;
            }
        } else if (arg == "--eye") {
            if (!parse_eye(argv[++i], options.eye)) {
                message = std::string("--eye takes three numbers X,Y,Z, not '") + argv[i] + "'";
                return parse_result::error;
            }
        } else if (arg == "--size") {
            if (!parse_size(argv[++i], options.width, options.height)) {
                message = std::string("--size takes WxH, each 1 to 4096, not '") + argv[i] + "'";
                return parse_result::error;
            }
        } else if (arg == "--turn") {
            options.full_turn = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            message = "unknown option '" + arg + "'";
            return parse_result::error;
        } else if (!options.output.empty()) {
            message = "only one OUTPUT file, not '" + options.output + "' and '" + arg + "'";
            return parse_result::error;
        } else {
            options.output = arg;
        }
    }

    if (options.output.empty()) {
        message = "no OUTPUT file given";
    } else if (options.full_turn && !ends_with(options.output, ".gif")) {
        message = "--turn writes an animation: OUTPUT must end in .gif";
    } else if (!ends_with(options.output, ".png") && !ends_with(options.output, ".gif")) {
        message = "OUTPUT must end in .png or .gif, not '" + options.output + "'";
    }
    return message.empty() ? parse_result::run : parse_result::error;
}
