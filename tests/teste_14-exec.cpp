// lista_diretorio becoming ls, and eco_parametros showing its arguments.
#include "processo.hpp"

#include <gtest/gtest.h>

using namespace harness;
using namespace std::chrono_literals;

namespace {

// ------------------------------------------------------- lista_diretorio

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
        expect_ended(p, c.status, c.out);
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
        expect_ended(run({.program = bin("eco_parametros"), .args = c.args, .argv0 = c.argv0}), 0,
                     c.out);
    }
    expect_unwritten_output_fails({.program = bin("eco_parametros"), .args = {"um", "dois"}});
}

} // namespace
