// pai_filho from outside: fork's two reports, each process with its own
// copy of the variable, and a parent that does not wait.
#include "processo.hpp"

#include <algorithm>
#include <gtest/gtest.h>
#include <regex>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace harness;
using namespace std::chrono_literals;

namespace {

class PaiFilho : public testing::TestWithParam<bool> {};

TEST_P(PaiFilho, BothReportTheirIdsAndTheirOwnCopyOfTheVariable)
{
    // An orphaned child is adopted by this test process rather than by init,
    // so its parent id is always one we know.
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    const bool terminal = GetParam();
    const std::regex parent_line("eu sou o processo pai ([0-9]+), meu filho é ([0-9]+)");
    const std::regex child_line("eu sou o processo filho ([0-9]+), meu pai é ([0-9]+)");

    for (int i = 0; i < 20; ++i) {
        auto p = run({.program = bin("pai_filho"), .terminal = terminal, .timeout = 5s});
        while (waitpid(-1, nullptr, WNOHANG) > 0) {
        }
        ASSERT_EQ(p.exit_code, 0);
        ASSERT_EQ(p.err, "");
        const auto l = lines(p.out);
        ASSERT_EQ(l.size(), 4u) << p.out;
        const auto index = [&l](const std::string &prefix) {
            return std::find_if(l.begin(), l.end(),
                                [&](const auto &s) { return s.starts_with(prefix); }) -
                   l.begin();
        };
        const auto ip = index("eu sou o processo pai "), i5 = index("variavel 5");
        const auto ic = index("eu sou o processo filho "), i10 = index("variavel 10");
        ASSERT_TRUE(ip < i5 && ic < i10 && i5 < 4 && i10 < 4) << p.out;
        if (!terminal) {
            // Each report leaves the buffer whole when its process ends; on
            // a terminal the lines of the two may interleave.
            EXPECT_EQ(i5, ip + 1) << p.out;
            EXPECT_EQ(i10, ic + 1) << p.out;
        }
        std::smatch parent, child;
        ASSERT_TRUE(std::regex_match(l[static_cast<size_t>(ip)], parent, parent_line)) << p.out;
        ASSERT_TRUE(std::regex_match(l[static_cast<size_t>(ic)], child, child_line)) << p.out;
        EXPECT_EQ(std::stoi(parent[1]), p.pid);
        EXPECT_EQ(parent[2], child[1]);
        const int adopter = std::stoi(child[2]);
        EXPECT_TRUE(adopter == p.pid || adopter == getpid()) << p.out;
    }
    // The parent's own report could not be written: its status says so.
    if (!terminal)
        expect_unwritten_output_fails({.program = bin("pai_filho")});
}

INSTANTIATE_TEST_SUITE_P(Output, PaiFilho, testing::Bool(), pipe_or_terminal);

TEST(PaiFilhoForkFails, ReportsMinusOneAndEndsWithStatusOne)
{
    auto p = run({.program = bin("pai_filho"), .no_fork = true, .timeout = 5s});
    expect_ended(p, 1, "eu sou o processo pai " + std::to_string(p.pid) +
                         ", meu filho é -1\nvariavel 5\n");
}

} // namespace
