#!/bin/sh
# Proves one exercise's check: it passes on the reference solution, and fails
# on the untouched starting file and on every wrong solution (a variant of
# the reference in the changes file; see troca.sh), each failure showing
# what the variant says it must (the line that names the file it compiled,
# and so the variant, does not count).
#   prova.sh NAME STARTER SOLUTION WRONG CHECK BIN OUTDIR COMPILER [FLAG...]
set -eu
nome=$1
inicial=$2
solucao=$3
erradas=$4
roteiro=$5
bin=$6
saida=$7
shift 7
aqui=$(dirname "$0")
testes=$aqui/../tests
mkdir -p "$saida"
log=$saida/$nome.log
falhas=0

cc="$*" # the compiler and its flags: words without blanks

# checa WHAT SOURCE PASS|FAIL [TEXT]: runs the check and compares the verdict.
checa() {
    # shellcheck disable=SC2086
    if sh "$testes/exercicio.sh" "$nome" "$2" "$roteiro" "$bin" "$saida" $cc > "$log" 2>&1; then
        veredito=PASS
    else
        veredito=FAIL
    fi
    if [ "$veredito" != "$3" ]; then
        echo "$nome, $1: expected $3, got $veredito"
        cat "$log"
        falhas=$((falhas + 1))
    elif [ -n "${4:-}" ] && ! grep -v "^$nome: compilando " "$log" | grep -qF -- "$4"; then
        echo "$nome, $1: failed, but not showing \"$4\""
        cat "$log"
        falhas=$((falhas + 1))
    else
        echo "$nome, $1: $veredito, as it must"
    fi
}

checa "reference solution" "$solucao" PASS
checa "starting file" "$inicial" FAIL
if [ -f "$erradas" ]; then
    for errada in $(sh "$testes/troca.sh" "$erradas"); do
        fonte=$saida/$nome-$errada.cpp
        sh "$testes/troca.sh" "$erradas" "$errada" "$solucao" "$fonte"
        checa "wrong solution $errada" "$fonte" FAIL "$(sh "$testes/troca.sh" "$erradas" "$errada")"
    done
fi
exit $((falhas > 0))
