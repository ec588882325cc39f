// private_display.cpp - starting and stopping a private Xvfb.
#include "tools/private_display.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>

static pid_t xvfb_pid = -1;

bool display_available()
{
    const char *name = getenv("DISPLAY");
    if (!name || !*name)
        return false;
    Display *display = XOpenDisplay(name);
    if (!display)
        return false;
    XCloseDisplay(display);
    return true;
}

std::string start_private_display(int width, int height)
{
    int ready[2];
    if (pipe(ready) != 0)
        return "cannot create a pipe for Xvfb";
    std::string screen =
        std::to_string(std::max(width, 640)) + "x" + std::to_string(std::max(height, 480)) + "x24";
    std::string fd = std::to_string(ready[1]);

    xvfb_pid = fork();
    if (xvfb_pid < 0)
        return "cannot start Xvfb";
    if (xvfb_pid == 0) {
        // Xvfb must not outlive us, even if we are killed.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        close(ready[0]);
        int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        // -displayfd: Xvfb picks a free display and writes its number when ready.
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
               "-nolisten", "tcp", "-noreset", static_cast<char *>(nullptr));
        _exit(127);
    }
    close(ready[1]);

    std::string number;
    char c;
    while (read(ready[0], &c, 1) == 1 && c != '\n') number += c;
    close(ready[0]);
    if (number.empty()) {
        stop_private_display();
        return "no display, and Xvfb could not be started (install the xvfb package)";
    }
    setenv("DISPLAY", (":" + number).c_str(), 1);
    return "";
}

void stop_private_display()
{
    if (xvfb_pid > 0) {
        kill(xvfb_pid, SIGTERM);
        waitpid(xvfb_pid, nullptr, 0);
        xvfb_pid = -1;
    }
}
