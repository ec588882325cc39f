// image_files.h - pictures as PNG files (libpng) and animations as GIF files
// (giflib), written one frame at a time so memory stays at about one frame.
//
// A file appears whole or not at all: it is written to a temporary file
// beside it and renamed over it once complete, so a file of that name stays
// as it was until then. A failure, or SIGINT, SIGTERM or SIGHUP meanwhile,
// removes the temporary file (after a signal the program then ends as that
// signal ends it).
#pragma once

#include <string>
#include <vector>

struct GifFileType;

// An RGB picture, 8 bits a channel, top row first.
struct image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

// Each returns an empty string on success, else what went wrong.
std::string write_png(const std::string &path, const image &picture);

// An empty picture when the file cannot be read.
image read_png(const std::string &path);

// A GIF animation that loops for ever, being written: gif_begin, then
// gif_add_frame for each frame (all of the size given to gif_begin), then
// gif_end. After a failure further calls do nothing.
struct gif_stream {
    std::string path;
    std::string temp;  // being written, renamed to path by gif_end
    int keep_fd = -1;  // the temporary file, to flush it to disk before the rename
    GifFileType *file = nullptr;
    int delay_cs = 0;  // how long each frame is shown
};
std::string gif_begin(gif_stream &gif, const std::string &path, int width, int height,
                      int delay_cs);
std::string gif_add_frame(gif_stream &gif, const image &frame);
std::string gif_end(gif_stream &gif);
