#!/bin/sh
# The bug hunt of one lesson: builds each copy with a defect of its programs
# (a variant in the lesson's encoded changes, see troca.sh and the .copias
# files, named PROGRAM-N), runs the transcripts first on the right programs,
# then on the programs with one copy in place of its program, and prints a
# table: for each copy, the transcript that caught it ("pego", with clitest's
# number #N of the first command that failed on the copy, and its line) or
# "escapou" when none did. A transcript that fails on the right programs is
# named and left out. The status is 0 only when every copy was caught and
# every transcript holds on the right ones. A copy's source goes from its
# encoded form to the compiler through pipes: only its binary is ever written.
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
relatorio=$saida/$licao.relatorio
: > "$relatorio"
diz() {
    printf '%s\n' "$@" >> "$relatorio"
}

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

# The student's own file, named from the root of the repository.
case $roteiro in
    "$fontes"/*) mostra=material/aulas/$licao/${roteiro#"$fontes"/} ;;
    *) mostra=$roteiro ;;
esac
diz "Caça aos defeitos da aula $licao, com as transcrições de $mostra"
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
        cat "$saida/$licao.log" >> "$relatorio"
        diz "As transcrições não terminaram com os programas certos; nenhuma cópia pode ser julgada."
        total=0
    fi
fi
if [ -n "$ruins" ]; then
    cat "$saida/$licao.log" >> "$relatorio"
    diz "Estas transcrições falham com os programas certos e não contam: #$(echo "$ruins" | sed 's/,/, #/g')." \
        "Confira a saída esperada (acima, - é o esperado, + o que veio)."
fi
validas=$((total - $(echo "$ruins" | tr , '\n' | grep -c . || true)))
diz "Transcrições que valem: $validas de $total (cada comando conta, numerado na ordem do arquivo: #1, #2...)." ""

pegos=0
for copia in $copias; do
    veredito=escapou
    if [ "$validas" -gt 0 ]; then
        # Twice what the right programs took, and some: a copy that hangs
        # is caught when time runs out.
        pular=
        [ -z "$ruins" ] || pular="--skip $ruins"
        pegou=0
        AULAS_TEMPO=$((2 * gasto + 15)) sh "$aqui/roteiro.sh" -c -o "--first $pular" \
            "$bin" "$roteiro" "$saida/$copia/${copia%-*}" > "$saida/$copia.log" 2>&1 || pegou=$?
        if [ "$pegou" != 0 ]; then
            pegos=$((pegos + 1))
            # clitest stops at the first command that fails: "[FAILED #N, line L]".
            quem=$(sed -n 's/^\[FAILED #\([0-9]*\), line \([0-9]*\)\].*/#\1 (linha \2)/p' "$saida/$copia.log" |
                head -n 1)
            if [ -n "$quem" ]; then
                veredito="pego por $quem"
            else
                veredito="pego: com ela, as transcrições não terminaram a tempo"
            fi
        fi
    fi
    diz "$(printf '  %-24s %s' "$copia" "$veredito")"
done
numero=$(echo "$copias" | wc -w)
diz "" "Pegos: $pegos de $numero."

# CTest shows a test's output only when it fails (outputOnFailure): so that
# the table shows when the hunt passes too, it then goes where CTest writes,
# a terminal or a pipe (never a file, which a second writer would spoil).
# Run by hand, or where CTest writes to a file, it goes to standard output.
passou=0
[ "$pegos" = "$numero" ] && [ -z "$ruins" ] || passou=1
ctest=/proc/$PPID/fd/1
if [ "$passou" = 0 ] && [ "$(cat "/proc/$PPID/comm" 2> /dev/null)" = ctest ] &&
    { [ -p "$ctest" ] || [ -c "$ctest" ]; } && [ -w "$ctest" ]; then
    { echo; cat "$relatorio"; } > "$relatorio.tela"
    cat "$relatorio.tela" >> "$ctest" # one write: tests that end together do not mix

else
    cat "$relatorio"
fi
exit "$passou"
