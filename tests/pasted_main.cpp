// pasted_main.cpp - one frame of an on_display whose cube part is the lab's
// C, pasted in as a student would paste it (steps_test writes the source and
// builds this), saved as a PNG for the test to hold against the lab's frame;
// status 3 when the frame leaves the matrix stack deeper or shallower than
// it found it, which frame after frame would overflow it.
// Usage: quenlade_pasted on|off A1 A2 OUTPUT.png
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/scene_state.h"
#include "render/gl.h"
#include "tools/frame_grab.h"
#include "tools/image_files.h"

int main(int argc, char **argv)
{
    if (argc != 5) {
        std::fputs("usage: quenlade_pasted on|off A1 A2 OUTPUT.png\n", stderr);
        return 2;
    }
    int glut_argc = 1;
    char *glut_argv[] = {argv[0], nullptr};
    if (!open_scene_window(&glut_argc, glut_argv, "Quenlade #2, pasted", 500, 500))
        return 1;
    scene_state.use_push_pop = std::string(argv[1]) == "on";
    scene_state.angle_obj1 = std::strtof(argv[2], nullptr);
    scene_state.angle_obj2 = std::strtof(argv[3], nullptr);
    const std::string error = write_png(argv[4], draw_frame());
    if (!error.empty())
        std::fprintf(stderr, "%s\n", error.c_str());
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    if (depth != 1)
        std::fprintf(stderr, "the frame left the modelview stack %d deep\n", depth);
    return !error.empty() ? 1 : depth != 1 ? 3 : 0;
}
