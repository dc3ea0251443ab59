// dinarix and reenvio from outside: the client's argument checks and exit
// statuses, and the driver against a scripted stand-in client.
#include "processo.hpp"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <set>

using namespace harness;
using namespace std::chrono_literals;

namespace {

const std::string kTrying = "Tentando transferir...\n";
const std::string kDone = "Transferencia realizada!\n";
const std::string kFailed = "Falha na rede!\n";
const std::string kUsage = "Erro! Quantidade de parametros insuficiente\n"
                           "Exemplo de uso:\n./dinarix ab134d4 d8b0a9e 109.75\n";
const std::string kInvalid = "Erro! Valor inválido. Não pode ser zero nem negativo!\n";

// ---------------------------------------------------------------- dinarix

const std::vector<std::string> kArgs = {"ab134d4", "d8b0a9e", "109.75"};

TEST(Dinarix, RefusesBadInvocationsWith255)
{
    struct Case {
        std::vector<std::string> args;
        std::string expected;
        std::string argv0 = "";
    };
    const Case cases[] = {
        {{}, kUsage},
        {{}, kUsage, "/usr/bin/outro"}, // the usage text names ./dinarix all the same
        {{"ab134d4"}, kUsage},
        {{"ab134d4", "d8b0a9e"}, kUsage},
        {{"a", "b", "0"}, kInvalid},
        {{"a", "b", "0.0"}, kInvalid},
        {{"a", "b", "-0"}, kInvalid},
        {{"a", "b", "-5"}, kInvalid},
        {{"a", "b", "abc"}, kInvalid},
        {{"a", "b", ""}, kInvalid},
        {{"a", "b", "1e-400"}, kInvalid},
        {{"a", "b", "-inf"}, kInvalid},
        // Not finite: refused like zero.
        {{"a", "b", "inf"}, kInvalid},
        {{"a", "b", "infinity"}, kInvalid},
        {{"a", "b", "nan"}, kInvalid},
        {{"a", "b", " NAN"}, kInvalid},
        {{"a", "b", "1e999"}, kInvalid},
        {{"a", "b", "nan", "extra"}, kInvalid},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        auto p = run({.program = bin("dinarix"), .args = c.args, .argv0 = c.argv0, .timeout = 5s});
        expect_ended(p, 255, c.expected);
        EXPECT_LT(p.elapsed(), 900ms) << "a refusal does not sleep";
    }
}

// The clock is fixed for each client (see relogio.cpp), so its draws are
// known: srandom(second), a pause of random() % 2 + 1 seconds, then the
// status random() % 5. Every amount here is accepted.
TEST(Dinarix, SeedsFromTheClockPausesAndEndsAsItDrew)
{
    // atof reads the longest number at the front; the rest is ignored.
    const std::vector<std::vector<std::string>> amounts = {
        kArgs, {"a", "b", "12abc"}, {"a", "b", "109,75"}, {"a", "b", "0x10"},
        {"a", "b", "1e3"}, {"a", "b", "  0.01"}, {"a", "b", "5", "ignored", "too"},
    };
    std::vector<Process> runs;
    std::vector<std::pair<long, long>> drawn; // pause, status
    std::set<long> statuses;
    for (unsigned int second = 1; second <= 21; ++second) {
        srandom(second);
        const long pause = random() % 2 + 1;
        drawn.emplace_back(pause, random() % 5);
        statuses.insert(drawn.back().second);
        runs.emplace_back(Options{
            .program = bin("dinarix"), .args = amounts[second % amounts.size()],
            .env = {"LD_PRELOAD=" AULAS_RELOGIO, "AULAS_TIME=" + std::to_string(second),
                    "ASAN_OPTIONS=verify_asan_link_order=0"},
            .timeout = 8s});
    }
    ASSERT_EQ(statuses.size(), 5u) << "these seconds should draw every outcome";
    finish_all(runs);
    for (size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE("second " + std::to_string(i + 1));
        expect_ended(runs[i], static_cast<int>(drawn[i].second), kTrying);
        EXPECT_GE(runs[i].elapsed(), std::chrono::seconds(drawn[i].first));
        EXPECT_LT(runs[i].elapsed(), std::chrono::seconds(drawn[i].first) + 700ms);
    }
}

TEST(Dinarix, TerminalShowsTheLineBeforeThePauseAPipeAfterIt)
{
    // Both watched at once: the pipe is read while the terminal's line comes,
    // so a line flushed early would be seen early on either.
    Process tty({.program = bin("dinarix"), .args = kArgs, .terminal = true, .timeout = 8s});
    Process pipe({.program = bin("dinarix"), .args = kArgs, .timeout = 8s});
    EXPECT_TRUE(tty.wait_for(kTrying, 800ms)) << "not shown before the pause";
    EXPECT_FALSE(pipe.wait_for(kTrying, 950ms - pipe.elapsed())) << "not held in the buffer";
    std::vector<Process> both;
    both.push_back(std::move(tty));
    both.push_back(std::move(pipe));
    finish_all(both);
    for (const auto &p : both) {
        EXPECT_EQ(p.out, kTrying);
        EXPECT_EQ(p.err, "");
        EXPECT_TRUE(p.exit_code >= 0 && p.exit_code <= 4) << p.exit_code;
        EXPECT_GE(p.elapsed(), 1s);
    }
}

// ---------------------------------------------------------------- reenvio

// A stand-in client: the n-th attempt follows line n of ./plano (an exit
// status, a signal name, or "rm" to delete itself and fail), counts itself in
// ./vezes and records its arguments in ./argumentos.
const char *const kStandIn = R"(#!/bin/sh
n=$(( $(cat vezes 2>/dev/null || echo 0) + 1 ))
echo "$n" > vezes
for a in "$@"; do printf '[%s]' "$a"; done >> argumentos
echo >> argumentos
echo "Tentando transferir..."
acao=$(sed -n "${n}p" plano)
case "$acao" in
  KILL|TERM) kill -s "$acao" $$ ;;
  rm) rm -f "$0"; exit 3 ;;
  *) exit "${acao:-0}" ;;
