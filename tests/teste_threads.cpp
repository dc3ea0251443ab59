// The thread lessons: their output changes from run to run, so each run is
// checked against what the program guarantees, not against one order.
#include "processo.hpp"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

using namespace harness;
using namespace std::chrono_literals;

namespace {

// Each checker returns what is wrong with one run's output, or "".
using Checker = std::function<std::string(const std::string &)>;

std::string check_letters(const std::string &out)
{
    std::string order; // one character per line
    for (const auto &line : lines(out))
        order += line.size() == 1 ? line : "?";
    std::string sorted = order;
    std::sort(sorted.begin(), sorted.end());
    if (sorted != "ABCDEFGH")
        return "not the letters A to H once each";
    // Each second letter, then the first letters it must come after.
    for (const std::string rule : {"CAB", "DABEG", "FBEG", "HBEG"})
        for (const char first : rule.substr(1))
            if (order.find(rule[0]) < order.find(first))
                return rule.substr(0, 1) + " before " + first;
    return "";
}

std::string check_sum(const std::string &out)
{
    const auto l = lines(out);
    const std::string hello = "Hello world![10][20]";
    if (l.size() != 4 || std::count(l.begin(), l.end(), hello) != 2 ||
        std::count(l.begin(), l.end(), "retonrno t1 [30].") != 1 || l[3] != "fim do programa.")
        return "not the four lines";
    if (l[0] != hello)
        return "the result came before the first thread's line";
    return "";
}

std::vector<int> thread_numbers(const std::string &out)
{
    std::vector<int> n;
    for (const auto &line : lines(out)) {
        int v = -1;
        char rest = 0;
        if (std::sscanf(line.c_str(), "Hello thread! %d%c", &v, &rest) != 1)
            return {};
        n.push_back(v);
    }
    std::sort(n.begin(), n.end());
    return n;
}

std::string check_own_ids(const std::string &out)
{
    return thread_numbers(out) == std::vector<int>{0, 1, 2, 3} ? "" : "not 0, 1, 2, 3 once each";
}

// The thread created while the counter held k prints k to 4.
std::string check_shared_ids(const std::string &out)
{
    const auto n = thread_numbers(out);
    if (n.size() != 4)
        return "not four lines";
    for (int i = 0; i < 4; ++i)
        if (n[static_cast<size_t>(i)] < i || n[static_cast<size_t>(i)] > 4)
            return "impossible numbers";
    return "";
}

struct Program {
    const char *name;
    Checker check;
    int runs; // at most; fewer when time runs out (see below)
    std::vector<std::string> env = {};
    bool shares_its_counter = false; // some run must show a number twice
};

const Program kPrograms[] = {
    {"ordem_semaforos", check_letters, 300},
    // It leaves its blocks allocated on purpose: tell the leak checker.
    {"soma_thread", check_sum, 60, {"ASAN_OPTIONS=detect_leaks=0"}},
    {"ids_proprios", check_own_ids, 60},
    {"id_compartilhado", check_shared_ids, 100, {}, true},
};

class Threads : public testing::TestWithParam<Program> {};

// Rare orders need many runs, but a sanitizer build or a busy machine makes
// each run several times slower: at least kMinRuns, then more until kBudget
// has passed, never more than the program's own limit. The slowest build on
// a loaded machine still ends far inside the test's time limit.
constexpr int kMinRuns = 50;
constexpr auto kBudget = 8s;

TEST_P(Threads, EveryRunKeepsWhatTheProgramGuarantees)
{
    const Program &prog = GetParam();
    const auto until = Clock::now() + kBudget;
    int repeats = 0, i = 0;
    // A program that shares its counter runs on until some run shows it.
    const auto more = [&] {
        return i < prog.runs && (i < kMinRuns || Clock::now() < until ||
                                 (prog.shares_its_counter && repeats == 0));
    };
    for (; more(); ++i) {
        // Now and then on a terminal, where each line is written at once.
        auto p = run({.program = bin(prog.name), .env = prog.env, .terminal = i % 10 == 0,
                      .timeout = 10s});
        ASSERT_EQ(prog.check(p.out), "") << "run " << i << ":\n" << p.out;
        ASSERT_EQ(p.err, "");
        ASSERT_EQ(p.exit_code, 0);
        const auto n = thread_numbers(p.out);
        repeats += std::adjacent_find(n.begin(), n.end()) != n.end();
    }
    // A thread handed a copy of the counter always prints 0, 1, 2 and 3; the
    // counter itself has moved on by the time most threads look.
    if (prog.shares_its_counter) {
        EXPECT_GT(repeats, 0) << "no run out of " << i << " showed a number twice";
    }
    expect_unwritten_output_fails({.program = bin(prog.name), .env = prog.env});
}

// Short of memory, threads and blocks can't be had: the program must end
// promptly with status 1, never hang, crash or report success. Not in the
// sanitizer builds, whose runtimes need a large address space of their own.
#if !AULAS_SANITIZED
TEST_P(Threads, RunningOutOfMemoryEndsWithStatusOne)
{
    const Program &prog = GetParam();
    bool failed_somewhere = false;
    for (long mib : {10, 12, 16, 20, 24, 28, 32, 40}) {
        SCOPED_TRACE(std::to_string(mib) + " MiB");
        auto p = run({.program = bin(prog.name), .address_space = mib << 20, .timeout = 5s});
        EXPECT_FALSE(p.timed_out);
        EXPECT_EQ(p.term_signal, 0);
        EXPECT_EQ(p.err, "");
        if (p.exit_code == 0)
            EXPECT_EQ(prog.check(p.out), "");
        else
            EXPECT_EQ(p.exit_code, 1);
        failed_somewhere = failed_somewhere || p.exit_code == 1;
    }
    EXPECT_TRUE(failed_somewhere) << "no limit made the program fail";
}
#endif

INSTANTIATE_TEST_SUITE_P(Lesson, Threads, testing::ValuesIn(kPrograms),
                         [](const auto &info) { return std::string(info.param.name); });


} // namespace
