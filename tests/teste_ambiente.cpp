// The machine around the course: diagnostico.sh must pass here and name the
// right fix when a tool is missing or refused, and sanitizado.sh must retry a
// sanitizer that cannot start, and never pass that off as a data race. The
// breakages are made, not waited for: tools hidden from PATH, system calls
// refused by simula's seccomp filters, orphans adopted by simula.
#include "processo.hpp"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <set>

using namespace harness;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

const std::string raiz = AULAS_RAIZ;
const std::string simula = AULAS_SIMULA;

// One line of the report: "  ok     text", "  FALHA  text", "  aviso  text",
// and the fix on the lines below it.
struct Item {
    std::string tag, text, fix;
};

std::vector<Item> items(const std::string &out)
{
    std::vector<Item> found;
    for (const auto &line : lines(out)) {
        if (line.size() > 9 && line.starts_with("  ") && line[2] != ' ')
            found.push_back({line.substr(2, line.find(' ', 2) - 2), line.substr(9), ""});
        else if (line.starts_with("         ") && !found.empty())
            found.back().fix += line.substr(9) + "\n";
    }
    return found;
}

// The item whose text starts with `start`; a failed expectation if none.
Item item(const std::string &out, const std::string &start)
{
    for (const auto &i : items(out))
        if (i.text.starts_with(start))
            return i;
    ADD_FAILURE() << "no item starting with \"" << start << "\" in:\n" << out;
    return {};
}

// A PATH that has every program of ours but the hidden ones.
std::string path_without(const ScratchDir &dir, const std::set<std::string> &hidden)
{
    const std::string path = std::getenv("PATH");
    fs::create_directory(dir.file("path"));
    for (size_t start = 0; start <= path.size();) {
        const size_t end = std::min(path.find(':', start), path.size());
        std::error_code ec;
        for (const auto &entry : fs::directory_iterator(path.substr(start, end - start), ec)) {
            const auto name = entry.path().filename().string();
            const auto link = fs::path(dir.file("path")) / name;
            if (!hidden.contains(name) && !fs::exists(fs::symlink_status(link)))
                fs::create_symlink(entry.path(), link, ec);
        }
        start = end + 1;
    }
    return "PATH=" + dir.file("path");
}

// The check-up, in Portuguese unless env says otherwise; with a mode, inside
// simula.
Process diagnostico(std::vector<std::string> env, const std::string &mode = "",
                    const std::string &script = raiz + "/diagnostico.sh")
{
    // Inside the course's container the fix is "rebuild the image"; the
    // tests read the one for any Debian or Ubuntu.
    env.insert(env.begin(), {"LANG=C.UTF-8", "LC_ALL=", "AULAS_CONTEINER="});
    Options o = {.program = "/bin/sh", .args = {script}, .env = env, .timeout = 150s};
    if (!mode.empty())
        o = {.program = simula, .args = {mode, "/bin/sh", script}, .env = env, .timeout = 150s};
    return run(o);
}

TEST(Diagnostico, PassesHereWithEveryToolTried)
{
    const auto p = diagnostico({});
    EXPECT_EQ(p.exit_code, 0) << p.out << p.err;
    EXPECT_EQ(p.err, "");
    for (const auto &i : items(p.out))
        EXPECT_TRUE(i.tag == "ok" || i.text.starts_with("órfãos")) << i.tag << " " << i.text;
    for (const char *tool : {"g++", "cmake", "GoogleTest", "clitest", "strace", "valgrind",
                             "ThreadSanitizer", "AddressSanitizer", "tmux", "localidade UTF-8"})
        EXPECT_EQ(item(p.out, tool).tag, "ok") << tool;
    EXPECT_TRUE(lines(p.out).back().starts_with("Tudo certo: ")) << p.out;
}

// Most cases hide the compiler: nothing to compile makes them quick, and
// what needs a compiler must then say so.
TEST(Diagnostico, NamesThePackageOfEachToolHiddenFromPath)
{
    struct Case {
        std::string tool, item, package;
    };
    const std::vector<Case> cases = {
        {"g++", "g++:", "g++"},
        {"", "GoogleTest:", "g++"},
        {"", "ThreadSanitizer:", "g++"},
        {"", "AddressSanitizer + UndefinedBehaviorSanitizer:", "g++"},
        {"make", "make:", "make"},
        {"cmake", "cmake:", "cmake"},
        {"clitest", "clitest:", "clitest"},
        {"strace", "strace:", "strace"},
        {"valgrind", "valgrind:", "valgrind"},
        {"tmux", "tmux:", "tmux"},
        {"ps", "ps:", "procps"},
    };
    ScratchDir dir;
    std::set<std::string> hidden;
    for (const auto &c : cases)
        hidden.insert(c.tool);
    const auto p = diagnostico({path_without(dir, hidden)});
    EXPECT_EQ(p.exit_code, 1);
    for (const auto &c : cases) {
        const auto i = item(p.out, c.item);
        EXPECT_EQ(i.tag, "FALHA") << c.item;
        EXPECT_NE(i.fix.find("apt install " + c.package + "\n"), std::string::npos) << i.fix;
    }
    EXPECT_EQ(lines(p.out).back(), "Falta resolver 11 de 13 itens: g++, make, cmake, GoogleTest, "
                                   "clitest, strace, valgrind, ThreadSanitizer, AddressSanitizer "
                                   "+ UndefinedBehaviorSanitizer, tmux, ps.");
}

