#include "processo.hpp"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/resource.h>
#include <stdexcept>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

extern char **environ;

namespace harness {
namespace {

[[noreturn]] void fail(const std::string &what)
{
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

// A pseudo-terminal that passes bytes through unchanged: no "\n" to "\r\n".
void open_terminal(int &master, int &slave)
{
    master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        fail("posix_openpt");
    slave = open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0)
        fail("open pty");
    termios t{};
    tcgetattr(slave, &t);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(slave, TCSANOW, &t);
}

// The process limit counts every process of a user, so each test process
// picks a user id of its own that no account and no other test uses.
uid_t unprivileged_id()
{
    return 50000 + static_cast<uid_t>(getpid() % 10000);
}

} // namespace

Process::Process(const Options &o) : start_(Clock::now()), deadline_(start_ + o.timeout)
{
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        fail("pipe");
    if (o.terminal)
        open_terminal(out[0], out[1]);
    else if (pipe2(out, O_CLOEXEC) != 0)
        fail("pipe");

    // Standard input is small enough for the pipe: write it all now.
    if (!o.input.empty() &&
        ::write(in[1], o.input.data(), o.input.size()) != static_cast<ssize_t>(o.input.size()))
        fail("write input");
    close(in[1]);

    // Everything the child needs is built before fork: after it, only
    // async-signal-safe calls.
    std::vector<std::string> extra = o.env;
    if (o.no_fork)
        extra.push_back("ASAN_OPTIONS=detect_leaks=0");
    std::vector<std::string> envs;
    for (char **e = environ; *e != nullptr; ++e) {
        const std::string kv = *e;
        const std::string name = kv.substr(0, kv.find('=') + 1);
        if (std::none_of(extra.begin(), extra.end(),
                         [&](const auto &mine) { return mine.starts_with(name); }))
            envs.push_back(kv);
    }
    envs.insert(envs.end(), extra.begin(), extra.end());
    std::vector<char *> envp;
    for (auto &e : envs)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    // As root, no_fork switches to a user who may not reach the program where
    // it was built (a checkout in a private folder): it runs from a copy.
    std::string program = o.program;
    if (o.no_fork && geteuid() == 0) {
        copy_ = std::make_unique<ScratchDir>();
        std::filesystem::permissions(copy_->path, std::filesystem::perms(0755));
        program = copy_->file(std::filesystem::path(o.program).filename());
        std::filesystem::copy_file(o.program, program);
    }
    std::string argv0 = o.argv0.empty() ? program : o.argv0;
    std::vector<std::string> args = o.args;
    std::vector<char *> argv{argv0.data()};
    for (auto &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    const uid_t unprivileged = unprivileged_id();
    pid = fork();
    if (pid < 0)
        fail("fork");
    if (pid == 0) {
        setsid(); // a group of its own, killed as a whole
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        if (o.stdout_to == "closed") {
            close(STDOUT_FILENO);
        } else if (!o.stdout_to.empty()) {
            const int fd = open(o.stdout_to.c_str(), O_WRONLY | O_CLOEXEC);
            if (fd < 0 || dup2(fd, STDOUT_FILENO) < 0)
                _exit(126);
        }
        dup2(err[1], STDERR_FILENO);
        // Whatever this test runner inherited, the program starts as from a
        // shell: no signal blocked or ignored but those asked for.
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        for (int sig : {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGPIPE, SIGCHLD})
            ::signal(sig, SIG_DFL);
        for (int sig : o.ignored_signals)
            ::signal(sig, SIG_IGN);
        if (o.address_space > 0) {
            const rlimit lim = {static_cast<rlim_t>(o.address_space),
                                static_cast<rlim_t>(o.address_space)};
            setrlimit(RLIMIT_AS, &lim);
        }
        if (!o.cwd.empty() && chdir(o.cwd.c_str()) != 0)
            _exit(126);
        if (o.no_fork) {
            const rlimit one = {1, 1};
            setrlimit(RLIMIT_NPROC, &one);
            if (geteuid() == 0 && (setgid(unprivileged) != 0 || setuid(unprivileged) != 0))
                _exit(126);
        }
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    out_fd_ = out[0];
    err_fd_ = err[0];
}

Process::~Process()
{
    if (pid > 0 && !reaped_) {
        kill_group();
        waitpid(pid, nullptr, 0);
    }
    if (out_fd_ >= 0)
        close(out_fd_);
    if (err_fd_ >= 0)
        close(err_fd_);
}

void Process::kill_group()
{
    ::kill(-pid, SIGKILL);
}

void Process::signal(int sig) const
{
    ::kill(pid, sig);
}

void Process::terminal_output(bool flowing) const
{
    const int slave = open(ptsname(out_fd_), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0 || tcflow(slave, flowing ? TCOON : TCOOFF) != 0)
        fail("tcflow");
    close(slave);
}

ms Process::elapsed() const
{
    return std::chrono::duration_cast<ms>((reaped_ ? end_ : Clock::now()) - start_);
}

// Reads whatever is ready until `until`; false once both streams are closed
// (a pseudo-terminal reports that as EIO) or the time is up.
bool Process::pump(Clock::time_point until)
{
    while (out_fd_ >= 0 || err_fd_ >= 0) {
        const auto now = Clock::now();
        if (now >= until)
            return false;
        pollfd fds[2] = {{out_fd_, POLLIN, 0}, {err_fd_, POLLIN, 0}};
        const auto wait = std::chrono::duration_cast<ms>(until - now).count() + 1;
        const int n = poll(fds, 2, static_cast<int>(wait));
        if (n < 0 && errno != EINTR)
            fail("poll");
        if (n <= 0)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buf[4096];
            const ssize_t got = read(fds[i].fd, buf, sizeof buf);
            if (got < 0 && errno == EINTR)
                continue;
            Owned &fd = i == 0 ? out_fd_ : err_fd_;
            if (got <= 0) {
                close(fd);
                fd = Owned();
                continue;
            }
            if (i == 0) {
                out.append(buf, static_cast<size_t>(got));
                arrivals.push_back({elapsed(), out.size()});
            } else {
                err.append(buf, static_cast<size_t>(got));
            }
        }
        return true;
    }
    return false;
}

bool Process::wait_until(const std::function<bool(const std::string &)> &pred, ms limit)
{
    const auto until = std::min(Clock::now() + limit, deadline_);
    while (!pred(out))
        if (!pump(until))
            return pred(out);
    return true;
}

bool Process::wait_for(std::string_view text, ms limit)
{
    return wait_until([text](const std::string &s) { return s.find(text) != std::string::npos; },
                      limit);
}

void Process::record(int status)
{
    end_ = Clock::now();
    reaped_ = true;
    if (WIFEXITED(status))
        exit_code = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        term_signal = WTERMSIG(status);
}

bool Process::running()
{
    int status = 0;
    if (!reaped_ && waitpid(pid, &status, WNOHANG) == pid)
        record(status);
    return !reaped_;
}

Process &Process::finish()
{
    while (pump(deadline_)) {
    }
    while (running()) {
        if (Clock::now() >= deadline_) {
            timed_out = true;
            kill_group();
            int status = 0;
            waitpid(pid, &status, 0);
            record(status);
            break;
        }
        usleep(2000);
    }
    // Whatever the group still holds open (a stray grandchild) goes too.
    kill_group();
    return *this;
}

ms Process::arrival(std::string_view text) const
{
    const size_t pos = out.find(text);
    if (pos == std::string::npos)
        return ms(-1);
    for (const auto &a : arrivals)
        if (a.end >= pos + text.size())
            return a.at;
    return ms(-1);
}

Process run(const Options &options)
{
    Process p(options);
    p.finish();
    return p;
}

void finish_all(std::vector<Process> &processes)
{
    for (bool waiting = true; waiting; usleep(2000)) {
        waiting = false;
        for (auto &p : processes) // every one, every time: each is reaped on time
            waiting = (p.running() && !p.overdue()) || waiting;
    }
    for (auto &p : processes)
        p.finish();
}

void expect_ended(const Process &p, int status, const std::string &out)
{
    EXPECT_EQ(p.out, out);
    EXPECT_EQ(p.err, "");
    EXPECT_EQ(p.exit_code, status);
    EXPECT_FALSE(p.timed_out);
}

void expect_unwritten_output_fails(Options o)
{
    for (const char *to : {"/dev/full", "closed"}) {
        SCOPED_TRACE(std::string("standard output ") + to);
        o.stdout_to = to;
        expect_ended(run(o), 1, "");
    }
}

std::string bin(const std::string &name)
{
    return std::string(AULAS_BIN_DIR) + "/" + name;
}

std::string pipe_or_terminal(const testing::TestParamInfo<bool> &info)
{
    return info.param ? "Terminal" : "Pipe";
}

ScratchDir::ScratchDir()
{
    std::string templ = std::filesystem::temp_directory_path() / "aulas-XXXXXX";
    if (mkdtemp(templ.data()) == nullptr)
        fail("mkdtemp");
    path = templ;
}

ScratchDir::~ScratchDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
}

void ScratchDir::write(const std::string &name, const std::string &content, int mode) const
{
    std::ofstream(file(name), std::ios::binary) << content;
    std::filesystem::permissions(file(name), static_cast<std::filesystem::perms>(mode));
}

std::string ScratchDir::read(const std::string &name) const
{
    std::ifstream in(file(name), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

} // namespace harness
