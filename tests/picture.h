// picture.h - RGB pictures for the tests: read back from GL or from PNG and
// GIF files, saved as PNG when a test fails, and the colour tests the probes
// use.
#pragma once

#include <string>
#include <vector>

namespace testkit {

struct rgb {
    int r, g, b;
};

// Row 0 at the bottom, as OpenGL reads pixels.
struct picture {
    int width = 0, height = 0;
    std::vector<unsigned char> data;  // RGB
    rgb at(int x, int y) const;       // (-1, -1, -1) outside the picture
};

// Saves a picture as NAME.png in the working folder and returns the path.
std::string save_png(const picture &pic, const std::string &name);

// Empty pictures when the file cannot be read.
picture load_png(const std::string &path);
std::vector<picture> load_gif(const std::string &path, std::vector<int> *delays_cs = nullptr);

// How many pixels differ by more than a little in any channel.
int count_differences(const picture &a, const picture &b);

// Lit colours come from the materials alone. Grey keeps r = g = b. Blue
// (0, 0.5, 1) keeps g at half of b until b saturates: the light adds at most
// 0.2 ambient and 1 diffuse, so g never passes 0.6 of full.
bool looks_grey(rgb c);
bool looks_blue(rgb c);
std::string describe(rgb c);

}  // namespace testkit
