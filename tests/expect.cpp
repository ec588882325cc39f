// expect.cpp - testkit.h's answers for the page test, which asks here instead
// of keeping copies of the camera model, the keys' rules and the colour rules.
// Prints one JSON list, an answer for each item of its arguments:
//
//   quenlade_expect project EYE POINT...  where POINT (X,Y,Z) lands seen from
//       EYE (X,Y,Z) in the 500x500 window: [x, y] in pixels from the lower left
//   quenlade_expect keys CODE...  the eye and report line after each key code,
//       typed from the home view: {"eye": [x, y, z], "line": "Camera: ..."}
//   quenlade_expect colours R,G,B...  the names of the colours (grey, blue,
//       white, yellow, red, green) that each looks like: ["grey", "white"]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/testkit.h"

namespace {

int usage()
{
    std::fputs("usage: quenlade_expect project EYE POINT... | keys CODE... | colours R,G,B...\n",
               stderr);
    return 2;
}

// Reads count numbers separated by commas; false unless that is all the
// text.
bool read_numbers(const std::string &text, double *numbers, int count)
{
    const char *at = text.c_str();
    for (int i = 0; i < count; i++) {
        char *end = nullptr;
        numbers[i] = std::strtod(at, &end);
        if (end == at || (i + 1 < count && *end != ','))
            return false;
        at = end + (i + 1 < count);
    }
    return *at == '\0';
}

bool read_point(const std::string &text, testkit::vec3 &p)
{
    double xyz[3];
    if (!read_numbers(text, xyz, 3))
        return false;
    p = {xyz[0], xyz[1], xyz[2]};
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    const std::string query = argc > 1 ? argv[1] : "";
    const size_t first = query == "project";  // the eye comes first
    if (query != "project" && query != "keys" && query != "colours")
        return usage();
    std::vector<std::string> items(argv + std::min(argc, 2), argv + argc);
    testkit::vec3 eye = testkit::eye_after({}, 'R');
    if (first && (items.empty() || !read_point(items[0], eye)))
        return usage();

    std::string out = "[";
    for (size_t i = first; i < items.size(); i++) {
        char answer[256] = "";
        testkit::vec3 p{};
        testkit::rgb c{};
        double number[3] = {0, 0, 0};
        if (query == "project" && read_point(items[i], p)) {
            testkit::pixel_pos at = testkit::project(p, eye);
            std::snprintf(answer, sizeof answer, "[%.4f, %.4f]", at.x, at.y);
        } else if (query == "keys" && read_numbers(items[i], number, 1)) {
            eye = testkit::eye_after(eye, static_cast<int>(number[0]));
            std::snprintf(answer, sizeof answer, "{\"eye\": [%.9g, %.9g, %.9g], \"line\": \"%s\"}",
                          eye.x, eye.y, eye.z, testkit::report_line(eye).c_str());
        } else if (query == "colours" && read_numbers(items[i], number, 3)) {
            c = {static_cast<int>(number[0]), static_cast<int>(number[1]),
                 static_cast<int>(number[2])};
            std::string names;
            for (const auto &colour : testkit::colours)
                if (colour.looks(c))
                    names += std::string(names.empty() ? "" : ", ") + "\"" + colour.name + "\"";
            std::snprintf(answer, sizeof answer, "[%s]", names.c_str());
        } else {
            return usage();
        }
        out += std::string(out.size() > 1 ? ", " : "") + answer;
    }
    std::puts((out + "]").c_str());
    return 0;
}
