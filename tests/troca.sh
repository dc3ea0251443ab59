#!/bin/sh
# Applies one named variant of a changes file to a source file: how a wrong
# solution is made from a reference solution, and a broken copy from a lesson
# program. A changes file holds variants; each starts with "@@ name", may
# say with "?? text" what its failure must show, and holds blocks of
#   <<<<<<<
#   text that must appear exactly once in the source
#   =======
#   text that takes its place
#   >>>>>>>
# Other lines outside blocks are comments.
#   troca.sh CHANGES              lists the variants, one per line
#   troca.sh CHANGES NAME         prints the text its failure must show
#   troca.sh CHANGES NAME SOURCE OUTPUT
# CHANGES may be - (standard input), and OUTPUT - (standard output): a broken
# copy goes from its encoded form to the compiler through pipes alone.
set -eu
trocas=$1
nome=${2:-}
fonte=${3:-}
saida=${4:-}
[ -n "$fonte" ] || fonte=/dev/null

awk -v nome="$nome" -v escrever="$saida" -v trocas="$trocas" '
FNR == 1 { arquivo++ }
arquivo == 1 {
    if (bloco == "" && /^@@ /) { atual = substr($0, 4); if (nome == "") print atual; next }
    if (bloco == "" && /^\?\? / && atual == nome) { mostra = substr($0, 4); next }
    if (atual != nome) next
    if ($0 == "<<<<<<<") { bloco = "velho"; n++; velho[n] = ""; novo[n] = ""; nv = 0; nn = 0; next }
    if ($0 == "=======" && bloco == "velho") { bloco = "novo"; next }
    if ($0 == ">>>>>>>" && bloco == "novo") { bloco = ""; next }
    if (bloco == "velho") { velho[n] = velho[n] (nv++ ? "\n" : "") $0 }
    if (bloco == "novo") { novo[n] = novo[n] (nn++ ? "\n" : "") $0 }
    next
}
{ texto = texto (linhas++ ? "\n" : "") $0 }
END {
    if (nome == "") exit 0
    if (n == 0) { print trocas ": no variant \"" nome "\" with a change in it"; exit 2 }
    if (escrever == "") { print mostra; exit 0 }
    for (i = 1; i <= n; i++) {
        achou = 0; resto = texto
        while ((p = index(resto, velho[i])) > 0) { achou++; resto = substr(resto, p + 1) }
        if (achou != 1) {
            print trocas ": variant \"" nome "\", change " i ": the text to replace is found " \
                  achou " times, not once; has the source changed?\n" velho[i]
            exit 2
        }
        p = index(texto, velho[i])
        texto = substr(texto, 1, p - 1) novo[i] substr(texto, p + length(velho[i]))
    }
    if (escrever == "-") print texto; else print texto > escrever
}
' "$trocas" "$fonte"
