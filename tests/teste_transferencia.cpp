// dinarix and reenvio from outside: the client's argument checks and exit
// statuses, and the driver against a scripted stand-in client.
#include "processo.hpp"

#include <csignal>
#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>

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
        EXPECT_EQ(p.out, c.expected);
        EXPECT_EQ(p.err, "");
        EXPECT_EQ(p.exit_code, 255);
        EXPECT_LT(p.elapsed(), 900ms) << "a refusal does not sleep";
    }
}

TEST(Dinarix, AcceptedAmountsTryOnceAndEndWithANetworkOutcome)
{
    // atof reads the longest number at the front; the rest is ignored.
    const std::vector<std::vector<std::string>> cases = {
        {"ab134d4", "d8b0a9e", "109.75"}, {"a", "b", "12abc"}, {"a", "b", "109,75"},
        {"a", "b", "0x10"}, {"a", "b", "1e3"}, {"a", "b", "  0.01"},
        {"a", "b", "5", "ignored", "too"},
    };
    std::vector<Process> running;
    for (const auto &args : cases)
        running.emplace_back(Options{.program = bin("dinarix"), .args = args, .timeout = 8s});
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(testing::PrintToString(cases[i]));
        auto &p = running[i].finish();
        EXPECT_EQ(p.out, kTrying);
        EXPECT_EQ(p.err, "");
        EXPECT_GE(p.exit_code, 0);
        EXPECT_LE(p.exit_code, 4);
        EXPECT_GE(p.elapsed(), 1s);
    }
}

TEST(Dinarix, TerminalShowsTheLineBeforeThePauseAPipeAfterIt)
{
    const std::vector<std::string> args = {"ab134d4", "d8b0a9e", "109.75"};
    Process tty({.program = bin("dinarix"), .args = args, .terminal = true, .timeout = 8s});
    Process pipe({.program = bin("dinarix"), .args = args, .timeout = 8s});
    tty.finish();
    pipe.finish();

    EXPECT_EQ(tty.out, kTrying);
    EXPECT_LT(tty.arrival(kTrying), 800ms);
    EXPECT_GE(tty.elapsed(), 1s);

    EXPECT_EQ(pipe.out, kTrying);
    EXPECT_GE(pipe.arrival(kTrying), 1s);
}

TEST(Dinarix, ClientsSeededInTheSameSecondBehaveAlike)
{
    const std::vector<std::string> args = {"ab134d4", "d8b0a9e", "109.75"};
    for (int attempt = 0; attempt < 3; ++attempt) {
        const time_t before = time(nullptr);
        Process a({.program = bin("dinarix"), .args = args, .terminal = true, .timeout = 8s});
        Process b({.program = bin("dinarix"), .args = args, .terminal = true, .timeout = 8s});
        ASSERT_TRUE(a.wait_for(kTrying, 5s));
        ASSERT_TRUE(b.wait_for(kTrying, 5s));
        if (time(nullptr) != before)
            continue; // the second turned over while they seeded: try again
        a.finish();
        b.finish();
        EXPECT_EQ(a.exit_code, b.exit_code);
        EXPECT_NEAR(a.elapsed().count(), b.elapsed().count(), 500);
        return;
    }
    GTEST_SKIP() << "never managed to start both clients within one second";
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

const std::vector<std::string> kArgs = {"ab134d4", "d8b0a9e", "109.75"};

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
            EXPECT_EQ(p.out, terminal ? c.tty_out : c.pipe_out);
            EXPECT_EQ(p.err, "");
            EXPECT_EQ(p.exit_code, c.status);
            EXPECT_FALSE(p.timed_out);
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

TEST(Reenvio, StopsWhenWaitHasNoStatusToGive)
{
    // With SIGCHLD ignored the kernel reaps the client itself.
    StandIn client("0\n");
    auto p = client.run(kArgs, false, {SIGCHLD});
    EXPECT_EQ(p.out, kTrying);
    EXPECT_EQ(p.err, "");
    EXPECT_EQ(p.exit_code, 1);
    EXPECT_EQ(client.attempts(), 1);
}

TEST(Reenvio, StopsWhenItCannotFork)
{
    auto p = run({.program = bin("reenvio"), .args = kArgs, .no_fork = true, .timeout = 5s});
    EXPECT_EQ(p.out, "");
    EXPECT_EQ(p.err, "");
    EXPECT_EQ(p.exit_code, 1);
}

// ------------------------------------------------------------ the real pair

// reenvio finds the real ./dinarix in the folder where both are built.
const std::string kBinDir = std::filesystem::path(bin("dinarix")).parent_path();

TEST(TransferPair, RealClientRefusalsStopTheDriver)
{
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"ab134d4", "d8b0a9e"}, kUsage},
        {{"ab134d4", "d8b0a9e", "0"}, kInvalid},
    };
    for (const auto &[args, expected] : cases) {
        auto p = run({.program = bin("reenvio"), .args = args, .cwd = kBinDir, .timeout = 5s});
        EXPECT_EQ(p.out, expected);
        EXPECT_EQ(p.err, "");
        EXPECT_EQ(p.exit_code, 1);
    }
}

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
