#!/bin/sh
# Checks one exercise as the student wrote it: compiles the file again (a
# stale build is never checked), then runs the exercise's check transcript
# beside the course's programs, contained, stopping at the first command
# whose output is not what was expected.
#   exercicio.sh NAME SOURCE CHECK BIN OUTDIR COMPILER [FLAG...]
# A check that runs ./NAME-tsan gets a ThreadSanitizer build as well, and
# ./sanitizado.sh beside it to run it with: see sanitizado.sh.
set -eu
nome=$1
fonte=$2
roteiro=$3
bin=$4
saida=$5
shift 5
aqui=$(dirname "$0")

mkdir -p "$saida"
rm -f "$saida/$nome" "$saida/$nome-tsan"
echo "$nome: compilando $fonte"
if ! "$@" "$fonte" -o "$saida/$nome"; then
    echo "$nome: não compila; corrija os erros acima."
    exit 1
fi
programas=$saida/$nome
if grep -q -- "$nome-tsan" "$roteiro"; then
    "$@" -O1 -fsanitize=thread "$fonte" -o "$saida/$nome-tsan"
    programas="$programas $saida/$nome-tsan $aqui/sanitizado.sh"
fi

# shellcheck disable=SC2086 # a few paths, none with a blank
if sh "$aqui/roteiro.sh" -c -o --first "$bin" "$roteiro" $programas; then
    echo "$nome: passou em todos os casos."
    exit 0
fi
cat << FIM

$nome: ainda não. Acima está o primeiro comando que falhou, com a dica depois
de "# dica:". Nas linhas que começam com - está o que se esperava; nas que
começam com +, o que o seu programa fez. Os comandos rodam numa pasta
temporária onde ./$nome está ao lado dos programas das aulas.
FIM
exit 1
