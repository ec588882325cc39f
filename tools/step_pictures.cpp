// step_pictures.cpp - the frame step by step as pictures.
#include "tools/step_pictures.h"

#include <algorithm>

#include "render/gl.h"
#include "steps/frame_steps.h"
#include "tools/frame_grab.h"

namespace {

const int gap = 16;                   // between the pictures, and around them
const unsigned char gap_grey = 0xdd;  // light, so black pictures stand apart

// Makes the projection that on_reshape set for the whole window draw the
// scene into its lower part, as a window without the band would show it,
// leaving the band above empty. Clip y becomes s*y + (s-1)*w, with s the
// scene's share of the window's height: the scene's -1..1 lands on the rows
// of the scene. Loaded as a matrix, since the frame's own calls are wrapped
// as steps.
void leave_band(int band)
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const GLfloat s = static_cast<GLfloat>(viewport[3] - band) / static_cast<GLfloat>(viewport[3]);
    GLfloat m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    for (int column = 0; column < 4; column++)
        m[column * 4 + 1] = s * m[column * 4 + 1] + (s - 1) * m[column * 4 + 3];
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(m);
    glMatrixMode(GL_MODELVIEW);
}

}  // namespace

size_t count_steps()
{
    show_step(1);
    draw_frame();
    show_step(0);
    return step_calls().size();
}

std::vector<frame_step> draw_steps(int band)
{
    if (band > 0)
        leave_band(band);
    caption_in_band(band > 0);
    size_t count = count_steps();
    std::vector<frame_step> steps;
    for (size_t i = 0; i < count; i++) {
        show_step(static_cast<int>(i + 1));
        image picture = draw_frame();
        steps.push_back({step_calls()[i].call, picture});
    }
    show_step(0);
    return steps;
}

sheet_layout sheet_size(size_t count, int width, int height)
{
    const int columns = static_cast<int>(count + 1) / 2;
    return {columns, columns * (width + gap) + gap, 2 * (height + gap) + gap};
}

image contact_sheet(const std::vector<frame_step> &steps)
{
    if (steps.empty())
        return image{};
    const int w = steps[0].picture.width, h = steps[0].picture.height;
    const sheet_layout layout = sheet_size(steps.size(), w, h);
    image sheet{layout.width, layout.height, {}};
    sheet.rgb.assign(static_cast<size_t>(sheet.width) * sheet.height * 3, gap_grey);
    for (size_t i = 0; i < steps.size(); i++) {
        size_t left = (gap + (i % layout.columns) * (w + gap)) * 3;
        size_t top = gap + (i / layout.columns) * (h + gap);
        for (int y = 0; y < h; y++) {
            std::copy_n(&steps[i].picture.rgb[static_cast<size_t>(y) * w * 3], w * 3,
                        &sheet.rgb[(top + y) * sheet.width * 3 + left]);
        }
    }
    return sheet;
}
