#!/usr/bin/env bash
# How long the grader takes for one student: one who solved everything, alone
# and beside two busy processes, and one whose programs all hang (each
# exercise a program that never ends, each hunt a transcript that never
# ends). It prints the times; it judges nothing (a machine's speed is no test).
#   professor/mede-correcao.sh      (as root)
set -euo pipefail
cd "$(dirname "$0")/.."
raiz=$PWD
[ "$(id -u)" = 0 ] || { echo "mede-correcao.sh must run as root, as the grader does"; exit 1; }
tmp=$(mktemp -d)
ocupados=
trap 'rm -rf "$tmp"; [ -z "$ocupados" ] || kill $ocupados' EXIT

sh professor/resolvido.sh "$raiz" "$tmp/r" > /dev/null
mkdir -p "$tmp/um/completo" "$tmp/dois/completo" "$tmp/parado/parado"
cp -r "$tmp/r/material" "$tmp/um/completo/"
cp -r "$tmp/r/material" "$tmp/dois/completo/"
python3 - "$raiz" "$tmp/parado/parado" << 'FIM'
import sys
sys.path.insert(0, sys.argv[1] + "/professor/correcao")
import curso
c = curso.Curso(sys.argv[1])
for i in c.itens:
    if i.caca:
        open(f"{sys.argv[2]}/{i.nome}.md", "w").write("$ sleep 100000\n$\n")
    else:
        open(f"{sys.argv[2]}/{i.nome}.cpp", "w").write("#include <unistd.h>\nint main() { for (;;) pause(); }\n")
FIM

# The course is built and the grader proven once (kept in the grader's cache),
# before anything is timed: a student with no files, graded at once.
mkdir -p "$tmp/vazio/vazio"
professor/corrige.sh "$tmp/vazio" "$tmp/saida0" > /dev/null
mede() { # WHAT ENTREGAS
    rm -rf "$tmp/saida"
    local inicio=$SECONDS
    professor/corrige.sh "$2" "$tmp/saida" > /dev/null
    printf '%-55s %4d s  (%s)\n' "$1" $((SECONDS - inicio)) "$(tail -n 1 "$tmp/saida/notas.csv" | awk -F';' '{ print $NF }')"
}
mede "one student who solved everything, alone" "$tmp/um"
yes > /dev/null & ocupados="$ocupados $!"
yes > /dev/null & ocupados="$ocupados $!"
mede "the same, beside two busy processes" "$tmp/dois"
kill $ocupados && ocupados=
mede "one student whose programs all hang" "$tmp/parado"
echo "(on $(nproc) cores; a class of N takes about N times the first line; -j pays with 2 cores per student)"
