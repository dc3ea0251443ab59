#!/bin/sh
# Checks this machine for everything the course uses, each tool tried for
# real (a program compiled, traced, run under valgrind and the sanitizers),
# and says what works and, for what does not, how to fix it on this system.
# Portuguese, or English when LANG starts with "en". The status is 0 when
# every tool works; orphans that nobody reaps are only a warning.
#   ./diagnostico.sh      (it checks the repository it sits in)
set -u
raiz=$(cd "$(dirname "$0")" && pwd)
case ${LANG:-} in
    en*) ingles=1 ;;
    *) ingles= ;;
esac
# t PORTUGUESE ENGLISH: the text in the student's language.
t() {
    if [ -n "$ingles" ]; then printf '%s' "$2"; else printf '%s' "$1"; fi
}

tmp=$(mktemp -d "${TMPDIR:-/tmp}/diagnostico.XXXXXX") || exit 1
trap 'rm -rf "$tmp"' EXIT
trap 'exit 130' INT TERM HUP

# --- Where we are -----------------------------------------------------------
sistema=$(. /etc/os-release 2> /dev/null && echo "${PRETTY_NAME:-$ID}") || sistema=Linux
distro=$(. /etc/os-release 2> /dev/null && echo "${ID:-} ${ID_LIKE:-}") || distro=
versao=$(. /etc/os-release 2> /dev/null && echo "${VERSION_ID:-}") || versao=
arquitetura=$(uname -m)
conteiner=
if [ -e /.dockerenv ] || [ -e /run/.containerenv ] || [ -n "${container:-}" ]; then
    conteiner=1
fi
wsl=
if [ -e /proc/sys/fs/binfmt_misc/WSLInterop ] || uname -r | grep -qi microsoft; then
    wsl=1
fi
sudo=sudo
[ "$(id -u)" != 0 ] || sudo=
bits=$(cat /proc/sys/vm/mmap_rnd_bits 2> /dev/null || true)

# instala PACKAGE: the command that installs it here.
instala() {
    if [ -n "${AULAS_CONTEINER:-}" ]; then
        t "o contêiner do curso já traz $1: reconstrua a imagem (no VS Code, \"Dev Containers: Rebuild Container\")" \
            "the course's container comes with $1: rebuild its image (in VS Code, \"Dev Containers: Rebuild Container\")"
    elif command -v apt-get > /dev/null; then
        printf '%s' "${sudo:+sudo }apt install $1"
    else
        t "instale o pacote que traz $1 (no Debian e no Ubuntu, \"$1\") ou use o contêiner do curso (veja o README.md)" \
            "install the package that brings $1 (on Debian and Ubuntu, \"$1\") or use the course's container (see README.en.md)"
    fi
}
# Refused by the container rather than missing: how to start it allowing that.
flags_conteiner() {
    t "abra o contêiner do curso pelo .devcontainer do repositório, que já traz isso, ou acrescente $1 ao docker run" \
        "open the course's container through the repository's .devcontainer, which has it, or add $1 to docker run"
}

# --- The report ---------------------------------------------------------------
itens=0
falhas=
avisos=0
ok() {
    itens=$((itens + 1))
    linha_ok "$1"
}
linha_ok() {
    printf '  %-6s %s\n' ok "$1"
}
# falha NAME WHAT FIX
falha() {
    itens=$((itens + 1))
    falhas="$falhas${falhas:+, }$1"
    printf '  %-6s %s\n' "$(t FALHA FAIL)" "$2"
    printf '         %s %s\n' "$(t 'Para resolver:' 'To fix:')" "$3"
}
# aviso WHAT FIX
aviso() {
    avisos=$((avisos + 1))
    printf '  %-6s %s\n' "$(t aviso warn)" "$1"
    printf '         %s %s\n' "$(t 'Para resolver:' 'To fix:')" "$2"
}
# ultimas FILE: its last lines, joined, to show what a tool said.
ultimas() {
    tail -n 3 "$1" 2> /dev/null | tr '\n' ' ' | sed 's/  */ /g; s/ $//'
}

