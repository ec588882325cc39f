// image_files.h - pictures as PNG files (libpng) and animations as GIF files
// (giflib), written one frame at a time so memory stays at about one frame.
//
// A file appears whole or not at all: it is written to a temporary file
// beside it and renamed over it once complete, so a file of that name stays
// as it was until then. A failure, or SIGINT, SIGTERM or SIGHUP meanwhile,
// removes the temporary file (after a signal the program then ends as that
// signal ends it).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

struct GifFileType;

// An RGB picture, 8 bits a channel, top row first.
struct image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

// Each returns an empty string on success, else what went wrong, in one
// line: "cannot write PATH: " and why, in words of its own for the usual
// causes (no such folder, no permission, a full disk, the size limit).
std::string write_png(const std::string &path, const image &picture);

// Whether a file can be written at path, found the way the writers above
// start, with a temporary file beside it that is removed at once: before
// anything is drawn for it. The same line as they would give.
std::string check_writable(const std::string &path);

// Removes the temporary file being written, if any, for a program that must
// end at once (its display gone, say). Safe in a signal handler.
void remove_pending_file();

// An empty picture when the file cannot be read.
image read_png(const std::string &path);

// A GIF animation that loops for ever, being written: gif_begin, then
// gif_add_frame for each frame (all of the size given to gif_begin), then
// gif_end. After a failure further calls do nothing. giflib writes through
// it, so it stays where it is meanwhile.
struct gif_stream {
    std::string path;
    std::string temp;  // being written, renamed to path by gif_end
    FILE *out = nullptr;
    int write_error = 0;  // errno of the first write that failed
    GifFileType *file = nullptr;
    int delay_cs = 0;  // how long each frame is shown

    gif_stream() = default;
    gif_stream(const gif_stream &) = delete;
    gif_stream &operator=(const gif_stream &) = delete;
};
std::string gif_begin(gif_stream &gif, const std::string &path, int width, int height,
                      int delay_cs);
std::string gif_add_frame(gif_stream &gif, const image &frame);
std::string gif_end(gif_stream &gif);
