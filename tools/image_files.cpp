// image_files.cpp - PNG through libpng and GIF through giflib.
//
// GIF frames hold at most 256 colours. Each frame gets its own colour table;
// the demo's flat-lit frames fit in one exactly, and a frame that does not is
// reduced with giflib's quantiser.
#include "tools/image_files.h"

#include <gif_lib.h>
#include <png.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <unordered_map>

namespace {

// The temporary file being written, if any, for the signal handler: a fixed
// buffer, as a handler may not allocate.
char pending[PATH_MAX + 16];

const int stopping_signals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void remove_pending_and_stop(int signal_number)
{
    if (pending[0])
        unlink(pending);
    signal(signal_number, SIG_DFL);
    raise(signal_number);
}

// Holds the stopping signals back while alive, so that a temporary file and
// its name in `pending` come and go together.
class signals_held {
public:
    signals_held()
    {
        sigset_t set;
        sigemptyset(&set);
        for (int s : stopping_signals) sigaddset(&set, s);
        sigprocmask(SIG_BLOCK, &set, &old_);
    }
    ~signals_held()
    {
        sigprocmask(SIG_SETMASK, &old_, nullptr);
    }
    signals_held(const signals_held &) = delete;
    signals_held &operator=(const signals_held &) = delete;

private:
    sigset_t old_{};
};

// Creates a temporary file beside path, in the same folder because a rename
// replaces a file in one step only within one file system, with the
// permissions a new file gets. Returns its descriptor, or -1 with errno set.
int open_temp(const std::string &path, std::string &temp)
{
    static bool handled = false;
    if (!handled) {
        for (int s : stopping_signals) {
            struct sigaction action {};
            sigaction(s, nullptr, &action);
            if (action.sa_handler == SIG_IGN)
                continue;  // under nohup, say: stays ignored
            action.sa_handler = remove_pending_and_stop;
            sigemptyset(&action.sa_mask);
            action.sa_flags = 0;
            sigaction(s, &action, nullptr);
        }
        handled = true;
    }
    size_t slash = path.rfind('/');
    size_t base = slash == std::string::npos ? 0 : slash + 1;
    std::string name = path.substr(0, base) + "." + path.substr(base) + ".XXXXXX";
    if (name.size() >= sizeof pending) {
        errno = ENAMETOOLONG;
        return -1;
    }
    signals_held held;
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back('\0');
    int fd = mkstemp(buffer.data());
    if (fd < 0)
        return -1;
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);  // mkstemp makes it private to its owner
    temp = buffer.data();
    std::copy(buffer.begin(), buffer.end(), pending);
    return fd;
}

void discard_temp(const std::string &temp)
{
    signals_held held;
    if (!temp.empty())
        unlink(temp.c_str());
    pending[0] = '\0';
}

// Puts the finished temporary file in path's place. 0 or errno.
int commit_temp(const std::string &temp, const std::string &path)
{
    signals_held held;
    if (rename(temp.c_str(), path.c_str()) != 0) {
        int error = errno;
        unlink(temp.c_str());
        pending[0] = '\0';
        return error;
    }
    pending[0] = '\0';
    return 0;
}

// The line for a file that could not be written, from errno: libpng and
// giflib only say that a write failed, and the system's words name no
// folder.
std::string cannot_write(const std::string &path, int error)
{
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos
                             ? "the current folder"
                             : "the folder " + path.substr(0, std::max<size_t>(slash, 1));
    std::string why;
    switch (error) {
    case ENOENT:
    case ENOTDIR: {
        // A folder that is there may still take no new file (/proc, say).
        struct stat st;
        const std::string dir =
            slash == std::string::npos ? "." : path.substr(0, std::max<size_t>(slash, 1));
        why = stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? folder + " takes no new file"
                                                                 : folder + " does not exist";
        break;
    }
    case EACCES:
    case EPERM: why = "no permission to write in " + folder; break;
    case EROFS: why = folder + " is on a read-only file system"; break;
    case ENOSPC: why = "no space left on the device"; break;
    case EDQUOT: why = "the disk quota is used up"; break;
    case EFBIG: why = "larger than the limit on the size of files (ulimit -f)"; break;
    default: why = strerror(error);
    }
    return "cannot write " + path + ": " + why;
}

}  // namespace