esac
)";

struct StandIn {
    explicit StandIn(const std::string &plan, int mode = 0755)
    {
        if (mode != 0)
            dir.write("dinarix", kStandIn, mode);
        dir.write("plano", plan);
    }
    Process run(std::vector<std::string> args, bool terminal,
                std::vector<int> ignored = {}) const
    {
        return harness::run({.program = bin("reenvio"), .args = std::move(args),
                             .cwd = dir.path, .terminal = terminal,
                             .ignored_signals = std::move(ignored), .timeout = 10s});
    }
    int attempts() const { return std::atoi(dir.read("vezes").c_str()); }
    ScratchDir dir;
};

TEST(Reenvio, FollowsTheExitStatusProtocolOnAPipeAndOnATerminal)
{
    const std::string T = kTrying, F = kFailed, R = kDone;
    const std::string X = "EXEC FALHOU!\n\n\n";
    struct Case {
        const char *name;
        std::string plan;
        int mode;  // of the client file; 0: no client at all
        std::string pipe_out, tty_out;
        int status, attempts;
    };
    const Case cases[] = {
        {"success at once", "0\n", 0755, T + R, T + R, 0, 1},
        {"two failures, then success", "1\n2\n0\n", 0755, T + T + T + F + F + R,
         T + F + T + F + T + R, 0, 3},
        {"5 and 127 are failures too", "5\n127\n0\n", 0755, T + T + T + F + F + R,
         T + F + T + F + T + R, 0, 3},
        {"refused invocation", "255\n", 0755, T, T, 1, 1},
        {"128 stops silently", "128\n", 0755, T, T, 1, 1},
        {"failure, then 254", "4\n254\n", 0755, T + T + F, T + F + T, 1, 2},
        {"killed after a failure", "3\nKILL\n0\n", 0755, T + T + T + F + "Deu ruim!" + R,
         T + F + T + T + "Deu ruim!" + R, 0, 3},
        {"terminated after a failure", "3\nTERM\n1\n0\n", 0755,
         T + T + T + T + F + "Deu ruim!" + F + R, T + F + T + T + "Deu ruim!" + F + T + R, 0,
         4},
        {"killed at the first attempt", "KILL\n", 0755, T + "Deu ruim!", T + "Deu ruim!", 1, 1},
        // Exec fails once the client is gone; what the driver holds in its
        // buffer comes out once, and it stops.
        {"client vanishes after a failure", "rm\n", 0755, T + X + F, T + F + X, 1, 1},
        {"no client", "", 0, X, X, 1, 0},
        {"client not executable", "0\n", 0644, X, X, 1, 0},
    };
    for (const auto &c : cases) {
        for (const bool terminal : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (terminal ? " (terminal)" : " (pipe)"));
            StandIn client(c.plan, c.mode);
            auto p = client.run(kArgs, terminal);
            expect_ended(p, c.status, terminal ? c.tty_out : c.pipe_out);
            if (c.attempts > 0) {
                EXPECT_EQ(client.attempts(), c.attempts);
            }
        }
    }
}

