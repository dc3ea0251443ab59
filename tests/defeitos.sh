#!/bin/sh
# The bug hunt of one lesson: builds each broken copy of its programs (a
# variant in the lesson's encoded changes, see troca.sh and the .copias files,
# named PROGRAM-N), runs the transcripts first on the right programs, then on
# the programs with one copy in place of its program, and tells for each copy
# whether some transcript caught it ("pego") or none did ("escapou"). A
# transcript that fails on the right programs is named and left out. The
# status is 0 only when every copy was caught and every transcript holds on
# the right ones. A copy's source goes from its encoded form to the compiler
# through pipes: only its binary is ever written.
#   defeitos.sh LESSON TRANSCRIPTS COPIES SOURCES BIN OUTDIR COMPILER [FLAG...]
set -eu
licao=$1
roteiro=$2
codificadas=$3
fontes=$4
bin=$5
saida=$6
shift 6
aqui=$(dirname "$0")
mkdir -p "$saida"

trocas() {
    sed '/^#/d' "$codificadas" | base64 -d | gzip -dc | sh "$aqui/troca.sh" - "$@"
}
copias=$(trocas)
for copia in $copias; do
    programa=${copia%-*}
    mkdir -p "$saida/$copia"
    rm -f "$saida/$copia/$programa" "$saida/$copia/$programa.cpp"
    trocas "$copia" "$fontes/$programa.cpp" - | "$@" -x c++ - -o "$saida/$copia/$programa"
done

echo "Caça aos defeitos, aula $licao: $roteiro"
total=$(clitest --list "$roteiro" 2> /dev/null | grep -c '^#' || true)
ruins=
if [ "$total" -gt 0 ]; then
    inicio=$(date +%s)
    certos=0
    sh "$aqui/roteiro.sh" -c "$bin" "$roteiro" > "$saida/$licao.log" 2>&1 || certos=$?
    gasto=$(($(date +%s) - inicio))
    ruins=$(sed -n 's/^\[FAILED #\([0-9]*\),.*/\1/p' "$saida/$licao.log" | paste -sd, -)
    # Ended neither passing nor failing (time ran out): every copy would
    # "fail" the same way, so nothing can be judged.
    if [ "$certos" -gt 1 ]; then
        cat "$saida/$licao.log"
        echo "As transcrições não terminaram com os programas certos; nenhuma cópia pode ser julgada."
        total=0
    fi
fi
if [ -n "$ruins" ]; then
    cat "$saida/$licao.log"
    echo "Estas transcrições falham com os programas certos e não contam: #$ruins."
    echo "Confira a saída esperada (acima, - é o esperado, + o que veio)."
fi
validas=$((total - $(echo "$ruins" | tr , '\n' | grep -c . || true)))
echo "Transcrições que valem: $validas de $total."

pegos=0
for copia in $copias; do
    veredito=escapou
    if [ "$validas" -gt 0 ]; then
        # Twice what the right programs took, and some: a copy that hangs
        # is caught when time runs out.
        pular=
        [ -z "$ruins" ] || pular="--skip $ruins"
        if ! AULAS_TEMPO=$((2 * gasto + 15)) sh "$aqui/roteiro.sh" -c -o "--first $pular" \
            "$bin" "$roteiro" "$saida/$copia/${copia%-*}" > "$saida/$copia.log" 2>&1; then
            veredito=pego
            pegos=$((pegos + 1))
        fi
    fi
    printf '  %-24s %s\n' "$copia" "$veredito"
done
numero=$(echo "$copias" | wc -w)
echo "Pegos: $pegos de $numero."
[ "$pegos" = "$numero" ] && [ -z "$ruins" ]
