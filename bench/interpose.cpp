// interpose.cpp - an LD_PRELOAD library that logs when a GLUT program
// presents a frame and when its timer fires, and can end it after a number of
// frames, for scripts/bench.
//
// It stands in for glutSwapBuffers and glutTimerFunc, writes one line per
// event ("swap NS" or "tick NS", CLOCK_MONOTONIC nanoseconds) to the file
// named by QUENLADE_BENCH_LOG, ends the process (status 0) once it has shown
// QUENLADE_BENCH_FRAMES frames, and passes every call on to GLUT unchanged.
// It is preloaded, not linked in (as the tools' and the page's wrappers are),
// so that the bench measures both programs, Quenlade and the floor, as they
// are built, with nothing of the bench linked into them.
#include <dlfcn.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "tools/timer_slots.h"

namespace {

int log_fd = -2;  // -2: not opened yet, -1: no log wanted

void log_event(const char *what)
{
    if (log_fd == -2) {
        const char *path = getenv("QUENLADE_BENCH_LOG");
        log_fd = path ? open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644) : -1;
    }
    if (log_fd < 0)
        return;
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    char line[64];
    int n = snprintf(line, sizeof line, "%s %lld\n", what,
                     static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    if (write(log_fd, line, static_cast<size_t>(n)) != n)
        log_fd = -1;
}

template <typename F>
F real(const char *name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

using timer_callback = void (*)(int);

// GLUT hands the slot back to the trampoline, which logs the tick and calls
// the program.
timer_slots<256> timers;

void trampoline(int slot)
{
    const pending_timer timer = timers[slot];
    log_event("tick");
    timer.callback(timer.value);
}

}  // namespace

extern "C" void glutSwapBuffers()
{
    static auto swap = real<void (*)()>("glutSwapBuffers");
    static const char *frames = getenv("QUENLADE_BENCH_FRAMES");
    static long left = frames ? std::strtol(frames, nullptr, 10) : -1;
    swap();
    log_event("swap");
    if (left > 0 && --left == 0)
        exit(0);
}

extern "C" void glutTimerFunc(unsigned int ms, timer_callback callback, int value)
{
    static auto arm = real<void (*)(unsigned int, timer_callback, int)>("glutTimerFunc");
    arm(ms, trampoline, timers.keep(ms, callback, value));
}
