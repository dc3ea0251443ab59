#!/usr/bin/env bash
# Grades a small class with one command and checks every grade, feedback and
# defence: a student who solved everything (210), one who solved nothing (0,
# with feedback for every exercise), one half-way with partial points, one
# whose file does not compile, one whose files are missing, links or too big,
# and one student per hostile submission in hostis/ (each a single file, so
# that it scores at once). Then grades the class again: nothing changed, so
# nothing is graded twice.
#   professor/testa-correcao.sh      (as root; .ci/run runs it)
# GRADESCOPE=1 builds the class only, into $CLASSE, for testa-gradescope.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
raiz=$PWD
prof=$raiz/professor

monta_turma() { # ENTREGAS
    local e=$1 t
    mkdir -p "$e"
    # Everything solved, as a clone of the student edition.
    sh "$prof/resolvido.sh" "$raiz" "$e/.completo" > /dev/null
    mkdir "$e/completo"
    mv "$e/.completo/material" "$e/completo/" && rm -rf "$e/.completo"
    # Nothing solved: the edition as it comes.
    mkdir "$e/nada" && cp -r "$raiz/material" "$e/nada/"
    # Half-way, as a flat folder: two exercises right, one with a leak only
    # valgrind sees, one with DESTINO never truncated, the rest missing; one
    # hunt caught whole, another by its first two transcripts only.
    mkdir "$e/metade"
    cp "$prof/solucoes/bytes_int.cpp" "$prof/solucoes/executa.cpp" "$e/metade/"
    sh tests/troca.sh "$prof/solucoes/inverte.erros" nunca-liberado "$prof/solucoes/inverte.cpp" "$e/metade/inverte.cpp"
    sh tests/troca.sh "$prof/solucoes/copia.erros" sem-o-trunc "$prof/solucoes/copia.cpp" "$e/metade/copia.cpp"
    cp "$prof/solucoes/defeitos-12-tipos-de-dados.md" "$e/metade/"
    awk '/^\$ / { n++ } n > 2 { exit } { print }' "$prof/solucoes/defeitos-sinais.md" > "$e/metade/defeitos-sinais.md"
    echo '$' >> "$e/metade/defeitos-sinais.md"
    # A file that does not compile.
    mkdir "$e/nao-compila"
    sed 's/return 0;/return 0/' "$prof/solucoes/inverte.cpp" > "$e/nao-compila/inverte.cpp"
    # Files missing, a link, a file too big, a fifo, a folder where a file goes.
    mkdir "$e/estranho" "$e/.guardado"
    cp "$prof/solucoes/inverte.cpp" "$e/.guardado/"
    ln -s ../.guardado/inverte.cpp "$e/estranho/inverte.cpp"
    { cat "$prof/solucoes/bytes_int.cpp"; head -c 300000 /dev/zero | tr '\0' '/'; } > "$e/estranho/bytes_int.cpp"
    mkfifo "$e/estranho/copia.cpp"
    mkdir "$e/estranho/anexa.cpp"
    # One student per hostile submission, told where everything is.
    for h in "$prof"/hostis/*; do
        t=$(basename "$h")
        mkdir "$e/hostil-${t%.*}"
        sed -e "s|@RAIZ@|${ALVO_RAIZ:-$raiz}|g" -e "s|@SAIDA@|$SAIDA|g" -e "s|@ENTREGAS@|${ALVO_ENTREGAS:-$e}|g" \
            -e "s|@MD5@|$(md5sum < build/bin/texto_heap)|" \
            -e "s|@LS@|$(stat -c %s build/bin/texto_heap) 1767225600 texto_heap|" \
            -e "s|@ENV@|?|" "$h" > "$e/hostil-${t%.*}/${t%%-*}.${t##*.}"
    done
    # A hunt template in a hostile folder keeps its lesson in its name.
    mv "$e/hostil-defeitos-12-tipos-de-dados-distingue/defeitos.md" \
       "$e/hostil-defeitos-12-tipos-de-dados-distingue/defeitos-12-tipos-de-dados.md"
}

[ "$(id -u)" = 0 ] || { echo "testa-correcao.sh must run as root, as the grader does"; exit 1; }
tmp=$(mktemp -d)
trap 'echo "kept for a look: $tmp"' EXIT
SAIDA=$tmp/saida
[ -x build/bin/texto_heap ] || { cmake --preset default > /dev/null && cmake --build --preset default > /dev/null; }
if [ -n "${GRADESCOPE:-}" ]; then
    SAIDA=/autograder/results
    monta_turma "$CLASSE"
    trap - EXIT
    rm -rf "$tmp"
    exit 0
fi
monta_turma "$tmp/entregas"
antes=$(cd "$tmp/entregas" && find . -exec stat -c '%n %s %Y %a' {} + | sort | md5sum)
repositorio=$(git status --porcelain --ignored=no | md5sum)

echo "== the class, graded ($SECONDS s)"
"$prof/corrige.sh" -j 2 --rol <(printf 'completo;Ana Completa\nnada;Nádia Nada\n') "$tmp/entregas" "$SAIDA"
echo "== the grades, the feedback and the defences ($SECONDS s)"
python3 "$prof/correcao/confere_turma.py" "$raiz" "$tmp/entregas" "$SAIDA"
[ "$(cd "$tmp/entregas" && find . -exec stat -c '%n %s %Y %a' {} + | sort | md5sum)" = "$antes" ] ||
    { echo "a submission changed"; exit 1; }
[ "$(git status --porcelain --ignored=no | md5sum)" = "$repositorio" ] || { echo "the repository changed"; exit 1; }

echo "== graded again: nothing changed, nothing graded ($SECONDS s)"
inicio=$SECONDS
"$prof/corrige.sh" -j 2 "$tmp/entregas" "$SAIDA" > "$tmp/segunda.log"
cat "$tmp/segunda.log"
[ "$(grep -c 'sem mudanças' "$tmp/segunda.log")" = "$(ls "$tmp/entregas" | wc -l)" ]
[ $((SECONDS - inicio)) -lt 60 ] || { echo "the second run took $((SECONDS - inicio)) s"; exit 1; }
trap - EXIT
rm -rf "$tmp"
echo "== passed ($SECONDS s)"