# --- Started first, as they take a while: an orphan, and the compilations -----
# The orphan: a sleep whose parent ends at once. Who adopts it, and whether
# that process reaps it as soon as it ends (killed, at the end of this check),
# decides what the processes lesson shows.
sh -c 'sleep 60 & echo $! > "$1"' sh "$tmp/orfao.pid"
orfao=$(cat "$tmp/orfao.pid")
trap 'kill -KILL "$orfao" 2> /dev/null; rm -rf "$tmp"' EXIT
ppid_de() {
    sed 's/.*) [A-Za-z] \([0-9]*\) .*/\1/' "/proc/$1/stat" 2> /dev/null
}
estado_de() {
    sed 's/.*) \([A-Za-z]\) .*/\1/' "/proc/$1/stat" 2> /dev/null
}

cat > "$tmp/sonda.cpp" << 'FIM'
#include <cstdio>
#include <cstdlib>
#include <pthread.h>
#include <string_view>
static int total = 0;
static pthread_mutex_t trava = PTHREAD_MUTEX_INITIALIZER;
static void *conta(void *)
{
    pthread_mutex_lock(&trava);
    total++;
    pthread_mutex_unlock(&trava);
    return nullptr;
}
int main()
{
    constexpr std::string_view nome = "diagnostico";
    pthread_t threads[2];
    for (auto &t : threads)
        pthread_create(&t, nullptr, conta, nullptr);
    for (auto &t : threads)
        pthread_join(t, nullptr);
    char *bloco = static_cast<char *>(std::malloc(3));
    bloco[0] = 'o';
    bloco[1] = 'k';
    bloco[2] = '\0';
    const bool certo = nome.starts_with("diag") && total == 2;
    if (certo)
        std::puts(bloco);
    std::free(bloco);
    return certo ? 0 : 1;
}
FIM
cat > "$tmp/gtest.cpp" << 'FIM'
#include <gtest/gtest.h>
TEST(Diagnostico, Soma) { EXPECT_EQ(2 + 2, 4); }
FIM
compilador=
command -v g++ > /dev/null && compilador=g++
compila() { # NAME FLAGS...: in the background, into $tmp/NAME, its log in $tmp/NAME.log
    nome=$1
    shift
    (g++ -std=c++20 -g -pthread "$@" -o "$tmp/$nome" > "$tmp/$nome.log" 2>&1
        echo $? > "$tmp/$nome.status") &
}
if [ -n "$compilador" ]; then
    compila sonda "$tmp/sonda.cpp"
    compila gtest "$tmp/gtest.cpp" -lgtest -lgtest_main
    compila tsan -O1 -fsanitize=thread "$tmp/sonda.cpp"
    compila asan -fsanitize=address,undefined -fno-omit-frame-pointer "$tmp/sonda.cpp"
fi
# compilou NAME: waits for that compilation; true if it built.
compilou() {
    [ -n "$compilador" ] || return 1
    while [ ! -e "$tmp/$1.status" ]; do sleep 0.1; done
    [ "$(cat "$tmp/$1.status")" = 0 ]
}

echo "$(t 'O que o curso usa, nesta máquina' 'What the course uses, on this machine'): $sistema, $arquitetura$([ -z "$wsl" ] || echo ', WSL')"

# --- The compiler ---------------------------------------------------------------
if [ -z "$compilador" ]; then
    falha g++ "$(t 'g++: não encontrado no PATH' 'g++: not found in PATH')" "$(instala g++)"
elif compilou sonda && [ "$("$tmp/sonda")" = ok ]; then
    ok "g++ $(g++ -dumpfullversion 2> /dev/null || g++ -dumpversion), $(t 'compila C++20' 'compiles C++20')"
else
    falha g++ "g++ $(g++ -dumpversion): $(t 'não compilou um programa em C++20' 'did not compile a C++20 program'): $(ultimas "$tmp/sonda.log")" \
        "$(t 'o curso precisa do g++ 10 ou mais novo' 'the course needs g++ 10 or newer'): $(instala g++)"
fi

# --- make and cmake -------------------------------------------------------------
if command -v make > /dev/null; then
    ok "$(make --version | head -n 1)"
else
    falha make "$(t 'make: não encontrado no PATH (os presets compilam com ele)' 'make: not found in PATH (the presets build with it)')" "$(instala make)"
fi
if ! command -v cmake > /dev/null; then
    falha cmake "$(t 'cmake: não encontrado no PATH' 'cmake: not found in PATH')" "$(instala cmake)"
