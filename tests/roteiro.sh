#!/bin/sh
# Runs the "$ command" transcripts of one file with clitest, as a student
# would, in a scratch copy of the bin folder, so that nothing they create
# stays in the build. The copy is named bin, and an empty rascunho folder
# sits beside it, as build/rascunho sits beside build/bin: the notes compile
# their scratch programs in ../rascunho.
#   roteiro.sh [-c] [-o CLITEST_OPTIONS] BIN TRANSCRIPT [FILE...]
# Each FILE is copied in after the course's programs and takes the place of
# one of the same name: a student's exercise, or a broken copy of a program.
# -c contains programs that a student wrote or that are broken on purpose:
# at most AULAS_PROCESSOS processes and threads (a fork loop that never ends
# stops there), files of at most 200 MB, AULAS_TEMPO seconds in all, and
# whatever is left of them killed at the end. Root is exempt from a process
# limit, so as root they run as a user id of their own that nobody else has.
# The status is clitest's (0 passed, 1 failed, 2 no test to run), or 137 when
# time ran out.
set -eu
contido=
opcoes="--color never --progress none"
while getopts co: opcao; do
    case $opcao in
        c) contido=1 ;;
        o) opcoes="$opcoes $OPTARG" ;;
        *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
bin=$1
roteiro=$2
shift 2
if ! command -v clitest > /dev/null; then
    echo "clitest not found: install it (apt-get install clitest) to check the notes"
    exit 2
fi

raiz=$(mktemp -d)
trap 'rm -rf "$raiz"' EXIT
copia=$raiz/bin
mkdir "$copia" "$raiz/rascunho"
# The programs only: a student working in the bin folder may have left
# folders and files of experiments there.
find "$bin" -maxdepth 1 -type f -perm -u+x -exec cp -p {} "$copia"/ \;
for arquivo in "$@"; do
    cp -p "$arquivo" "$copia"/
done
cp "$roteiro" "$raiz/roteiro"
cd "$copia"

# A student's shell hands a program only 0, 1 and 2; so must we, or the
# descriptor numbers that the notes show would shift.
for fd in 3 4 5 6 7 8 9; do
    eval "exec $fd>&-"
done

# The same run from a terminal, a pipe or CI: no controlling terminal (so no
# process is ever in a terminal's foreground group, and ps shows no "+"),
# nothing to read on standard input, one locale, no terminal size.
unset COLUMNS LINES
export TERM=dumb LC_ALL=C.UTF-8
exec < /dev/null

if [ -z "$contido" ]; then
    # shellcheck disable=SC2086 # the options are words
    setsid -w clitest $opcoes "$raiz/roteiro"
    exit
fi

processos=${AULAS_PROCESSOS:-200}
como=
if [ "$(id -u)" = 0 ]; then
    # An id no other run holds at the same time: the last step kills every
    # process of it. Claimed by making a folder, which only one run can do,
    # and only while no process has it: where nothing reaps orphans, a zombie
    # of an earlier run would still count against the process limit.
    usuario=$((60000 + $$ % 5000))
    until [ -z "$(find /proc -maxdepth 1 -name '[0-9]*' -user "$usuario" 2> /dev/null)" ] &&
        mkdir "/tmp/aulas-usuario-$usuario" 2> /dev/null; do
        usuario=$((60000 + (usuario - 59999) % 5000))
    done
    trap 'rm -rf "$raiz" "/tmp/aulas-usuario-$usuario"' EXIT
    chown -R "$usuario:$usuario" "$raiz"
    como="setpriv --reuid=$usuario --regid=$usuario --clear-groups"
else
    # The limit counts every process and thread of the user, the desktop's
    # included: allow that many more.
    usuario=$(id -u)
    ja=$(find /proc/[0-9]*/task -mindepth 1 -maxdepth 1 -user "$usuario" 2> /dev/null | wc -l)
    processos=$((ja + processos))
fi

# A session of its own: its first process writes its id, which is also the id
# of the group that everything it starts belongs to.
status=0
# shellcheck disable=SC2086
HOME=$raiz timeout -s KILL "${AULAS_TEMPO:-120}" \
    setsid sh -c 'echo $$ > "$0"/grupo; exec "$@"' "$raiz" \
    prlimit --nproc="$processos" --fsize=200000000 \
    $como clitest $opcoes "$raiz/roteiro" || status=$?

# Is anything of the run still alive? Its group, or, as root, its user id.
# Zombies don't count: where nothing reaps orphans they stay for good.
resta() {
    if [ -n "$grupo" ] && sed -n 's/.*) [^Z] [0-9]* \([0-9]*\) .*/\1/p' /proc/[0-9]*/stat 2> /dev/null |
        grep -qx "$grupo"; then
        return 0
    fi
    [ -n "$como" ] || return 1
    for processo in $(find /proc -maxdepth 1 -name '[0-9]*' -user "$usuario" 2> /dev/null); do
        if sed -n 's/.*) [^Z] .*/vivo/p' "$processo/stat" 2> /dev/null | grep -q vivo; then
            return 0
        fi
    done
    return 1
}

# What is left: stopped first, as a loop of forks would make new processes
# while the old ones are killed, then killed; again until nothing is left.
grupo=$(cat "$raiz/grupo" 2> /dev/null || true)
for volta in $(seq 50); do
    resta || break
    [ -z "$grupo" ] || { kill -STOP -"$grupo" && kill -KILL -"$grupo"; } 2> /dev/null || true
    # shellcheck disable=SC2086
    [ -z "$como" ] || $como sh -c 'kill -STOP -1; kill -KILL -1' 2> /dev/null || true
    sleep 0.05
done
if [ "$status" = 137 ]; then
    echo "tempo esgotado: ${AULAS_TEMPO:-120} s se passaram e os comandos ainda não tinham terminado"
fi
exit "$status"
