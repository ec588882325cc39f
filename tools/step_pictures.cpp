// step_pictures.cpp - the frame step by step as pictures.
#include "tools/step_pictures.h"

#include <algorithm>

#include "steps/frame_steps.h"
#include "tools/frame_grab.h"

std::vector<frame_step> draw_steps()
{
    show_step(1);
    draw_frame();  // to learn the calls
    std::vector<frame_step> steps;
    for (size_t i = 0; i < step_calls().size(); i++) {
        show_step(static_cast<int>(i + 1));
        image picture = draw_frame();
        steps.push_back({step_calls()[i].call, picture});
    }
    show_step(0);
    return steps;
}

image contact_sheet(const std::vector<frame_step> &steps)
{
    if (steps.empty())
        return image{};
    const int w = steps[0].picture.width, h = steps[0].picture.height;
    const int columns = static_cast<int>(steps.size() + 1) / 2;
    image sheet{w * columns, h * 2, {}};
    sheet.rgb.assign(static_cast<size_t>(sheet.width) * sheet.height * 3, 0);
    for (size_t i = 0; i < steps.size(); i++) {
        size_t left = (i % columns) * w * 3, top = (i / columns) * h;
        for (int y = 0; y < h; y++) {
            std::copy_n(&steps[i].picture.rgb[static_cast<size_t>(y) * w * 3], w * 3,
                        &sheet.rgb[(top + y) * sheet.width * 3 + left]);
        }
    }
    return sheet;
}