else
    versao_cmake=$(cmake --version | sed -n '1s/[^0-9]*\([0-9][0-9.]*\).*/\1/p')
    maior=${versao_cmake%%.*}
    menor=$(echo "$versao_cmake" | cut -d. -f2)
    if [ "${maior:-0}" -gt 3 ] || { [ "${maior:-0}" = 3 ] && [ "${menor:-0}" -ge 25 ]; }; then
        if (cd "$raiz" && cmake --list-presets > "$tmp/cmake.log" 2>&1); then
            ok "cmake $versao_cmake, $(t 'lê os presets do curso' "reads the course's presets")"
        else
            falha cmake "cmake $versao_cmake: $(t 'não leu o CMakePresets.json' 'could not read CMakePresets.json'): $(ultimas "$tmp/cmake.log")" \
                "$(t 'confira se o CMakePresets.json está inteiro (git status)' 'check that CMakePresets.json is intact (git status)')"
        fi
    else
        if echo "$distro" | grep -qw ubuntu && [ "${versao%%.*}" -le 22 ] 2> /dev/null; then
            jeito=$(t "o Ubuntu $versao traz o cmake $versao_cmake; instale um mais novo com" "Ubuntu $versao has cmake $versao_cmake; install a newer one with")
            jeito="$jeito ${sudo:+sudo }apt install python3-pip && python3 -m pip install --user cmake $(t '(e abra um terminal novo, para o ~/.local/bin entrar no PATH), ou com' '(then open a new terminal, so that ~/.local/bin is in PATH), or with') ${sudo:+sudo }snap install cmake --classic"
        else
            jeito="$(t 'instale um cmake mais novo, por exemplo com' 'install a newer cmake, for instance with') python3 -m pip install --user cmake"
        fi
        falha cmake "cmake $versao_cmake: $(t 'os presets do curso precisam do 3.25 ou mais novo' "the course's presets need 3.25 or newer")" "$jeito"
    fi
fi

# --- GoogleTest and clitest -------------------------------------------------------
if [ -z "$compilador" ]; then
    falha GoogleTest "GoogleTest: $(t 'sem compilador, não dá para testar' 'no compiler to try it with')" "$(instala g++)"
elif compilou gtest && "$tmp/gtest" > "$tmp/gtest.out" 2>&1; then
    ok "GoogleTest"
else
    falha GoogleTest "GoogleTest: $(t 'um teste não compilou ou não rodou' 'a test did not build or run'): $(ultimas "$tmp/gtest.log")" "$(instala libgtest-dev)"
fi
if ! command -v clitest > /dev/null; then
    falha clitest "$(t 'clitest: não encontrado no PATH (as notas e as verificações rodam com ele)' 'clitest: not found in PATH (the notes and the checks run with it)')" "$(instala clitest)"
else
    printf '$ echo ok\nok\n$\n' > "$tmp/roteiro.txt"
    if clitest --progress none "$tmp/roteiro.txt" > "$tmp/clitest.log" 2>&1; then
        ok "$(clitest --version 2> /dev/null | head -n 1)"
    else
        falha clitest "clitest: $(t 'não rodou uma transcrição' 'did not run a transcript'): $(ultimas "$tmp/clitest.log")" "$(instala clitest)"
    fi
fi

# --- strace: ptrace, which containers may refuse ------------------------------------
# Also what LeakSanitizer needs, below.
escopo=$(cat /proc/sys/kernel/yama/ptrace_scope 2> /dev/null || echo 0)
conserta_ptrace() {
    if [ "$escopo" = 3 ]; then
        t "o kernel proíbe o ptrace (kernel.yama.ptrace_scope = 3, que só muda reiniciando): ponha kernel.yama.ptrace_scope = 1 em /etc/sysctl.d/10-ptrace.conf e reinicie" \
            "the kernel forbids ptrace (kernel.yama.ptrace_scope = 3, which only a reboot changes): put kernel.yama.ptrace_scope = 1 in /etc/sysctl.d/10-ptrace.conf and reboot"
    elif [ -n "$conteiner" ]; then
        flags_conteiner "--cap-add=SYS_PTRACE --security-opt seccomp=unconfined"
    else
        t "algo nesta máquina recusa a chamada ptrace (um perfil de seccomp ou do AppArmor?); num contêiner, use --cap-add=SYS_PTRACE --security-opt seccomp=unconfined" \
            "something on this machine refuses the ptrace call (a seccomp or AppArmor profile?); in a container, use --cap-add=SYS_PTRACE --security-opt seccomp=unconfined"
    fi
}
if ! command -v strace > /dev/null; then
    falha strace "$(t 'strace: não encontrado no PATH' 'strace: not found in PATH')" "$(instala strace)"
