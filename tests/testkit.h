// testkit.h - what the suites share, and through tests/expect.cpp the page
// test too: an independent camera model that says where a world point lands
// in the window, from the textbook formulas; the keys' rules for the eye and
// its report line; colour tests for what the scene draws; waiting with a
// bound; and comparing and reading pictures.
#pragma once

#include <gif_lib.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tools/image_files.h"

namespace testkit {

struct vec3 {
    double x, y, z;
};
const vec3 home_eye = {1.69, 2.9, 8.1}, front_eye = {0, 0, 5};

// Window pixels, from the lower left.
struct pixel_pos {
    double x, y;
};

struct rgb {
    int r, g, b;
};

constexpr double pi = 3.14159265358979323846;

// The point p turned by deg degrees about the z axis.
inline vec3 turn_z(const vec3 &p, double deg)
{
    double c = std::cos(deg * pi / 180), s = std::sin(deg * pi / 180);
    return {p.x * c - p.y * s, p.x * s + p.y * c, p.z};
}

inline double dot(const vec3 &a, const vec3 &b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// The axes of a camera at eye looking at the origin with y up: forward to
// the origin, side = forward x up, and the true up = side x forward.
struct camera {
    vec3 side, up, forward;
};
inline camera camera_at(const vec3 &eye)
{
    double n = std::sqrt(dot(eye, eye)), m = std::hypot(eye.x, eye.z);
    vec3 f = {-eye.x / n, -eye.y / n, -eye.z / n}, s = {eye.z / m, 0, -eye.x / m};
    return {s, {s.y * f.z - s.z * f.y, s.z * f.x - s.x * f.z, s.x * f.y - s.y * f.x}, f};
}

// Where p lands seen from eye, through a 45 degree perspective of aspect 1,
// in a width x height viewport.
inline pixel_pos project(const vec3 &p, const vec3 &eye, int width = 500, int height = 500)
{
    camera c = camera_at(eye);
    vec3 d = {p.x - eye.x, p.y - eye.y, p.z - eye.z};
    double f = 1 / std::tan(22.5 * pi / 180) / dot(d, c.forward);
    return {(f * dot(d, c.side) + 1) * width / 2, (f * dot(d, c.up) + 1) * height / 2};
}

// The eye after a key: O and R go to the front and home views, X, Y and Z
// step 0.1 up their axis and x, y and z down, the rest leave it. The program
// keeps the eye in single precision, so each step is rounded to a float.
inline vec3 eye_after(const vec3 &eye, int key)
{
    auto kept = [](double v) { return static_cast<double>(static_cast<float>(v)); };
    const char *steps = "XxYyZz", *step = key > 0 ? std::strchr(steps, key) : nullptr;
    if (key == 'O' || key == 'o')
        return front_eye;
    if (key == 'R' || key == 'r')
        return {kept(home_eye.x), kept(home_eye.y), kept(home_eye.z)};
    if (!step)
        return eye;
    double v[3] = {eye.x, eye.y, eye.z}, &moved = v[(step - steps) / 2];
    moved = kept(moved + ((step - steps) % 2 ? -0.1 : 0.1));
    return {v[0], v[1], v[2]};
}

// The line the program prints for the eye after each key but Esc.
inline std::string report_line(const vec3 &eye)
{
    char line[128];
    std::snprintf(line, sizeof line, "Camera: %f, %f, %f", eye.x, eye.y, eye.z);
    return line;
}

// The pixel of pic at a window position; (-1, -1, -1) outside.
inline rgb at(const image &pic, pixel_pos where)
{
    int x = static_cast<int>(where.x), y = pic.height - 1 - static_cast<int>(where.y);
    if (where.x < 0 || where.y < 0 || x >= pic.width || y < 0)
        return {-1, -1, -1};
    const unsigned char *p = &pic.rgb[(static_cast<size_t>(y) * pic.width + x) * 3];
    return {p[0], p[1], p[2]};
}

// Lit colours come from the materials alone. Grey keeps r = g = b. Blue
// (0, 0.5, 1) keeps g at half of b until b saturates: the light adds at most
// 0.2 ambient and 1 diffuse, so g never passes 0.6 of full. Only text is
// white; yellow is the dot at a step's origin; red and green are the x and y
// axes.
inline bool looks_grey(rgb c)
{
    return c.r > 30 && std::abs(c.r - c.g) < 4 && std::abs(c.g - c.b) < 4;
}
inline bool looks_blue(rgb c)
{
    return c.b > 30 && c.r < 4 && 2 * c.g >= c.b - 6 && c.g <= 0.6 * 255 + 4;
}
inline bool looks_white(rgb c)
{
    return c.r > 150 && c.g > 150 && c.b > 150;
}
inline bool looks_yellow(rgb c)
{
    return c.r > 200 && c.g > 200 && c.b < 80;
}
inline bool looks_red(rgb c)
{
    return c.r > 100 && c.g < 30 && c.b < 30;
}
inline bool looks_green(rgb c)
{
    return c.g > 100 && c.r < 30 && c.b < 30;
}
const struct {
    const char *name;
    bool (*looks)(rgb);
} colours[] = {{"grey", looks_grey},     {"blue", looks_blue}, {"white", looks_white},
               {"yellow", looks_yellow}, {"red", looks_red},   {"green", looks_green}};

// Polls until done() holds, for at most a bound that only a hang reaches;
// returns whether it holds.
template <typename Done>
bool wait_until(Done done, int seconds = 30)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (; !done(); std::this_thread::sleep_for(std::chrono::milliseconds(10))) {
        if (std::chrono::steady_clock::now() > end)
            return done();
    }
    return true;
}

// How many pixels differ by more than a little in any channel.
inline int count_differences(const image &a, const image &b)
{
    if (a.width != b.width || a.height != b.height)
        return a.width * a.height + 1;
    int count = 0;
    for (size_t i = 0; i < a.rgb.size(); i += 3) {
        count += std::abs(a.rgb[i] - b.rgb[i]) > 8 || std::abs(a.rgb[i + 1] - b.rgb[i + 1]) > 8 ||
                 std::abs(a.rgb[i + 2] - b.rgb[i + 2]) > 8;
    }
    return count;
}

// The frames of a GIF file, and how long each is shown (hundredths of a
// second); none when the file cannot be read.
inline std::vector<image> read_gif(const std::string &path, std::vector<int> *delays_cs = nullptr)
{
    std::vector<image> frames;
    int error = 0;
    GifFileType *gif = DGifOpenFileName(path.c_str(), &error);
    int count = gif && DGifSlurp(gif) == GIF_OK ? gif->ImageCount : 0;
    for (int i = 0; i < count; i++) {
        const SavedImage &saved = gif->SavedImages[i];
        const ColorMapObject *map =
            saved.ImageDesc.ColorMap ? saved.ImageDesc.ColorMap : gif->SColorMap;
        image pic{saved.ImageDesc.Width, saved.ImageDesc.Height, {}};
        for (int p = 0; p < pic.width * pic.height; p++) {
            GifColorType c = map->Colors[saved.RasterBits[p]];
            pic.rgb.insert(pic.rgb.end(), {c.Red, c.Green, c.Blue});
        }
        frames.push_back(pic);
        GraphicsControlBlock timing{};
        if (delays_cs && DGifSavedExtensionToGCB(gif, i, &timing) == GIF_OK)
            delays_cs->push_back(timing.DelayTime);
    }
    DGifCloseFile(gif, &error);
    return frames;
}

// Why a group of tests skips: what it needs, left where ctest finds it to
// say after its summary (see tests/CMakeLists.txt), and as a line to print.
// A test program without what it needs exits with `skipped`.
constexpr int skipped = 77;
inline std::string skip_note(const std::string &group, const std::string &needs)
{
    if (const char *dir = std::getenv("QUENLADE_SKIPPED"))
        std::ofstream(std::string(dir) + "/" + group) << needs << "\n";
    return group + ": skipped, needs " + needs;
}
const char *const no_display = "an X display (or ctest under the repository's scripts/xvfb)";

}  // namespace testkit