TEST(Diagnostico, RefusedPtraceNamesTheContainerOptions)
{
    const auto p = diagnostico({}, "recusa-ptrace");
    EXPECT_EQ(p.exit_code, 1) << p.out;
    // strace needs ptrace, and so does LeakSanitizer at the end of every
    // AddressSanitizer run; ThreadSanitizer does not.
    for (const char *what : {"strace", "AddressSanitizer"}) {
        const auto i = item(p.out, what);
        EXPECT_EQ(i.tag, "FALHA") << what;
        EXPECT_NE(i.text.find("ptrace"), std::string::npos) << i.text;
        EXPECT_NE(i.fix.find("--cap-add=SYS_PTRACE --security-opt seccomp=unconfined"),
                  std::string::npos) << i.fix;
    }
    EXPECT_EQ(item(p.out, "ThreadSanitizer").tag, "ok");
}

// What needs the compiler fails in the cases below, which hide it.
const std::string kNoCompiler = "Falta resolver 4 de 13 itens: g++, GoogleTest, ThreadSanitizer, "
                                "AddressSanitizer + UndefinedBehaviorSanitizer.";

TEST(Diagnostico, OrphansLeftAsZombiesAreAWarningOnly)
{
    struct Case {
        std::string mode, tag, text;
    };
    const std::vector<Case> cases = {
        {"nao-recolhe", "aviso", "simula) não os recolhe logo que terminam"},
        {"recolhe", "ok", "(simula), que os recolhe"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.mode);
        ScratchDir dir;
        const auto p = diagnostico({path_without(dir, {"g++"})}, c.mode);
        EXPECT_EQ(lines(p.out).back(), kNoCompiler);
        const auto i = item(p.out, "órfãos");
        EXPECT_EQ(i.tag, c.tag);
        EXPECT_NE(i.text.find(c.text), std::string::npos) << i.text;
        if (c.tag == "aviso") {
            EXPECT_NE(i.text.find("13-processos"), std::string::npos) << i.text;
            EXPECT_NE(i.fix.find("--init"), std::string::npos) << i.fix;
        }
    }
}

TEST(Diagnostico, ALocaleThatIsNotUtf8)
{
    ScratchDir dir;
    const auto p = diagnostico({path_without(dir, {"g++"}), "LANG=C"});
    EXPECT_EQ(p.exit_code, 1);
    const auto i = item(p.out, "localidade");
    EXPECT_EQ(i.tag, "FALHA");
    EXPECT_NE(i.fix.find("export LANG=C.UTF-8"), std::string::npos) << i.fix;
}

TEST(Diagnostico, SpeaksEnglishWhenLangSaysSo)
{
    ScratchDir dir;
    const auto p = diagnostico({path_without(dir, {"g++"}), "LANG=en_US.UTF-8", "LC_ALL=C.UTF-8"});
    EXPECT_EQ(p.exit_code, 1);
    EXPECT_TRUE(p.out.starts_with("What the course uses, on this machine: ")) << p.out;
    EXPECT_EQ(item(p.out, "g++: not found in PATH").tag, "FAIL");
    EXPECT_EQ(item(p.out, "UTF-8 locale").tag, "ok");
    EXPECT_EQ(lines(p.out).back(), "4 of 13 items need fixing: g++, GoogleTest, ThreadSanitizer, "
                                   "AddressSanitizer + UndefinedBehaviorSanitizer.");
    EXPECT_EQ(p.out.find("ã"), std::string::npos) << p.out;
}

TEST(Diagnostico, ScriptsWithWindowsLineEnds)
{
    // A copy of what the check-up reads, with one check saved as Windows
    // saves it.
    ScratchDir dir;
    fs::create_directories(dir.file("tests/exercicios"));
    for (const char *f : {"diagnostico.sh", "CMakePresets.json", "tests/sanitizado.sh"})
        fs::copy(raiz + "/" + f, dir.file(f));
    std::ifstream in(raiz + "/tests/exercicios/inverte.txt");
    std::ofstream out(dir.file("tests/exercicios/inverte.txt"));
    for (std::string line; std::getline(in, line);)
        out << line << "\r\n";
    out.close();

    const auto p = diagnostico({path_without(dir, {"g++"})}, "", dir.file("diagnostico.sh"));
    EXPECT_EQ(p.exit_code, 1);
    const auto i = item(p.out, "fim de linha");
    EXPECT_EQ(i.tag, "FALHA");
    EXPECT_NE(i.text.find("1 arquivo com o fim de linha do Windows"), std::string::npos) << i.text;
    EXPECT_NE(i.fix.find("sed -i 's/\\r$//' tests/exercicios/inverte.txt"), std::string::npos)
        << i.fix;
}

