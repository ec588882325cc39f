// child_process.cpp - posix_spawn with piped output, for the tests.
#include "tests/child_process.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testkit {

child start_child(const std::vector<std::string> &argv)
{
    std::vector<char *> args;
    args.reserve(argv.size() + 1);
    for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);

    child c;
    int out[2], err[2];
    if (pipe(out) != 0)
        return c;
    if (pipe(err) != 0) {
        close(out[0]);
        close(out[1]);
        return c;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    if (posix_spawn(&c.pid, args[0], &actions, nullptr, args.data(), environ) != 0)
        c.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    c.out = out[0];
    c.err = err[0];
    return c;
}

child_result finish_child(child &c)
{
    child_result r;
    // Both pipes at once, so neither can fill up and stall the child.
    pollfd fds[2] = {{c.out, POLLIN, 0}, {c.err, POLLIN, 0}};
    std::string *texts[2] = {&r.out, &r.err};
    int open_pipes = 2;
    while (open_pipes > 0 && poll(fds, 2, -1) > 0) {
        for (int i = 0; i < 2; i++) {
            if (fds[i].fd < 0 || !fds[i].revents)
                continue;
            char buf[4096];
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                texts[i]->append(buf, static_cast<size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                open_pipes--;
            }
        }
    }
    if (c.pid > 0)
        waitpid(c.pid, &r.status, 0);
    c = child{};
    return r;
}

void kill_child(child &c)
{
    if (c.pid > 0) {
        kill(c.pid, SIGKILL);
        finish_child(c);
    }
}

}  // namespace testkit
