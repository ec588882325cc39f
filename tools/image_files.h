// image_files.h - writing captured frames as PNG pictures and GIF animations.
#pragma once

#include <string>
#include <vector>

// An RGB picture, 8 bits a channel, top row first.
struct image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

// Each returns an empty string on success, else what went wrong.
std::string write_png(const std::string &path, const image &picture);

// Frames shown delay_cs hundredths of a second each, looping for ever.
std::string write_gif(const std::string &path, const std::vector<image> &frames, int delay_cs);