TEST(Reenvio, PassesOnAtMostThreeArguments)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, ""},
        {{"x", "y"}, "[x][y]"},
        {{"a", "b", "c"}, "[a][b][c]"},
        {{"a", "b", "c", "d", "e"}, "[a][b][c]"},
        {{"a b", "", "c d"}, "[a b][][c d]"},
    };
    for (const auto &[args, recorded] : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        StandIn client("0\n");
        auto p = client.run(args, false);
        EXPECT_EQ(p.exit_code, 0);
        EXPECT_EQ(client.dir.read("argumentos"), recorded + "\n");
    }
}

TEST(Reenvio, StartsTheNextAttemptAtOnce)
{
    StandIn client("1\n1\n1\n1\n1\n1\n1\n1\n1\n0\n");
    auto p = client.run(kArgs, true);
    EXPECT_EQ(p.exit_code, 0);
    EXPECT_EQ(client.attempts(), 10);
    EXPECT_LT(p.elapsed(), 2s);
}

// No status to decode: SIGCHLD ignored (the kernel reaps the client itself),
// or no child at all.
TEST(Reenvio, StopsWhenAnAttemptGivesNoStatus)
{
    StandIn client("0\n");
    auto p = client.run(kArgs, false, {SIGCHLD});
    expect_ended(p, 1, kTrying);
    EXPECT_EQ(client.attempts(), 1);
    expect_ended(run({.program = bin("reenvio"), .args = kArgs, .no_fork = true, .timeout = 5s}),
                 1, "");
}

// ------------------------------------------------------------ the real pair

// reenvio finds the real ./dinarix in the folder where both are built.
const std::string kBinDir = std::filesystem::path(bin("dinarix")).parent_path();

TEST(TransferPair, RealClientIsRetriedUntilTheTransferIsDone)
{
    // Each attempt takes one or two seconds and succeeds one time in five, so
    // a whole run can take long: give it a while, then judge what came out.
    auto p = run({.program = bin("reenvio"), .args = kArgs, .cwd = kBinDir, .terminal = true,
                  .timeout = 15s});
    EXPECT_EQ(p.err, "");
    const std::regex done("(Tentando transferir\\.\\.\\.\nFalha na rede!\n)*"
                          "Tentando transferir\\.\\.\\.\nTransferencia realizada!\n");
    const std::regex cut("(Tentando transferir\\.\\.\\.\nFalha na rede!\n)+"
                         "(Tentando transferir\\.\\.\\.\n)?");
    if (p.timed_out) {
        EXPECT_TRUE(std::regex_match(p.out, cut)) << p.out;
    } else {
        EXPECT_EQ(p.exit_code, 0);
        EXPECT_TRUE(std::regex_match(p.out, done)) << p.out;
    }
}

} // namespace
