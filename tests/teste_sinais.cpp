// tratadores_lentos under real signals, with its output read line by line as
// it arrives, on a pipe and on a terminal alike (it prints each message and
// flushes it with both signals blocked). Each signal is sent once the line
// that shows where the program is has arrived, so every run takes the same
// time; the slowest case, two ten-second handlers one after the other, is
// the least the lesson allows.
#include "processo.hpp"

#include <csignal>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <sys/syscall.h>
#include <thread>

using namespace harness;
using namespace std::chrono_literals;

namespace {

const std::string kInt1 = "Chamou Ctrl+C; status=";
const std::string kInt2 = "SIGINT: Vou usar status agora! status=";
const std::string kTerm1 = "Recebi SIGTERM; status=";
const std::string kTerm2 = "SIGTERM: Vou usar status agora! status=";

// One line of /proc/PID/status ("ShdPnd:\t..."), or the whole of another file.
std::string proc(pid_t pid, const std::string &file, const std::string &field = "")
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + file);
    const std::string all{std::istreambuf_iterator<char>(in), {}};
    const size_t at = field.empty() ? 0 : all.find(field + ":");
    return at == std::string::npos ? "" : all.substr(at, all.find('\n', at) - at);
}

// In the system call `number` now? What /proc/PID/syscall shows first.
bool in_call(pid_t pid, long number)
{
    return std::atol(proc(pid, "syscall").c_str()) == number;
}

// Polls `cond` for up to five seconds.
bool soon(const std::function<bool()> &cond)
{
    for (auto until = Clock::now() + 5s; !cond() && Clock::now() < until;)
        std::this_thread::sleep_for(10ms);
    return cond();
}

class Handlers : public testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        p.emplace(Options{.program = bin("tratadores_lentos"), .terminal = GetParam(),
                          .timeout = 55s});
        ASSERT_TRUE(p->wait_for("\n", 5s));
        ASSERT_EQ(p->out, "Meu pid: " + std::to_string(p->pid) + "\n");
        pid_line = p->out;
    }

    // Neither signal ever ends it; SIGKILL does, and finds every message
    // already written.
    void TearDown() override
    {
        if (!p)
            return;
        EXPECT_TRUE(p->running()) << "ended by " << p->term_signal;
        const std::string before = p->out;
        p->signal(SIGKILL);
        p->finish();
        EXPECT_EQ(p->term_signal, SIGKILL);
        EXPECT_EQ(p->out, before);
        EXPECT_EQ(p->err, "");
    }

    // When `text` arrived, waiting up to `limit` for it. The margins below
    // allow a busy machine a second and a half to wake the program after its
    // ten seconds and half a second of clock skew before them; a sleep is
    // never shorter than asked.
    ms line(const std::string &text, ms limit)
    {
        EXPECT_TRUE(p->wait_for(text, limit)) << "no " << text << " in:\n" << p->out;
        return p->arrival(text);
    }

    ms send(int sig)
    {
        p->signal(sig);
        return p->elapsed();
    }

    std::optional<Process> p;
    std::string pid_line;
};

TEST_P(Handlers, OneSigintPrintsAtOnceAndAgainTenSecondsLater)
{
    const ms sent = send(SIGINT);
    const ms first = line(kInt1 + "1\n", 2s);
    const ms second = line(kInt2 + "1\n", 13s);
    EXPECT_LT(first - sent, 1s);
    EXPECT_GE(second - first, 9500ms);
    EXPECT_LT(second - first, 11500ms);
    EXPECT_EQ(p->out, pid_line + kInt1 + "1\n" + kInt2 + "1\n");
}

TEST_P(Handlers, SigtermNestsInsideTheSigintHandlerAndCutsItsSleepShort)
{
    send(SIGINT);
    line(kInt1 + "1\n", 2s);
    // Into its slow part: asleep, SIGTERM unblocked again.
    ASSERT_TRUE(soon([&] { return in_call(p->pid, SYS_clock_nanosleep); }));
    const ms sent = send(SIGTERM);
    const ms term1 = line(kTerm1 + "2\n", 2s);
    const ms term2 = line(kTerm2 + "2\n", 13s);
    const ms int2 = line(kInt2 + "2\n", 2s);
    EXPECT_LT(term1 - sent, 1s);
    EXPECT_GE(term2 - term1, 9500ms);
    EXPECT_LT(int2 - term2, 1s) << "the interrupted sleep is not resumed";
    EXPECT_EQ(p->out, pid_line + kInt1 + "1\n" + kTerm1 + "2\n" + kTerm2 + "2\n" + kInt2 + "2\n");
}