// --- sanitizado.sh, with programs that fail as the runtimes do ---------------

// A stand-in for a sanitized program: runs `body` in sh, and counts its runs.
// "$sem_sorteio" is 1 when it runs with address randomisation off.
std::string stand_in(const ScratchDir &dir, const std::string &body)
{
    dir.write("programa",
              "#!/bin/sh\n"
              "echo >> \"$(dirname \"$0\")/vezes\"\n"
              "p=$(cat /proc/self/personality)\n"
              "sem_sorteio=$(( (0x$p & 0x40000) != 0 ))\n" + body + "\n", 0755);
    return dir.file("programa");
}

int runs(const ScratchDir &dir)
{
    return static_cast<int>(lines(dir.read("vezes")).size());
}

// Above 28 bits sanitizado.sh starts without randomisation: no retry there.
bool randomises_more_than_28_bits()
{
    std::ifstream in("/proc/sys/vm/mmap_rnd_bits");
    int bits = 0;
    return in >> bits && bits > 28;
}

struct Sanitizado {
    std::string name, body;
    bool refuse_personality;
    int status;
    std::string out;
    int runs; // when randomisation starts on
    std::string err;  // standard error holds this ("" for nothing at all)
};

const char *const mapping = "FATAL: ThreadSanitizer: unexpected memory mapping 0x7f-0x80";

const std::vector<Sanitizado> sanitizado_cases = {
    {"DataRaceKeepsItsStatus",
     "echo 'WARNING: ThreadSanitizer: data race' >&2; cat; exit 66", false, 66, "entrada\n", 1,
     "WARNING: ThreadSanitizer: data race\n"},
    {"MappingErrorIsRetriedWithoutRandomisation",
     "[ $sem_sorteio = 1 ] || { echo '" + std::string(mapping) + "' >&2; exit 66; }; cat; exit 3",
     false, 3, "entrada\n", 2, ""},
    {"AddressSanitizerLoopIsEndedAndRetried",
     "[ $sem_sorteio = 1 ] || while :; do echo AddressSanitizer:DEADLYSIGNAL >&2; done; cat",
     false, 0, "entrada\n", 2, ""},
    {"OneDeadlySignalIsARealCrash",
     "printf 'AddressSanitizer:DEADLYSIGNAL\\n==1==ERROR: AddressSanitizer: SEGV\\n' >&2; exit 1",
     false, 1, "", 1, "AddressSanitizer:DEADLYSIGNAL\n==1==ERROR: AddressSanitizer: SEGV\n"},
    {"RefusedPersonalityIsNotARace",
     "[ $sem_sorteio = 1 ] || { echo '" + std::string(mapping) + "' >&2; exit 66; }", true, 71, "",
     1, "seccomp=unconfined"},
    {"StillFailingWithoutRandomisation", "echo '" + std::string(mapping) + "' >&2; exit 66",
     false, 71, "", 2, "nem com o sorteio de endereços desligado"},
};

class SanitizadoTest : public testing::TestWithParam<Sanitizado> {};

TEST_P(SanitizadoTest, RunsTheProgramAsIfDirectly)
{
    const auto &c = GetParam();
    ScratchDir dir;
    const std::string program = stand_in(dir, c.body);
    const std::string script = raiz + "/tests/sanitizado.sh";
    Options o = {.program = "/bin/sh", .args = {script, program}, .input = "entrada\n",
                 .env = {"LANG=C.UTF-8"}};
    if (c.refuse_personality)
        o = {.program = simula, .args = {"recusa-personality", "/bin/sh", script, program},
             .input = "entrada\n", .env = {"LANG=C.UTF-8"}};
    const auto p = run(o);
    EXPECT_EQ(p.exit_code, c.status) << p.err;
    EXPECT_EQ(p.out, c.out);
    const bool retries = c.runs == 2 && !randomises_more_than_28_bits();
    EXPECT_EQ(runs(dir), retries ? 2 : 1);
    if (c.err.empty()) {
        EXPECT_EQ(p.err, "");
    } else {
        EXPECT_NE(p.err.find(c.err), std::string::npos) << p.err;
    }
    if (c.status == 71) {
        EXPECT_EQ(p.err.find("data race"), std::string::npos) << p.err;
        EXPECT_NE(p.err.find("./diagnostico.sh"), std::string::npos) << p.err;
    }
    if (c.refuse_personality) {
        EXPECT_NE(p.err.find("sudo sysctl -w vm.mmap_rnd_bits=28"), std::string::npos) << p.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Casos, SanitizadoTest, testing::ValuesIn(sanitizado_cases),
                         [](const auto &info) { return info.param.name; });

} // namespace
