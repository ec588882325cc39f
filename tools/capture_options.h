// capture_options.h - the command line of quenlade-capture.
#pragma once

#include <string>

#include "app/scene_state.h"

struct capture_options {
    bool use_push_pop = true;
    float angle = 0.0f;  // both cubes, degrees
    float eye[3] = {home_eye.x, home_eye.y, home_eye.z};
    int width = 500;
    int height = 500;
    bool full_turn = false;  // 73 frames, 0 to 360 degrees
    std::string output;      // .png or .gif
};

enum class parse_result { run, help, error };

// Fills options from argv; on error, message says what is wrong in one line.
parse_result parse_capture_options(int argc, char **argv, capture_options &options,
                                   std::string &message);

extern const char capture_usage[];
