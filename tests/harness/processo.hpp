// Starts a built program as a process and watches it from outside: what it
// writes to standard output (on a pipe or a pseudo-terminal) and to standard
// error, when each piece of output arrived, and how it ended.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <utility>
#include <sys/types.h>
#include <vector>

namespace harness {

using Clock = std::chrono::steady_clock;
using ms = std::chrono::milliseconds;

struct Options {
    std::string program;               // a path; see bin() for our own programs
    std::vector<std::string> args;     // after argv[0]
    std::string argv0;                 // empty: the program's path
    std::string input;                 // all of standard input, then end of file
    std::string cwd;                   // empty: the test's own
    std::vector<std::string> env;      // "NAME=value", set on top of ours
    bool terminal = false;             // standard output on a pseudo-terminal
    std::string stdout_to;             // a file to write to instead; "closed": none
    std::vector<int> ignored_signals;  // set to SIG_IGN before exec
    long address_space = 0;            // bytes of virtual memory allowed; 0: no limit
    // fork fails in the program: a limit of one process for its user. Root is
    // exempt, so as root it runs as an unused user id, from a copy of the
    // program; the leak checker is off, as it needs a process of its own.
    bool no_fork = false;
    ms timeout{20000};                 // then the whole process group is killed
};

struct Arrival {
    ms at;            // since the start
    size_t end;       // output length once this piece had arrived
};

struct ScratchDir;

// A descriptor or a process id that one object owns: moved, the source lets
// go of it (-1), so Process needs no hand-written move.
struct Owned {
    int value = -1;
    Owned() = default;
    Owned(int v) : value(v) {}
    Owned(Owned &&o) noexcept : value(std::exchange(o.value, -1)) {}
    Owned &operator=(Owned &&o) noexcept
    {
        std::swap(value, o.value);
        return *this;
    }
    operator int() const { return value; }
};

// A running or ended program. The process group is killed when the object
// goes, so a failed assertion never leaves a program behind.
class Process {
public:
    explicit Process(const Options &options);
    Process(Process &&) noexcept = default;
    Process &operator=(Process &&) = delete;
    ~Process();

    // Reads output until pred(out) holds; false if it ended or time ran out.
    bool wait_until(const std::function<bool(const std::string &)> &pred, ms limit);
    bool wait_for(std::string_view text, ms limit);
    // Reads to the end, then reaps; kills the group when the timeout runs out.
    Process &finish();
    void signal(int sig) const;
    // On a terminal: stop (false) or restart (true) the program's output, as
    // Ctrl+S and Ctrl+Q do; a write to a stopped terminal waits.
    void terminal_output(bool flowing) const;
    // Still alive? Reaps it, and records how it ended, if not.
    bool running();
    // When the output first held `text`; -1 ms if never.
    ms arrival(std::string_view text) const;
    // Past its timeout?
    bool overdue() const { return Clock::now() >= deadline_; }
    // Since the start: until now, or until it ended once it has been reaped.
    ms elapsed() const;

    Owned pid;
    std::string out, err;
    std::vector<Arrival> arrivals;
    int exit_code = -1;   // -1 unless it exited
    int term_signal = 0;  // the signal that ended it, if one did
    bool timed_out = false;

private:
    bool pump(Clock::time_point until);
    void kill_group();
    void record(int status);

    Clock::time_point start_, deadline_, end_;
    Owned out_fd_, err_fd_;
    bool reaped_ = false;
    std::unique_ptr<ScratchDir> copy_; // of the program, for no_fork as root
};

// Starts the program and waits for it to end.
Process run(const Options &options);

// Waits for all of them at once, so that each one's elapsed time is its own,
// not the order in which the test looks at them.
void finish_all(std::vector<Process> &processes);

// The usual verdict: ended with `status`, printed `out`, nothing on stderr.
void expect_ended(const Process &p, int status, const std::string &out);

// Output that cannot be written (standard output full, or closed) is a
// failure: status 1, and still nothing on standard error.
void expect_unwritten_output_fails(Options options);

// A program of ours, as built into the bin folder.
std::string bin(const std::string &name);

// Names the cases of a test run once on a pipe and once on a terminal.
std::string pipe_or_terminal(const testing::TestParamInfo<bool> &info);

// A folder of its own for one test, removed with everything in it.
struct ScratchDir {
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir &) = delete;
    ScratchDir &operator=(const ScratchDir &) = delete;
    std::string file(const std::string &name) const { return path + "/" + name; }
    void write(const std::string &name, const std::string &content, int mode = 0644) const;
    std::string read(const std::string &name) const;
    std::string path;
};

std::vector<std::string> lines(const std::string &text);

} // namespace harness
