// image_files.cpp - PNG through libpng and GIF through giflib.
//
// GIF frames hold at most 256 colours. Each frame gets its own colour table;
// the demo's flat-lit frames fit in one exactly, and a frame that does not is
// reduced with giflib's quantiser.
#include "tools/image_files.h"

#include <gif_lib.h>
#include <png.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <unordered_map>

std::string write_png(const std::string &path, const image &picture)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(picture.width);
    png.height = static_cast<png_uint_32>(picture.height);
    png.format = PNG_FORMAT_RGB;
    // libpng removes the file itself when the write fails.
    if (!png_image_write_to_file(&png, path.c_str(), 0, picture.rgb.data(), 0, nullptr)) {
        return "cannot write " + path + ": " + png.message;
    }
    return "";
}

image read_png(const std::string &path)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    image picture;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        return picture;
    png.format = PNG_FORMAT_RGB;
    picture.rgb.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, picture.rgb.data(), 0, nullptr))
        return image{};
    picture.width = static_cast<int>(png.width);
    picture.height = static_cast<int>(png.height);
    return picture;
}

namespace {

// Indexes a frame's pixels into a colour table: exact when the frame has at
// most 256 colours, quantised otherwise.
bool index_frame(const image &frame, std::vector<GifByteType> &indices,
                 std::vector<GifColorType> &table)
{
    size_t pixels = static_cast<size_t>(frame.width) * frame.height;
    indices.resize(pixels);
    table.assign(256, GifColorType{0, 0, 0});

    std::unordered_map<uint32_t, GifByteType> seen;
    size_t i = 0;
    for (; i < pixels; i++) {
        const unsigned char *p = &frame.rgb[i * 3];
        uint32_t key = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
        auto found = seen.find(key);
        if (found == seen.end()) {
            if (seen.size() == 256)
                break;  // too many colours: quantise below
            GifByteType index = static_cast<GifByteType>(seen.size());
            table[index] = {p[0], p[1], p[2]};
            found = seen.emplace(key, index).first;
        }
        indices[i] = found->second;
    }
    if (i == pixels)
        return true;

    std::vector<GifByteType> r(pixels), g(pixels), b(pixels);
    for (size_t i = 0; i < pixels; i++) {
        r[i] = frame.rgb[i * 3];
        g[i] = frame.rgb[i * 3 + 1];
        b[i] = frame.rgb[i * 3 + 2];
    }
    int size = 256;
    return GifQuantizeBuffer(static_cast<unsigned>(frame.width),
                             static_cast<unsigned>(frame.height), &size, r.data(), g.data(),
                             b.data(), indices.data(), table.data()) == GIF_OK;
}

// Closes and removes a file that cannot be finished.
std::string give_up(gif_stream &gif, const char *why)
{
    int error = 0;
    if (gif.file)
        EGifCloseFile(gif.file, &error);
    gif.file = nullptr;
    std::remove(gif.path.c_str());
    return "cannot write " + gif.path + ": " + why;
}

}  // namespace

std::string gif_begin(gif_stream &gif, const std::string &path, int width, int height, int delay_cs)
{
    gif = gif_stream{path, nullptr, delay_cs};
    // Opened here rather than by giflib, so the file gets the usual
    // permissions (giflib would make it private to its owner).
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0)
        return "cannot write " + path + ": " + strerror(errno);
    int error = 0;
    gif.file = EGifOpenFileHandle(fd, &error);
    if (!gif.file) {
        close(fd);
        return give_up(gif, GifErrorString(error));
    }
    EGifSetGifVersion(gif.file, true);
    // The application extension that makes viewers loop the animation for
    // ever (a repeat count of 0).
    unsigned char loop_forever[] = {1, 0, 0};
    if (EGifPutScreenDesc(gif.file, width, height, 8, 0, nullptr) != GIF_OK ||
        EGifPutExtensionLeader(gif.file, APPLICATION_EXT_FUNC_CODE) != GIF_OK ||
        EGifPutExtensionBlock(gif.file, 11, "NETSCAPE2.0") != GIF_OK ||
        EGifPutExtensionBlock(gif.file, 3, loop_forever) != GIF_OK ||
        EGifPutExtensionTrailer(gif.file) != GIF_OK) {
        return give_up(gif, GifErrorString(gif.file->Error));
    }
    return "";
}

std::string gif_add_frame(gif_stream &gif, const image &frame)
{
    if (!gif.file)
        return "";
    GraphicsControlBlock timing{};
    timing.DisposalMode = DISPOSAL_UNSPECIFIED;
    timing.DelayTime = gif.delay_cs;
    timing.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    size_t length = EGifGCBToExtension(&timing, extension);

    std::vector<GifByteType> indices;
    std::vector<GifColorType> table;
    if (!index_frame(frame, indices, table))
        return give_up(gif, "cannot reduce a frame to 256 colours");
    ColorMapObject *map = GifMakeMapObject(256, table.data());
    bool ok = map &&
              EGifPutExtension(gif.file, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length),
                               extension) == GIF_OK &&
              EGifPutImageDesc(gif.file, 0, 0, frame.width, frame.height, false, map) == GIF_OK;
    GifFreeMapObject(map);
    for (int y = 0; ok && y < frame.height; y++) {
        ok = EGifPutLine(gif.file, &indices[static_cast<size_t>(y) * frame.width], frame.width) ==
             GIF_OK;
    }
    return ok ? "" : give_up(gif, GifErrorString(gif.file->Error));
}

std::string gif_end(gif_stream &gif)
{
    if (!gif.file)
        return "";
    int error = 0;
    bool ok = EGifCloseFile(gif.file, &error) == GIF_OK;
    gif.file = nullptr;
    return ok ? "" : give_up(gif, GifErrorString(error));
}