std::string write_png(const std::string &path, const image &picture)
{
    std::string temp;
    int fd = open_temp(path, temp);
    FILE *file = fd < 0 ? nullptr : fdopen(fd, "wb");
    if (!file) {
        int error = errno;
        if (fd >= 0)
            close(fd);
        discard_temp(temp);
        return cannot_write(path, error);
    }
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(picture.width);
    png.height = static_cast<png_uint_32>(picture.height);
    png.format = PNG_FORMAT_RGB;
    int error = 0;
    std::string why;  // libpng's own, when no write failed
    if (!png_image_write_to_stdio(&png, file, 0, picture.rgb.data(), 0, nullptr)) {
        error = ferror(file) ? errno : 0;
        why = png.message;
    }
    // Written to disk before the rename, so that a full disk is a failure
    // here and not a damaged file later.
    else if (fflush(file) != 0 || fsync(fileno(file)) != 0) {
        error = errno;
    }
    if (fclose(file) != 0 && error == 0 && why.empty())
        error = errno;
    if (error == 0 && why.empty())
        error = commit_temp(temp, path);
    else
        discard_temp(temp);
    if (error != 0)
        return cannot_write(path, error);
    return why.empty() ? "" : "cannot write " + path + ": " + why;
}

std::string check_writable(const std::string &path)
{
    std::string temp;
    int fd = open_temp(path, temp);
    if (fd < 0)
        return cannot_write(path, errno);
    close(fd);
    discard_temp(temp);
    return "";
}

void remove_pending_file()
{
    if (pending[0])
        unlink(pending);
    pending[0] = '\0';
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

// giflib's writer: through stdio, keeping why the first write failed.
int write_gif_bytes(GifFileType *file, const GifByteType *bytes, int length)
{
    auto *gif = static_cast<gif_stream *>(file->UserData);
    size_t written = fwrite(bytes, 1, static_cast<size_t>(length), gif->out);
    if (written < static_cast<size_t>(length) && gif->write_error == 0)
        gif->write_error = errno != 0 ? errno : EIO;
    return static_cast<int>(written);
}

// Closes and removes a file that cannot be finished: why, from the write
// that failed, else from error (an errno), else giflib's message.
std::string give_up(gif_stream &gif, int error, const char *message)
{
    if (gif.write_error != 0)
        error = gif.write_error;
    int ignored = 0;
    if (gif.file)
        EGifCloseFile(gif.file, &ignored);
    gif.file = nullptr;
    if (gif.out)
        fclose(gif.out);
    gif.out = nullptr;
    discard_temp(gif.temp);
    return error != 0 ? cannot_write(gif.path, error) : "cannot write " + gif.path + ": " + message;
}

}  // namespace

std::string gif_begin(gif_stream &gif, const std::string &path, int width, int height, int delay_cs)
{
    gif.path = path;
    gif.temp.clear();
    gif.write_error = 0;
    gif.file = nullptr;
    gif.delay_cs = delay_cs;
    int fd = open_temp(path, gif.temp);
    gif.out = fd < 0 ? nullptr : fdopen(fd, "wb");
    if (!gif.out) {
        int error = errno;
        if (fd >= 0)
            close(fd);
        discard_temp(gif.temp);
        return cannot_write(path, error);
    }
    int error = 0;
    gif.file = EGifOpen(&gif, write_gif_bytes, &error);
    if (!gif.file)
        return give_up(gif, 0, GifErrorString(error));
    EGifSetGifVersion(gif.file, true);
    // The application extension that makes viewers loop the animation for
    // ever (a repeat count of 0).
    unsigned char loop_forever[] = {1, 0, 0};
    if (EGifPutScreenDesc(gif.file, width, height, 8, 0, nullptr) != GIF_OK ||
        EGifPutExtensionLeader(gif.file, APPLICATION_EXT_FUNC_CODE) != GIF_OK ||
        EGifPutExtensionBlock(gif.file, 11, "NETSCAPE2.0") != GIF_OK ||
        EGifPutExtensionBlock(gif.file, 3, loop_forever) != GIF_OK ||
        EGifPutExtensionTrailer(gif.file) != GIF_OK) {
        return give_up(gif, 0, GifErrorString(gif.file->Error));
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
        return give_up(gif, 0, "cannot reduce a frame to 256 colours");
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
    return ok ? "" : give_up(gif, 0, GifErrorString(gif.file->Error));
}

std::string gif_end(gif_stream &gif)
{
    if (!gif.file)
        return "";
    int error = 0;
    bool ok = EGifCloseFile(gif.file, &error) == GIF_OK;
    gif.file = nullptr;
    if (!ok)
        return give_up(gif, 0, GifErrorString(error));
    // On disk before the rename, as write_png does.
    if (fflush(gif.out) != 0 || fsync(fileno(gif.out)) != 0)
        return give_up(gif, errno, "");
    FILE *out = gif.out;
    gif.out = nullptr;
    if (fclose(out) != 0) {
        error = errno;
        discard_temp(gif.temp);
        return cannot_write(gif.path, error);
    }
    error = commit_temp(gif.temp, gif.path);
    return error != 0 ? cannot_write(gif.path, error) : "";
}
