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
#include <cstring>
#include <unordered_map>

std::string write_png(const std::string &path, const image &picture)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(picture.width);
    png.height = static_cast<png_uint_32>(picture.height);
    png.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&png, path.c_str(), 0, picture.rgb.data(), 0, nullptr)) {
        return "cannot write " + path + ": " + png.message;
    }
    return "";
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
    bool too_many = false;
    for (size_t i = 0; i < pixels && !too_many; i++) {
        const unsigned char *p = &frame.rgb[i * 3];
        uint32_t key = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
        auto found = seen.find(key);
        if (found == seen.end()) {
            too_many = seen.size() == 256;
            if (too_many)
                break;
            GifByteType index = static_cast<GifByteType>(seen.size());
            table[index] = {p[0], p[1], p[2]};
            found = seen.emplace(key, index).first;
        }
        indices[i] = found->second;
    }
    if (!too_many)
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

}  // namespace

std::string write_gif(const std::string &path, const std::vector<image> &frames, int delay_cs)
{
    if (frames.empty())
        return "no frames to write";
    // Opened here rather than by giflib, so the file gets the usual
    // permissions (giflib would make it private to its owner).
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0)
        return "cannot write " + path + ": " + strerror(errno);
    int error = 0;
    GifFileType *gif = EGifOpenFileHandle(fd, &error);
    if (!gif) {
        close(fd);
        return "cannot write " + path + ": " + GifErrorString(error);
    }

    const int width = frames[0].width, height = frames[0].height;
    EGifSetGifVersion(gif, true);
    bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, nullptr) == GIF_OK;

    // The application extension that makes viewers loop the animation.
    unsigned char loop_forever[] = {1, 0, 0};
    ok = ok && EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
         EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") == GIF_OK &&
         EGifPutExtensionBlock(gif, 3, loop_forever) == GIF_OK &&
         EGifPutExtensionTrailer(gif) == GIF_OK;

    std::vector<GifByteType> indices;
    std::vector<GifColorType> table;
    for (const image &frame : frames) {
        if (!ok)
            break;
        GraphicsControlBlock timing{};
        timing.DisposalMode = DISPOSAL_UNSPECIFIED;
        timing.DelayTime = delay_cs;
        timing.TransparentColor = NO_TRANSPARENT_COLOR;
        GifByteType extension[4];
        size_t length = EGifGCBToExtension(&timing, extension);

        ColorMapObject *map = nullptr;
        ok = index_frame(frame, indices, table) &&
             (map = GifMakeMapObject(256, table.data())) != nullptr &&
             EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) ==
                 GIF_OK &&
             EGifPutImageDesc(gif, 0, 0, width, height, false, map) == GIF_OK;
        for (int y = 0; ok && y < height; y++) {
            ok = EGifPutLine(gif, &indices[static_cast<size_t>(y) * width], width) == GIF_OK;
        }
        GifFreeMapObject(map);
    }

    std::string message = ok ? "" : "cannot write " + path + ": " + GifErrorString(gif->Error);
    if (EGifCloseFile(gif, &error) != GIF_OK && message.empty()) {
        message = "cannot write " + path + ": " + GifErrorString(error);
    }
    return message;
}
