#!/bin/sh
# Runs a program built with ThreadSanitizer or AddressSanitizer as if it ran
# directly: the same standard input and output, its status, its standard error
# passed through. Where the kernel randomises more address bits than these
# runtimes can lay their memory out around (vm.mmap_rnd_bits = 32 on recent
# Ubuntu kernels), the runtime fails before main: "unexpected memory mapping"
# and status 66, the very status of a data race, or AddressSanitizer looping
# on DEADLYSIGNAL. Such a run is retried once with address randomisation off
# for that program alone (setarch -R: no privilege needed, and whatever the
# program starts inherits it). Above 28 bits it goes straight there: the
# AddressSanitizer failure comes only now and then, so a program that started
# well may still start others that fail. Where turning randomisation off is
# refused too (a container's seccomp profile), the status is 71 and a message
# on standard error says what to change: never the status of a race.
# Standard error is read on its way for those failures: its first line (two,
# for DEADLYSIGNAL) passes once it is whole, the rest as it comes.
#   tests/sanitizado.sh COMMAND [ARG...]
set -u
if [ $# = 0 ]; then
    echo "usage: tests/sanitizado.sh COMMAND [ARG...]" >&2
    exit 2
fi

case ${LANG:-} in
    en*) ingles=1 ;;
    *) ingles= ;;
esac
# diz PORTUGUESE ENGLISH: one message, in the student's language.
diz() {
    if [ -n "$ingles" ]; then printf '%s\n' "$2" >&2; else printf '%s\n' "$1" >&2; fi
}

arquitetura=$(uname -m)
bits=$(cat /proc/sys/vm/mmap_rnd_bits 2> /dev/null || true)
# Off already, for this process and so for what it starts (ADDR_NO_RANDOMIZE).
sem_sorteio() {
    p=$(cat /proc/self/personality 2> /dev/null) || return 1
    [ $((0x$p & 0x40000)) != 0 ]
}
pode_desligar() {
    command -v setarch > /dev/null && setarch "$arquitetura" -R true > /dev/null 2>&1
}

tmp=$(mktemp -d "${TMPDIR:-/tmp}/sanitizado.XXXXXX") || exit 71
trap 'rm -rf "$tmp"' EXIT
# A signal meant for the program (Ctrl+C, timeout's TERM to the group) must
# not end this script first: it waits, then reports the program's status.
trap : INT TERM HUP

# What marks a runtime that could not start is in the first lines it writes:
# a mapping error, or the loop AddressSanitizer never leaves, whose program is
# then ended (it has run none of its own code). Those lines are kept back, as
# the run that wrote them does not count; all else passes through as it comes.
filtro() {
    if ! IFS= read -r um; then
        printf '%s' "$um"
        exit
    fi
    case $um in
        *"ThreadSanitizer: unexpected memory mapping"* | *"Shadow memory range interleaves with an existing memory mapping"*)
            : > "$tmp/falhou"
            printf '%s\n' "$um" > "$tmp/erros"
            exec cat >> "$tmp/erros"
            ;;
        AddressSanitizer:DEADLYSIGNAL)
            if ! IFS= read -r dois; then
                printf '%s\n%s' "$um" "$dois"
                exit
            fi
            if [ "$dois" = "$um" ]; then
                : > "$tmp/falhou"
                printf '%s\n' "$um" > "$tmp/erros"
                kill -KILL "$(cat "$tmp/pid")" 2> /dev/null
                exec cat > /dev/null
            fi
            printf '%s\n%s\n' "$um" "$dois"
            ;;
        *) printf '%s\n' "$um" ;;
    esac
    exec cat
}

# tenta COMMAND [ARG...]: runs it, its standard error through the filter;
# sets status, and leaves $tmp/falhou if the runtime could not start.
tenta() {
    rm -f "$tmp/falhou" "$tmp/status" "$tmp/pid" "$tmp/erros"
    {
        {
            sh -c 'echo $$ > "$1"; shift; exec "$@"' sanitizado.sh "$tmp/pid" "$@" 2>&1 1>&3 3>&-
            echo $? > "$tmp/status"
        } 2> /dev/null | (trap '' INT TERM HUP; filtro) >&2
    } 3>&1
    status=$(cat "$tmp/status" 2> /dev/null || echo 1)
}
falhou() {
    [ -e "$tmp/falhou" ] && [ "$status" != 0 ]
}

desligado=
if sem_sorteio; then
    desligado=1
    tenta "$@"
elif [ "${bits:-0}" -gt 28 ] && pode_desligar; then
    desligado=1
    tenta setarch "$arquitetura" -R "$@"
else
    tenta "$@"
fi
if falhou && [ -z "$desligado" ] && pode_desligar; then
    desligado=1
    tenta setarch "$arquitetura" -R "$@"
fi
falhou || exit "$status"
cat "$tmp/erros" >&2

if [ -z "$desligado" ]; then
    diz "sanitizado.sh: o sanitizador não consegue começar nesta máquina, e o programa não tem culpa disso. O kernel sorteia ${bits:-muitos} bits dos endereços (vm.mmap_rnd_bits), mais do que o sanitizador aguenta, e este ambiente proíbe desligar o sorteio para um programa (a chamada personality, que o setarch -R usa). Há dois jeitos de resolver:
  - liberar a chamada personality: abra o contêiner do curso pelo .devcontainer, que já vem com seccomp=unconfined, ou acrescente --security-opt seccomp=unconfined ao docker run;
  - diminuir o sorteio, como administrador da máquina que roda o kernel (no Docker Desktop e no WSL, a máquina virtual deles): sudo sysctl -w vm.mmap_rnd_bits=28
Depois rode ./diagnostico.sh, na raiz do repositório, para conferir." \
        "sanitizado.sh: the sanitizer cannot start on this machine, and the program is not to blame. The kernel randomises ${bits:-too many} bits of addresses (vm.mmap_rnd_bits), more than the sanitizer can take, and this environment forbids turning randomisation off for one program (the personality call, which setarch -R makes). Either fix works:
  - allow the personality call: open the course's container through .devcontainer, which comes with seccomp=unconfined, or add --security-opt seccomp=unconfined to docker run;
  - randomise less, as administrator of the machine that runs the kernel (with Docker Desktop and WSL, their virtual machine): sudo sysctl -w vm.mmap_rnd_bits=28
Then run ./diagnostico.sh, from the root of the repository, to check."
else
    diz "sanitizado.sh: o sanitizador não consegue começar nesta máquina, nem com o sorteio de endereços desligado, e o programa não tem culpa disso. Rode ./diagnostico.sh, na raiz do repositório, para ver o que falta." \
        "sanitizado.sh: the sanitizer cannot start on this machine, even with address randomisation off, and the program is not to blame. Run ./diagnostico.sh, from the root of the repository, to see what is missing."
fi
exit 71
