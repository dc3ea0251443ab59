#!/usr/bin/env bash
# Proves that the sanitizers work where the kernel randomises 32 address bits
# (vm.mmap_rnd_bits = 32, as on recent Ubuntu kernels and GitHub's runners),
# without root for the student: with the setting at 32, the tsan and asan
# workflows, the two ThreadSanitizer exercise checks on the course's answers,
# and the check-up pass; and where the personality call is refused as well,
# the check-up names both fixes and sanitizado.sh ends with 71, not 66.
# The setting is global: other programs on this machine see it too. So it is
# 32 for this proof alone, with everything built beforehand, and put back by
# a trap on every exit (and by a watchdog, should this script be killed).
# Where it cannot be changed (not root, /proc read-only), it says so and
# skips, with status 0.
#   professor/testa-32bits.sh      (from the root; .ci/run runs it)
set -euo pipefail
cd "$(dirname "$0")/.."
ajuste=/proc/sys/vm/mmap_rnd_bits
passo() { echo "== 32 bits: $* ($SECONDS s)"; }

if [ ! -r "$ajuste" ]; then
    echo "== 32 bits: skipped, this kernel has no $ajuste"
    exit 0
fi
antes=$(cat "$ajuste")
if [ "$(id -u)" != 0 ] || ! (echo "$antes" > "$ajuste") 2> /dev/null; then
    echo "== 32 bits: skipped, $ajuste cannot be changed here (not root, or /proc is read-only)"
    exit 0
fi
if ! (echo 32 > "$ajuste") 2> /dev/null; then
    echo "$antes" > "$ajuste"
    echo "== 32 bits: skipped, this kernel does not take 32 in $ajuste (its maximum is lower)"
    exit 0
fi
echo "$antes" > "$ajuste"

# The check-up reads the locale as a student's terminal sets it.
export LANG=C.UTF-8
unset LC_ALL
tmp=$(mktemp -d)
vigia=
restaura() {
    echo "$antes" > "$ajuste"
    [ -z "$vigia" ] || kill "$vigia" 2> /dev/null || true
    rm -rf "$tmp"
    echo "== 32 bits: vm.mmap_rnd_bits is $(cat "$ajuste") again"
}
trap restaura EXIT
trap 'exit 130' INT TERM HUP

passo "everything built at $antes bits first"
for preset in default tsan asan; do
    cmake --preset "$preset" > "$tmp/$preset.log" && cmake --build --preset "$preset" >> "$tmp/$preset.log" 2>&1 ||
        { cat "$tmp/$preset.log"; exit 1; }
done
# Relinked at 32 bits, and so listed again there: listing runs the test
# program, through sanitizado.sh as every run of it.
rm -f build-tsan/tests/teste_threads build-asan/tests/teste_12-tipos-de-dados
compilar=(g++ -std=c++20 -Wall -Wextra -Wpedantic -g -pthread)

# A watchdog that outlives a killed script: 30 minutes is three times the
# longest run this takes.
(
    trap 'kill "$dorme" 2> /dev/null; exit 0' TERM
    sleep 1800 &
    dorme=$!
    wait "$dorme" && echo "$antes" > "$ajuste"
) > /dev/null 2>&1 &
vigia=$!
echo 32 > "$ajuste"
passo "vm.mmap_rnd_bits = $(cat "$ajuste")"

passo "the check-up"
./diagnostico.sh

passo "the check-up where the personality call is refused: both fixes named"
status=0
build/tests/simula recusa-personality ./diagnostico.sh > "$tmp/recusada.log" 2>&1 || status=$?
cat "$tmp/recusada.log"
# AddressSanitizer may start now and then; the check-up fails it all the same.
for sanitizador in ThreadSanitizer AddressSanitizer; do
    linha=$(grep -A3 "^  FALHA  $sanitizador" "$tmp/recusada.log" || true)
    if [ "$status" != 1 ] || ! grep -q 'seccomp=unconfined' <<< "$linha" ||
        ! grep -q 'sudo sysctl -w vm.mmap_rnd_bits=28' <<< "$linha"; then
        echo "the check-up did not fail on $sanitizador naming both fixes (status $status)"
        exit 1
    fi
done
status=0
build/tests/simula recusa-personality tests/sanitizado.sh build-tsan/bin/soma_thread \
    > /dev/null 2> "$tmp/sanitizado.log" || status=$?
if [ "$status" != 71 ]; then
    cat "$tmp/sanitizado.log"
    echo "sanitizado.sh ended with $status, not 71, where ThreadSanitizer cannot start"
    exit 1
fi
echo "sanitizado.sh: status 71, not 66"

# Some of the lessons' tests time their programs, and fail on a machine that
# others keep busy: what failed runs once more, and must pass then (a
# sanitizer that could not start at 32 bits would fail it again).
for preset in tsan asan; do
    passo "the $preset workflow"
    if ! cmake --workflow --preset "$preset"; then
        passo "the $preset tests that failed, once more"
        ctest --preset "$preset" --rerun-failed
    fi
done

for nome in soma_paralela pingue_pongue; do
    passo "the check of $nome, on the course's answer"
    sh tests/exercicio.sh "$nome" "professor/solucoes/$nome.cpp" "tests/exercicios/$nome.txt" \
        build/bin "$tmp/exercicios" "${compilar[@]}"
done

passo "passed"