TEST_P(Handlers, SigintsSentDuringItsHandlerGiveOneMoreDelivery)
{
    send(SIGINT);
    const ms first = line(kInt1 + "1\n", 2s);
    for (int i = 0; i < 3; ++i) {
        std::this_thread::sleep_for(100ms);
        send(SIGINT);
    }
    const ms end1 = line(kInt2 + "1\n", 13s);
    const ms start2 = line(kInt1 + "2\n", 2s);
    const ms end2 = line(kInt2 + "2\n", 13s);
    EXPECT_GE(end1 - first, 9500ms) << "the handler ran through its own signals";
    EXPECT_LT(start2 - end1, 1s);
    EXPECT_GE(end2 - start2, 9500ms);
    EXPECT_FALSE(p->wait_for(kInt1 + "3", 1500ms)) << "a third delivery";
    EXPECT_EQ(p->out, pid_line + kInt1 + "1\n" + kInt2 + "1\n" + kInt1 + "2\n" + kInt2 + "2\n");
}

// A burst of SIGTERMs while both handlers run, the SIGTERM one nested in the
// SIGINT one: they merge into one more delivery, which comes as soon as the
// first SIGTERM handler returns, before the SIGINT handler goes on. Both
// signals pending at once would take a third handler, ten seconds more.
TEST_P(Handlers, ABurstDuringANestedHandlerGivesOneMoreDeliveryFirst)
{
    send(SIGINT);
    line(kInt1 + "1\n", 2s);
    // Its line is out, but the handler unblocks SIGTERM only after that: a
    // SIGTERM sent before would run first and leave the sleep uncut.
    ASSERT_TRUE(soon([&] { return in_call(p->pid, SYS_clock_nanosleep); }));
    send(SIGTERM);
    const ms term1 = line(kTerm1 + "2\n", 2s);
    for (int i = 0; i < 5; ++i)
        send(SIGTERM);
    const ms end1 = line(kTerm2 + "2\n", 13s);
    const ms term2 = line(kTerm1 + "3\n", 2s);
    const ms end2 = line(kTerm2 + "3\n", 13s);
    line(kInt2 + "3\n", 2s);
    EXPECT_GE(end1 - term1, 9500ms);
    EXPECT_LT(term2 - end1, 1s);
    EXPECT_GE(end2 - term2, 9500ms);
    EXPECT_FALSE(p->wait_for(kTerm1 + "4", 1500ms)) << "a third SIGTERM delivery";
    EXPECT_EQ(p->out, pid_line + kInt1 + "1\n" + kTerm1 + "2\n" + kTerm2 + "2\n" + kTerm1 + "3\n" +
                          kTerm2 + "3\n" + kInt2 + "3\n");
}

INSTANTIATE_TEST_SUITE_P(Output, Handlers, testing::Bool(), pipe_or_terminal);

// A handler must never start while a message is being printed: inside printf
// it would find the stream half-written, and print its own message into it.
// Holding the terminal's output (what Ctrl+S does) keeps the SIGINT handler's
// first message in write() for as long as the test likes; a SIGTERM sent then
// must stay pending until that message is out whole.
TEST(HeldTerminal, ASignalSentWhileAMessageIsPrintedWaitsForIt)
{
    Process p({.program = bin("tratadores_lentos"), .terminal = true, .timeout = 20s});
    ASSERT_TRUE(p.wait_for("\n", 5s));
    const std::string pid_line = p.out;
    p.terminal_output(false);
    p.signal(SIGINT);
    ASSERT_TRUE(soon([&] { return in_call(p.pid, SYS_write); }))
        << "the SIGINT handler never reached write()";

    p.signal(SIGTERM);
    // A handler that took SIGTERM clears it at once, or when a busy machine
    // lets it run: watch for a second.
    const std::string pending = "ShdPnd:\t0000000000004000";
    for (auto until = Clock::now() + 1s; Clock::now() < until;) {
        ASSERT_EQ(proc(p.pid, "status", "ShdPnd"), pending) << "SIGTERM handled during a message";
        std::this_thread::sleep_for(20ms);
    }
    p.terminal_output(true);
    EXPECT_TRUE(p.wait_for(kTerm1 + "2\n", 5s));
    EXPECT_EQ(p.out, pid_line + kInt1 + "1\n" + kTerm1 + "2\n");
    EXPECT_EQ(p.err, "");
}

} // namespace
