// leitor_bytes and gravador_digitos: a file name on standard input, a file
// read or written one byte per system call, and every failure in the status.
#include "processo.hpp"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace harness;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

std::string read_messages(const std::string &bytes)
{
    std::string out;
    for (char c : bytes)
        out += std::string("Caracter lido: ") + c + "\n";
    return out;
}

const std::string kLongName(101, 'n'); // one more than the name buffer holds

TEST(LeitorBytes, PrintsTheNamedFileOneByteAMessage)
{
    const struct {
        const char *what;
        std::string input;
        std::string out;
        int status;
    } cases[] = {
        {"empty file", "vazio", "", 0},
        {"line end", "xy", read_messages("xy\n"), 0},
        {"zero byte", "zero", read_messages(std::string("a\0b", 3)), 0},
        {"blanks before, a second word after", " \n\t xy outro\n", read_messages("xy\n"), 0},
        {"a name of 100 characters fits", std::string(100, 'n'), read_messages("cem"), 0},
        {"missing file", "nao_existe", "", 1},
        {"a folder opens but cannot be read", "pasta", "", 1},
        // Never cut to the 100 characters that would name another file. Read
        // with a bare %s, it overflows the buffer: AddressSanitizer sees that.
        {"name too long", kLongName, "", 1},
        {"a zero byte inside the name", std::string("xy\0lixo", 7), "", 1},
        {"no word at all", " \n\t", "", 1},
        {"no input", "", "", 1},
    };
    ScratchDir dir;
    dir.write("vazio", "");
    dir.write("xy", "xy\n");
    dir.write("zero", std::string("a\0b", 3));
    dir.write(std::string(100, 'n'), "cem");
    fs::create_directory(dir.file("pasta"));

    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        auto p = run({.program = bin("leitor_bytes"), .input = c.input, .cwd = dir.path});
        expect_ended(p, c.status, c.out);
    }
    expect_unwritten_output_fails({.program = bin("leitor_bytes"), .input = "xy", .cwd = dir.path});
}

mode_t mode_of(const std::string &path)
{
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

TEST(GravadorDigitos, WritesTheTenDigitsOverTheStartOfTheFile)
{
    const struct {
        const char *what;
        std::string before;  // "" : the file does not exist yet
        mode_t mode;         // of an existing file; of a new one, 0700 less the umask
        mode_t umask;
        std::string after;
    } cases[] = {
        {"new file", "", 0, 022, "0123456789"},
        {"new file, another umask", "", 0, 0177, "0123456789"},
        {"longer file keeps its tail", "abcdefghijklmnopqrstuvwxy", 0640, 022,
         "0123456789klmnopqrstuvwxy"},
        {"shorter file grows", "abcd", 0604, 022, "0123456789"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        if (!c.before.empty())
            dir.write("digitos", c.before, static_cast<int>(c.mode));
        const mode_t saved = umask(c.umask); // the program inherits it
        auto p = run({.program = bin("gravador_digitos"), .input = "digitos\n", .cwd = dir.path});
        umask(saved);
        expect_ended(p, 0, "");
        EXPECT_EQ(dir.read("digitos"), c.after);
        EXPECT_EQ(mode_of(dir.file("digitos")), c.before.empty() ? (0700 & ~c.umask) : c.mode);
    }
}

TEST(GravadorDigitos, FailuresCreateNothingAndEndWithStatusOne)
{
    const struct {
        const char *what;
        std::string input;
    } cases[] = {
        {"folder that does not exist", "nao_existe/digitos"},
        {"name too long", kLongName},
        {"a zero byte inside the name", std::string("alvo\0lixo\n", 10)},
        {"no input", ""},
        {"a write that fails", "/dev/full"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        // What a cut name would hit.
        dir.write(kLongName.substr(0, 100), "x");
        dir.write("alvo", "x");
        auto p = run({.program = bin("gravador_digitos"), .input = c.input, .cwd = dir.path});
        expect_ended(p, 1, "");
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator{}), 2);
        EXPECT_EQ(dir.read(kLongName.substr(0, 100)) + dir.read("alvo"), "xx");
    }
}


} // namespace