elif strace -f -qq -e trace=execve -o "$tmp/strace.txt" sh -c 'env > /dev/null; :' > "$tmp/strace.log" 2>&1 &&
    grep -q 'execve("[^"]*/env"' "$tmp/strace.txt"; then
    ok "strace $(strace -V | sed -n '1s/.*version \([^ ]*\).*/\1/p'), $(t 'acompanha um processo e o seu filho' 'follows a process and its child')"
elif grep -q 'Operation not permitted' "$tmp/strace.log"; then
    falha strace "strace: $(t 'o ptrace foi recusado, e sem ele o strace não acompanha processo nenhum' 'ptrace was refused, and without it strace follows no process')" "$(conserta_ptrace)"
else
    falha strace "strace: $(t 'não acompanhou um processo filho' 'did not follow a child process'): $(ultimas "$tmp/strace.log")" "$(instala strace)"
fi

# --- valgrind ---------------------------------------------------------------------
if ! command -v valgrind > /dev/null; then
    falha valgrind "$(t 'valgrind: não encontrado no PATH' 'valgrind: not found in PATH')" "$(instala valgrind)"
else
    programa=true
    compilou sonda && programa=$tmp/sonda
    if valgrind -q --leak-check=full --error-exitcode=99 "$(command -v "$programa")" > "$tmp/valgrind.out" 2> "$tmp/valgrind.log"; then
        ok "$(valgrind --version)"
    else
        falha valgrind "valgrind: $(t 'não rodou um programa' 'did not run a program'): $(ultimas "$tmp/valgrind.log")" "$(instala valgrind)"
    fi
fi

# --- The sanitizers, run as the course runs them: through tests/sanitizado.sh -----
personality_recusada=
command -v setarch > /dev/null && setarch "$arquitetura" -R true > /dev/null 2>&1 || personality_recusada=1
conserta_sorteio() {
    if [ -n "$personality_recusada" ]; then
        printf '%s\n         %s\n         %s' \
            "$(t 'um dos dois:' 'either of these:')" \
            "$(t '- liberar a chamada personality (o setarch -R desliga o sorteio com ela):' '- allow the personality call (setarch -R turns randomisation off with it):') $(flags_conteiner '--security-opt seccomp=unconfined')" \
            "$(t '- diminuir o sorteio, como administrador da máquina que roda o kernel (no Docker Desktop e no WSL, a máquina virtual deles):' '- randomise less, as administrator of the machine that runs the kernel (with Docker Desktop and WSL, their virtual machine):') sudo sysctl -w vm.mmap_rnd_bits=28"
    else
        t "diminua o sorteio, como administrador da máquina: sudo sysctl -w vm.mmap_rnd_bits=28" \
            "randomise less, as administrator of the machine: sudo sysctl -w vm.mmap_rnd_bits=28"
    fi
}
sobre_bits=
if [ "${bits:-0}" -gt 28 ]; then
    sobre_bits=$(t " (o kernel sorteia $bits bits dos endereços, e o tests/sanitizado.sh roda os programas sem o sorteio)" \
        " (the kernel randomises $bits address bits, and tests/sanitizado.sh runs the programs without randomisation)")
