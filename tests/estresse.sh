#!/bin/sh
# Runs the notes files again and again, several at once, beside two CPU-bound
# processes (yes > /dev/null), as on a student's laptop with other work going
# on. A transcript that reads what a process writes before that process has
# ended (a child that outlives its parent, a background job, a fixed sleep)
# fails here now and then. Each file that starts background processes runs
# 30 times, every other file at least 3 times; when that makes fewer than
# TOTAL runs, the other files share the rest.
# From the root of the repository:
#   tests/estresse.sh [TOTAL [AT_ONCE]]   (at least 300 runs, 4 at once by default)
# Each failure's whole output is kept in a file under build/estresse, which
# the failure's line names; at the end, the runs and failures of each file
# and the time taken. The status is 0 only when no run failed.
set -eu
cd "$(dirname "$0")/.."
total=${1:-300}
juntos=${2:-4}
inicio=$(date +%s)

cmake --preset default > /dev/null
cmake --build --preset default > /dev/null
saida=build/estresse
rm -rf "$saida"
mkdir -p "$saida"

# A file starts background processes when one of its commands has an & on
# its own, with a blank before it and a blank or the line's end after it: not
# &&, nor a redirection such as 2>&1, nor sed's & or an arithmetic one.
em_fundo() {
    grep '^\$ ' "$1" | sed 's/&&//g; s/\$(([^)]*))//g' | grep -qE '[[:space:]]&([[:space:]]|$)'
}

arquivos=$(ls material/aulas/*.md material/aulas/*/README.md material/aulas/*/README.en.md)
fundo=0
outros=0
for arquivo in $arquivos; do
    if em_fundo "$arquivo"; then fundo=$((fundo + 1)); else outros=$((outros + 1)); fi
done
resto=$((total - 30 * fundo - 3 * outros))
[ "$resto" -gt 0 ] || resto=0
extra=0
[ "$outros" = 0 ] || extra=$((resto / outros))

# The runs, file by file in turn, so that different files run side by side.
lista=$saida/lista
: > "$lista"
for arquivo in $arquivos; do
    vezes=$((3 + extra))
    ! em_fundo "$arquivo" || vezes=30
    echo "$arquivo $vezes"
done > "$saida/vezes"
maximo=$(cut -d' ' -f2 "$saida/vezes" | sort -n | tail -1)
for volta in $(seq "$maximo"); do
    while read -r arquivo vezes; do
        [ "$volta" -gt "$vezes" ] || echo "$arquivo $volta" >> "$lista"
    done < "$saida/vezes"
done
corridas=$(wc -l < "$lista")
echo "== $corridas runs of $(echo "$arquivos" | wc -w) notes files, $juntos at once, beside two busy processes"

yes > /dev/null &
um=$!
yes > /dev/null &
dois=$!
trap 'kill "$um" "$dois" 2> /dev/null || true' EXIT

# One run: passed, or its output kept and named. A run that hangs is ended
# after ten minutes and counts as failed.
xargs -P "$juntos" -n 2 sh -c '
    saida=$1 arquivo=$2 volta=$3
    nome=$(echo "$arquivo" | sed "s|^material/aulas/||; s|/|.|g")
    log=$saida/$nome.$volta.log
    if timeout -s KILL 600 sh tests/roteiro.sh build/bin "$arquivo" > "$log" 2>&1; then
        rm -f "$log"
        echo "ok $arquivo" >> "$saida/resultados"
    else
        echo "falha $arquivo" >> "$saida/resultados"
        echo "FAILED: $arquivo, run $volta: its whole output is in $log"
    fi' _ "$saida" < "$lista" || true

echo "== runs and failures of each file"
while read -r arquivo vezes; do
    feitas=$(grep -c " $arquivo\$" "$saida/resultados" || true)
    falhas=$(grep -c "^falha $arquivo\$" "$saida/resultados" || true)
    printf '%-42s %4d runs %4d failed\n' "$arquivo" "$feitas" "$falhas"
done < "$saida/vezes"
feitas=$(wc -l < "$saida/resultados")
falhas=$(grep -c '^falha ' "$saida/resultados" || true)
echo "== $feitas runs, $falhas failed, in $(($(date +%s) - inicio)) s"
[ "$falhas" = 0 ] && [ "$feitas" = "$corridas" ]
