#!/bin/sh
# Makes a copy of the course into what a student who solved everything has:
# each exercise's reference solution in place of its starting file, and each
# lesson's hunt transcripts in place of its defeitos.md.
#   resolvido.sh SOURCE DEST     (DEST must not exist; the build is left out)
set -eu
fonte=$(cd "$1" && pwd)
destino=$2
aqui=$(cd "$(dirname "$0")" && pwd)
mkdir "$destino"
(cd "$fonte" && tar -cf - --exclude='./build*' .) | (cd "$destino" && tar -xf -)
for pasta in "$destino"/material/aulas/*/exercicios; do
    licao=$(basename "$(dirname "$pasta")")
    for inicial in "$pasta"/*.cpp; do
        cp "$aqui/solucoes/$(basename "$inicial")" "$inicial"
    done
    cp "$aqui/solucoes/defeitos-$licao.md" "$pasta/defeitos.md"
done