fi
# sanitizador NAME PROGRAM PACKAGE
sanitizador() {
    if [ -z "$compilador" ]; then
        falha "$1" "$1: $(t 'sem compilador, não dá para testar' 'no compiler to try it with')" "$(instala g++)"
        return
    fi
    if ! compilou "$2"; then
        falha "$1" "$1: $(t 'o g++ não compilou um programa com ele' 'g++ did not build a program with it'): $(ultimas "$tmp/$2.log")" "$(instala "$3")"
        return
    fi
    status=0
    ASAN_OPTIONS=detect_leaks=1 sh "$raiz/tests/sanitizado.sh" "$tmp/$2" > "$tmp/$2.out" 2> "$tmp/$2.err" || status=$?
    if [ "$status" = 0 ] && [ "$(cat "$tmp/$2.out")" = ok ] && [ -n "$personality_recusada" ] &&
        [ "${bits:-0}" -gt 28 ]; then
        # Started, by luck: AddressSanitizer fails only now and then there.
        falha "$1" "$1: $(t "o programa começou desta vez, mas o kernel sorteia $bits bits dos endereços (vm.mmap_rnd_bits), mais do que o sanitizador aguenta, e este ambiente recusa desligar o sorteio para um programa: outras execuções vão falhar" \
            "the program started this time, but the kernel randomises $bits address bits (vm.mmap_rnd_bits), more than the sanitizer can take, and this environment refuses to turn randomisation off for one program: other runs will fail")" \
            "$(conserta_sorteio)"
    elif [ "$status" = 0 ] && [ "$(cat "$tmp/$2.out")" = ok ]; then
        ok "$1$sobre_bits"
    elif [ "$status" = 71 ]; then
        falha "$1" "$1: $(t "o programa não consegue nem começar: o kernel sorteia ${bits:-muitos} bits dos endereços (vm.mmap_rnd_bits), mais do que o sanitizador aguenta$([ -z "$personality_recusada" ] || echo ', e este ambiente recusa desligar o sorteio para um programa')" \
            "the program cannot even start: the kernel randomises ${bits:-too many} address bits (vm.mmap_rnd_bits), more than the sanitizer can take$([ -z "$personality_recusada" ] || echo ', and this environment refuses to turn randomisation off for one program')")" \
            "$(conserta_sorteio)"
    elif grep -q 'LeakSanitizer has encountered a fatal error' "$tmp/$2.err"; then
        falha "$1" "$1: $(t 'o LeakSanitizer, que procura vazamentos no fim do programa, precisa do ptrace, e ele foi recusado' 'LeakSanitizer, which looks for leaks as the program ends, needs ptrace, and it was refused')" "$(conserta_ptrace)"
    else
        falha "$1" "$1: $(t "o programa de teste terminou com status $status" "the test program ended with status $status"): $(ultimas "$tmp/$2.err")" "$(instala "$3")"
    fi
}
sanitizador ThreadSanitizer tsan libtsan2
sanitizador "AddressSanitizer + UndefinedBehaviorSanitizer" asan libasan8

# --- tmux, ps ---------------------------------------------------------------------
if ! command -v tmux > /dev/null; then
    falha tmux "$(t 'tmux: não encontrado no PATH (a aula de sinais usa dois terminais lado a lado)' 'tmux: not found in PATH (the signals lesson uses two terminals side by side)')" "$(instala tmux)"
else
    soquete=$tmp/tmux.sock
    tmux -S "$soquete" -f /dev/null new-session -d -x 80 -y 10 "echo tmux-ok; sleep 30" > "$tmp/tmux.log" 2>&1
    visto=
    for i in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20; do
        if tmux -S "$soquete" capture-pane -p 2> /dev/null | grep -q tmux-ok; then
            visto=1
            break
        fi
        sleep 0.1
    done
    tmux -S "$soquete" kill-server > /dev/null 2>&1
    if [ -n "$visto" ]; then
        ok "$(tmux -V)"
    else
        falha tmux "tmux: $(t 'não abriu um terminal' 'did not open a terminal'): $(ultimas "$tmp/tmux.log")" "$(instala tmux)"
    fi
fi
if ps -o pid= -p $$ > /dev/null 2>&1; then
    ok "ps"
else
    falha ps "$(t 'ps: não encontrado no PATH (as aulas o usam para ver os processos)' 'ps: not found in PATH (the lessons use it to look at processes)')" "$(instala procps)"
fi

# --- The locale, and the line ends of what runs -------------------------------------
mapa=$(locale charmap 2> /dev/null || echo '?')
if [ "$mapa" = UTF-8 ]; then
    ok "$(t 'localidade UTF-8' 'UTF-8 locale') (${LC_ALL:-${LC_CTYPE:-${LANG:-C.UTF-8}}})"
else
    if locale -a 2> /dev/null | grep -qi '^c\.utf-\?8$'; then
        jeito=$(t "export LANG=C.UTF-8 (ou pt_BR.UTF-8, se existir), e ponha a mesma linha no fim do ~/.bashrc" \
            "export LANG=C.UTF-8 (or en_US.UTF-8, if it exists), and put the same line at the end of ~/.bashrc")
    else
        jeito="$(instala locales) && ${sudo:+sudo }dpkg-reconfigure locales"
    fi
    falha "$(t localidade locale)" "$(t "localidade: os caracteres são $mapa, não UTF-8 (LANG=${LANG:-}): os acentos das mensagens saem trocados, e o tmux os troca por _" \
        "locale: characters are $mapa, not UTF-8 (LANG=${LANG:-}): accented letters come out garbled, and tmux turns them into _")" "$jeito"
