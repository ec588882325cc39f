// expect.cpp - testkit.h's answers for the page test, which asks here instead
// of keeping copies of the camera model, the keys' rules and the colour rules.
// Prints one JSON list, an answer for each item of its arguments:
//
//   quenlade_expect project EYE POINT...  where POINT (X,Y,Z, or X,Y,Z@DEG:
//       turned DEG degrees about z) lands seen from EYE (X,Y,Z) in the 500x500
//       window: [x, y] in pixels from the lower left
//   quenlade_expect keys CODE...  the eye and report line after each key code,
//       typed from the home view: {"eye": [x, y, z], "line": "Camera: ..."}
//   quenlade_expect colours R,G,B...  the names of the colours (grey, blue,
//       white, yellow, red, green) that each looks like: ["grey", "white"]
#include <algorithm>
#include <cstdio>
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

bool read_point(const std::string &text, testkit::vec3 &p)
{
    double turn = 0;
    int used = 0, fields = std::sscanf(text.c_str(), "%lf,%lf,%lf%n@%lf%n", &p.x, &p.y, &p.z, &used,
                                       &turn, &used);
    p = testkit::turn_z(p, turn);
    return fields >= 3 && used == static_cast<int>(text.size());
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
        int code = 0;
        if (query == "project" && read_point(items[i], p)) {
            testkit::pixel_pos at = testkit::project(p, eye);
            std::snprintf(answer, sizeof answer, "[%.4f, %.4f]", at.x, at.y);
        } else if (query == "keys" && std::sscanf(items[i].c_str(), "%d", &code) == 1) {
            eye = testkit::eye_after(eye, code);
            std::snprintf(answer, sizeof answer, "{\"eye\": [%.9g, %.9g, %.9g], \"line\": \"%s\"}",
                          eye.x, eye.y, eye.z, testkit::report_line(eye).c_str());
        } else if (query == "colours" &&
                   std::sscanf(items[i].c_str(), "%d,%d,%d", &c.r, &c.g, &c.b) == 3) {
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
