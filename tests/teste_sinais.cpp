// tratadores_lentos under real signals, with its output read line by line as
// it arrives, on a pipe and on a terminal alike (it writes with write()).
#include "processo.hpp"

#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <optional>
#include <regex>
#include <thread>

using namespace harness;
using namespace std::chrono_literals;

namespace {

const std::string kInt1 = "Chamou Ctrl+C; status=";
const std::string kInt2 = "SIGINT: Vou usar status agora! status=";
const std::string kTerm1 = "Recebi SIGTERM; status=";
const std::string kTerm2 = "SIGTERM: Vou usar status agora! status=";

size_t count(const std::string &text, const std::string &what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
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

    // When `text` arrived, waiting up to `limit` for it.
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
    std::this_thread::sleep_for(2s); // the SIGINT handler is in its slow part
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

// Many signals at once: every handler that starts also finishes, every
// increment counts, and no message is cut or mixed with another.
TEST_P(Handlers, ABurstOfSignalsLeavesOnlyWholeMessages)
{
    for (int i = 0; i < 10; ++i)
        send(i % 2 == 0 ? SIGINT : SIGTERM);
    const auto settled = [](const std::string &out) {
        return count(out, kInt1) + count(out, kTerm1) > 0 &&
               count(out, kInt1) == count(out, kInt2) && count(out, kTerm1) == count(out, kTerm2);
    };
    ASSERT_TRUE(p->wait_until(settled, 45s)) << p->out;
    EXPECT_FALSE(p->wait_for(kInt1 + "9", 1s)) << "more after all handlers had finished";

    const std::regex message("(Chamou Ctrl\\+C|Recebi SIGTERM|SIGINT: Vou usar status agora!|"
                             "SIGTERM: Vou usar status agora!);? status=([0-9]+)");
    std::vector<int> increments;
    const auto all = lines(p->out);
    for (size_t i = 1; i < all.size(); ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(all[i], m, message)) << all[i];
        if (m[1] == "Chamou Ctrl+C" || m[1] == "Recebi SIGTERM")
            increments.push_back(std::stoi(m[2]));
    }
    // A handler can be interrupted between its increment and its message.
    std::sort(increments.begin(), increments.end());
    for (size_t i = 0; i < increments.size(); ++i)
        EXPECT_EQ(increments[i], static_cast<int>(i) + 1);
    EXPECT_GE(increments.size(), 2u);
    EXPECT_LE(increments.size(), 4u) << "each signal is delivered at most once more";
}

INSTANTIATE_TEST_SUITE_P(Output, Handlers, testing::Bool(), pipe_or_terminal);

} // namespace