fi

cr=$(printf '\r')
(cd "$raiz" && for arquivo in ./*.sh tests/*.sh tests/exercicios/*.txt tests/defeitos/*.copias \
    material/aulas/*.md material/aulas/*/*.md material/aulas/*/exercicios/*.md; do
    [ -f "$arquivo" ] && grep -q "$cr\$" "$arquivo" && echo "${arquivo#./}"
done) > "$tmp/crlf.txt"
if [ ! -s "$tmp/crlf.txt" ]; then
    ok "$(t 'scripts, verificações e notas com o fim de linha do Unix' 'scripts, checks and notes with Unix line ends')"
else
    quantos=$(wc -l < "$tmp/crlf.txt")
    lista=$(head -n 3 "$tmp/crlf.txt" | paste -sd ' ' -)
    [ "$quantos" -le 3 ] || lista="$lista ..."
    todos=$(paste -sd ' ' - < "$tmp/crlf.txt")
    if [ "$quantos" = 1 ]; then
        quais=$(t '1 arquivo' '1 file')
    else
        quais=$(t "$quantos arquivos" "$quantos files")
    fi
    falha "$(t 'fim de linha' 'line ends')" "$(t "fim de linha: $quais com o fim de linha do Windows (CRLF), que quebra os scripts e as verificações: $lista" \
        "line ends: $quais with Windows line ends (CRLF), which break the scripts and the checks: $lista")" \
        "$(t "na raiz do repositório, sed -i 's/\\r\$//' $todos (e, para não acontecer de novo, clone o repositório dentro do Linux, e não numa pasta do Windows)" \
            "from the root of the repository, sed -i 's/\\r\$//' $todos (and, so that it does not happen again, clone the repository inside Linux, not in a Windows folder)")"
fi

# --- Warnings: where the repository is, and the orphans -------------------------------
case $raiz in
    /mnt/[a-z]/*)
        if [ -n "$wsl" ]; then
            aviso "$(t "o repositório está em $raiz, no disco do Windows: ali o build é lento e as permissões dos arquivos não funcionam" \
                "the repository is in $raiz, on the Windows disk: builds are slow there and file permissions do not work")" \
                "$(t 'clone o repositório de novo dentro do WSL, por exemplo em ~/aulas' 'clone the repository again inside WSL, for instance into ~/aulas')"
        fi
        ;;
esac

adotou=$(ppid_de "$orfao")
quem=$(cat "/proc/${adotou:-0}/comm" 2> /dev/null || echo '?')
kill -KILL "$orfao" 2> /dev/null
# An init reaps at once; half a second is plenty even on a busy machine.
for i in 1 2 3 4 5; do
    [ "$(estado_de "$orfao")" = Z ] || break
    sleep 0.1
done
if [ "$(estado_de "$orfao")" = Z ]; then
    aviso "$(t "órfãos: o processo que os adota aqui (pid $adotou, $quem) não os recolhe logo que terminam, e eles ficam como zumbis. Na aula 3 (13-processos), o zumbi do experimento 3 não some depois do kill, e cada execução pode deixar mais zumbis" \
        "orphans: the process that adopts them here (pid $adotou, $quem) does not reap them as soon as they end, and they stay as zombies. In lesson 3 (13-processos), the zombie of experiment 3 does not go away after the kill, and each run may leave more zombies")" \
        "$(t 'rode o contêiner com um init como processo 1: docker run --init, ou "init": true no .devcontainer, que o curso já usa' 'run the container with an init as process 1: docker run --init, or "init": true in .devcontainer, which the course already uses')"
else
    linha_ok "$(t "órfãos: adotados pelo pid ${adotou:-?} ($quem), que os recolhe" "orphans: adopted by pid ${adotou:-?} ($quem), which reaps them")"
fi

# --- The verdict ---------------------------------------------------------------------
ruins=$(echo "$falhas" | tr ',' '\n' | grep -c . || true)
echo
if [ -z "$falhas" ]; then
    echo "$(t "Tudo certo: $itens de $itens itens funcionam" "All set: $itens of $itens items work")$([ "$avisos" = 0 ] || t ", com $avisos aviso(s) acima" ", with $avisos warning(s) above")."
    exit 0
fi
echo "$(t "Falta resolver $ruins de $itens itens" "$ruins of $itens items need fixing"): $falhas."
exit 1
