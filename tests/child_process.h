// child_process.h - starting one of the built programs with its output on
// pipes, and collecting what it printed and how it ended.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace testkit {

struct child {
    pid_t pid = -1;
    int out = -1;  // read ends of its standard output and error
    int err = -1;
};

struct child_result {
    int status = -1;  // as waitpid gives it
    std::string out, err;
};

// argv[0] is the program's path.
child start_child(const std::vector<std::string> &argv);

// Reads both pipes to the end and waits for the child.
child_result finish_child(child &c);

// Kills a child that is still running; for clean-up after a failed test.
void kill_child(child &c);

}  // namespace testkit
