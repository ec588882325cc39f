// bench_driver.cpp - runs Quenlade and the floor program alternately on the
// current X display and prints what each costs, as medians over the runs.
//
// Each run starts the program with the interposer preloaded, waits for its
// first frame, lets it settle, then watches it for a steady window: CPU time
// of all its threads (from /proc schedstat), frames and ticks (from the
// interposer's log), and finally its peak resident memory.
//
// Usage: quenlade-bench PROGRAM FLOOR INTERPOSER [RUNS] [SECONDS]
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>

namespace {

const double settle_s = 2.0;  // after the first frame, before measuring
const double tick_s = 0.1;    // the programs' timer interval

long long now_ns()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

struct run_result {
    double startup_ms = 0;
    double cpu_ms_per_frame = 0;
    double cpu_percent = 0;
    double peak_mib = 0;
    double ticks_per_s = 0;
    double drift_ticks_per_min = 0;  // ticks missing (+) or extra (-) in a minute
};

// Nanoseconds on the CPU, summed over all threads of a process.
long long cpu_ns(pid_t pid)
{
    long long total = 0;
    std::string dir = "/proc/" + std::to_string(pid) + "/task";
    if (DIR *d = opendir(dir.c_str())) {
        while (dirent *e = readdir(d)) {
            if (e->d_name[0] == '.')
                continue;
            std::ifstream f(dir + "/" + e->d_name + "/schedstat");
            long long on_cpu = 0;
            if (f >> on_cpu)
                total += on_cpu;
        }
        closedir(d);
    }
    return total;
}

double peak_mib(pid_t pid)
{
    std::ifstream f("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(f, line);) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    }
    return 0;
}

struct event_log {
    std::vector<long long> swaps, ticks;
};

event_log read_log(const std::string &path)
{
    event_log log;
    std::ifstream f(path);
    std::string what;
    long long when;
    while (f >> what >> when) (what == "swap" ? log.swaps : log.ticks).push_back(when);
    return log;
}

run_result measure(const std::string &program, const std::string &interposer, double window_s)
{
    std::string log_path = "/tmp/quenlade-bench-" + std::to_string(getpid()) + ".log";
    std::remove(log_path.c_str());
    std::vector<std::string> env_strings = {"LD_PRELOAD=" + interposer,
                                            "QUENLADE_BENCH_LOG=" + log_path};
    for (char **e = environ; *e; e++) env_strings.emplace_back(*e);
    std::vector<char *> env;
    env.reserve(env_strings.size() + 1);
    for (std::string &s : env_strings) env.push_back(s.data());
    env.push_back(nullptr);
    std::string path = program;
    char *argv[] = {path.data(), nullptr};

    run_result r;
    long long started = now_ns();
    pid_t pid;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv, env.data()) != 0) {
        fprintf(stderr, "cannot start %s\n", program.c_str());
        exit(1);
    }
    long long first_swap = 0;
    while (first_swap == 0 && now_ns() - started < 30'000'000'000LL) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        event_log log = read_log(log_path);
        if (!log.swaps.empty())
            first_swap = log.swaps.front();
    }
    if (first_swap == 0) {
        fprintf(stderr, "%s showed no frame within 30 s\n", program.c_str());
        kill(pid, SIGKILL);
        exit(1);
    }
    r.startup_ms = (first_swap - started) / 1e6;

    std::this_thread::sleep_for(std::chrono::duration<double>(settle_s));
    long long from = now_ns(), cpu_from = cpu_ns(pid);
    std::this_thread::sleep_for(std::chrono::duration<double>(window_s));
    long long to = now_ns(), cpu_to = cpu_ns(pid);
    r.peak_mib = peak_mib(pid);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);

    event_log log = read_log(log_path);
    std::remove(log_path.c_str());
    auto in_window = [&](const std::vector<long long> &events) {
        std::vector<long long> kept;
        for (long long t : events)
            if (t >= from && t < to)
                kept.push_back(t);
        return kept;
    };
    std::vector<long long> swaps = in_window(log.swaps), ticks = in_window(log.ticks);
    r.cpu_percent = 100.0 * (cpu_to - cpu_from) / (to - from);
    r.cpu_ms_per_frame = swaps.empty() ? 0 : (cpu_to - cpu_from) / 1e6 / swaps.size();
    if (ticks.size() > 1) {
        double span_s = (ticks.back() - ticks.front()) / 1e9;
        double intervals = static_cast<double>(ticks.size() - 1);
        r.ticks_per_s = intervals / span_s;
        // How far the clock fell behind an exact 100 ms, in ticks per minute.
        r.drift_ticks_per_min = (span_s - intervals * tick_s) / tick_s * (60.0 / span_s);
    }
    return r;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 4 || argc > 6) {
        fprintf(stderr, "usage: %s PROGRAM FLOOR INTERPOSER [RUNS] [SECONDS]\n", argv[0]);
        return 2;
    }
    const std::string program = argv[1], floor = argv[2], interposer = argv[3];
    const long runs = argc > 4 ? std::strtol(argv[4], nullptr, 10) : 3;
    const double window_s = argc > 5 ? std::strtod(argv[5], nullptr) : 60.0;
    if (runs < 1 || window_s < 1) {
        fprintf(stderr, "RUNS must be at least 1 and SECONDS at least 1\n");
        return 2;
    }

    std::vector<run_result> mine, floors;
    for (long i = 0; i < runs; i++) {
        fprintf(stderr, "run %ld of %ld: floor, then quenlade (%.0f s each)\n", i + 1, runs,
                window_s + settle_s);
        floors.push_back(measure(floor, interposer, window_s));
        mine.push_back(measure(program, interposer, window_s));
        for (const run_result *r : {&floors.back(), &mine.back()}) {
            fprintf(stderr, "  %-8s start-up %.1f ms, CPU %.2f%%, %.3f ticks/s\n",
                    r == &mine.back() ? "quenlade" : "floor", r->startup_ms, r->cpu_percent,
                    r->ticks_per_s);
        }
    }

    struct row {
        const char *name;
        double run_result::*field;
        const char *format;
    } rows[] = {
        {"start-up to first frame (ms)", &run_result::startup_ms, "%.1f"},
        {"CPU per frame (ms)", &run_result::cpu_ms_per_frame, "%.3f"},
        {"CPU while animating (% of one core)", &run_result::cpu_percent, "%.2f"},
        {"peak resident memory (MiB)", &run_result::peak_mib, "%.1f"},
        {"ticks per second", &run_result::ticks_per_s, "%.3f"},
        {"clock drift (ticks lost per minute)", &run_result::drift_ticks_per_min, "%.2f"},
    };
    printf("| measure (median of %ld runs, %.0f s window) | quenlade | floor | ratio |\n", runs,
           window_s);
    printf("|---|---:|---:|---:|\n");
    for (const row &r : rows) {
        std::vector<double> a, b;
        for (const run_result &m : mine) a.push_back(m.*r.field);
        for (const run_result &f : floors) b.push_back(f.*r.field);
        double ma = median(a), mb = median(b);
        char va[32], vb[32];
        snprintf(va, sizeof va, r.format, ma);
        snprintf(vb, sizeof vb, r.format, mb);
        printf("| %s | %s | %s | %.2f |\n", r.name, va, vb, mb != 0 ? ma / mb : 0.0);
    }
    return 0;
}
