// picture.cpp - reading and writing the tests' pictures with libpng and giflib.
#include "tests/picture.h"

#include <gif_lib.h>
#include <png.h>

#include <cstdlib>

namespace testkit {

rgb picture::at(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return {-1, -1, -1};
    const unsigned char *p = &data[(static_cast<size_t>(y) * width + x) * 3];
    return {p[0], p[1], p[2]};
}

std::string save_png(const picture &pic, const std::string &name)
{
    std::string path = name + ".png";
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(pic.width);
    image.height = static_cast<png_uint_32>(pic.height);
    image.format = PNG_FORMAT_RGB;
    // A negative stride: the file's top row is the picture's last.
    png_image_write_to_file(&image, path.c_str(), 0, pic.data.data(), -pic.width * 3, nullptr);
    return path;
}

picture load_png(const std::string &path)
{
    picture pic;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return pic;
    image.format = PNG_FORMAT_RGB;
    pic.width = static_cast<int>(image.width);
    pic.height = static_cast<int>(image.height);
    pic.data.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pic.data.data(), -pic.width * 3, nullptr)) {
        return picture{};
    }
    return pic;
}

std::vector<picture> load_gif(const std::string &path, std::vector<int> *delays_cs)
{
    std::vector<picture> frames;
    int error = 0;
    GifFileType *gif = DGifOpenFileName(path.c_str(), &error);
    if (!gif)
        return frames;
    if (DGifSlurp(gif) == GIF_OK) {
        for (int i = 0; i < gif->ImageCount; i++) {
            const SavedImage &image = gif->SavedImages[i];
            const ColorMapObject *map =
                image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
            picture pic;
            pic.width = image.ImageDesc.Width;
            pic.height = image.ImageDesc.Height;
            pic.data.resize(static_cast<size_t>(pic.width) * pic.height * 3);
            for (int y = 0; y < pic.height; y++)
                for (int x = 0; x < pic.width; x++) {
                    GifColorType c = map->Colors[image.RasterBits[y * pic.width + x]];
                    unsigned char *p =
                        &pic.data[(static_cast<size_t>(pic.height - 1 - y) * pic.width + x) * 3];
                    p[0] = c.Red;
                    p[1] = c.Green;
                    p[2] = c.Blue;
                }
            frames.push_back(pic);
            GraphicsControlBlock timing{};
            if (delays_cs && DGifSavedExtensionToGCB(gif, i, &timing) == GIF_OK) {
                delays_cs->push_back(timing.DelayTime);
            }
        }
    }
    DGifCloseFile(gif, &error);
    return frames;
}

int count_differences(const picture &a, const picture &b)
{
    if (a.width != b.width || a.height != b.height)
        return a.width * a.height + 1;
    int count = 0;
    for (size_t i = 0; i < a.data.size(); i += 3) {
        for (size_t c = 0; c < 3; c++) {
            if (std::abs(a.data[i + c] - b.data[i + c]) > 8) {
                count++;
                break;
            }
        }
    }
    return count;
}

bool looks_grey(rgb c)
{
    return c.r > 30 && std::abs(c.r - c.g) < 4 && std::abs(c.g - c.b) < 4;
}

bool looks_blue(rgb c)
{
    return c.b > 30 && c.r < 4 && 2 * c.g >= c.b - 6 && c.g <= 0.6 * 255 + 4;
}

std::string describe(rgb c)
{
    return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) +
           ")";
}

}  // namespace testkit
