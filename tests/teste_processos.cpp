// fork and exec: pai_filho's two reports, lista_diretorio becoming ls, and
// eco_parametros showing its arguments.
#include "processo.hpp"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace harness;
using namespace std::chrono_literals;

namespace {

// ------------------------------------------------------------- pai_filho

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
}

INSTANTIATE_TEST_SUITE_P(Output, PaiFilho, testing::Bool(), pipe_or_terminal);

TEST(PaiFilhoForkFails, ReportsMinusOneAndEndsWithStatusOne)
{
    if (!can_forbid_fork(bin("pai_filho")))
        GTEST_SKIP() << "cannot run the program as an unprivileged user here";
    auto p = run({.program = bin("pai_filho"), .no_fork = true, .timeout = 5s});
    EXPECT_EQ(p.out, "eu sou o processo pai " + std::to_string(p.pid) +
                         ", meu filho é -1\nvariavel 5\n");
    EXPECT_EQ(p.err, "");
    EXPECT_EQ(p.exit_code, 1);
}

// ------------------------------------------------------- lista_diretorio

class ListaDiretorio : public testing::TestWithParam<bool> {};

TEST_P(ListaDiretorio, PrintsExactlyWhatLsPrints)
{
    // Listed one level down, so that ".." is ours too and nothing else
    // changes it between the two listings.
    ScratchDir top;
    const std::string dir = top.file("lista");
    std::filesystem::create_directory(dir);
    std::ofstream(dir + "/notas.txt") << "dez\n";
    std::ofstream(dir + "/.escondido");
    std::filesystem::create_directory(dir + "/sub");
    const std::string ls = which("ls");
    ASSERT_FALSE(ls.empty());

    const bool terminal = GetParam();
    auto mine = run({.program = bin("lista_diretorio"), .cwd = dir, .terminal = terminal});
    auto theirs = run({.program = ls, .args = {"-l", "-a"}, .cwd = dir, .terminal = terminal});
    EXPECT_EQ(mine.out, theirs.out);
    EXPECT_NE(mine.out.find(".escondido"), std::string::npos);
    EXPECT_EQ(mine.out.find("Fim do exec!"), std::string::npos);
    EXPECT_EQ(mine.err, "");
    EXPECT_EQ(mine.exit_code, 0);
}

INSTANTIATE_TEST_SUITE_P(Output, ListaDiretorio, testing::Bool(), pipe_or_terminal);

TEST(ListaDiretorioPath, FindsLsAlongPathOrSaysSo)
{
    ScratchDir dir;
    // A stand-in ls shows the arguments it got, and ends with a status of its own.
    dir.write("ls", "#!/bin/sh\nprintf '[%s]' \"$@\"; echo; exit 7\n", 0755);
    ScratchDir empty;
    const struct {
        std::string path, out;
        int status;
    } cases[] = {
        {"PATH=" + dir.path, "[-l][-a]\n", 7},
        {"PATH=/nonexistent:" + dir.path, "[-l][-a]\n", 7},
        {"PATH=/nonexistent", "Fim do exec!\n", 1},
        {"PATH=", "Fim do exec!\n", 1}, // an empty PATH means the working directory
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        auto p = run({.program = bin("lista_diretorio"), .cwd = empty.path, .env = {c.path}});
        EXPECT_EQ(p.out, c.out);
        EXPECT_EQ(p.err, "");
        EXPECT_EQ(p.exit_code, c.status);
    }
}

// -------------------------------------------------------- eco_parametros

TEST(EcoParametros, PrintsEveryArgumentOnALineOfItsOwn)
{
    const struct {
        std::string argv0;
        std::vector<std::string> args;
        std::string out;
    } cases[] = {
        {"./eco_parametros", {}, "arg: ./eco_parametros\n"},
        {"eco", {"um", "dois"}, "arg: eco\narg: um\narg: dois\n"},
        {"eco", {""}, "arg: eco\narg: \n"},
        {"eco", {"a b", " c "}, "arg: eco\narg: a b\narg:  c \n"},
        {"eco", {"ação", "数", "--x"}, "arg: eco\narg: ação\narg: 数\narg: --x\n"},
        {"eco", {"%s %d", "a\nb"}, "arg: eco\narg: %s %d\narg: a\nb\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        auto p = run({.program = bin("eco_parametros"), .args = c.args, .argv0 = c.argv0});
        EXPECT_EQ(p.out, c.out);
        EXPECT_EQ(p.err, "");
        EXPECT_EQ(p.exit_code, 0);
    }
}

} // namespace
