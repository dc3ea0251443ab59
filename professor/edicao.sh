#!/bin/sh
# Writes the student edition of the course: a new git repository with one
# commit, made from this repository's last commit, without the teacher's side
# (this folder, the CI, the maintainer's scripts), with the student's front
# page, the broken copies encoded and GitHub Classroom's workflow.
#   professor/edicao.sh DEST      (from the root of the repository)
set -eu
[ $# = 1 ] || { echo "uso: professor/edicao.sh DESTINO"; exit 2; }
destino=$1
if [ -e "$destino" ] && [ -n "$(ls -A "$destino")" ]; then
    echo "$destino já existe e não está vazio: escolha uma pasta nova."
    exit 1
fi
if ! git diff --quiet HEAD --; then
    echo "Há mudanças não commitadas em arquivos do repositório; a edição sai do último commit."
    echo "Faça o commit delas (ou desfaça-as) e rode de novo."
    exit 1
fi

mkdir -p "$destino"
destino=$(cd "$destino" && pwd)
nome=$(git config user.name || echo Curso)
email=$(git config user.email || echo curso@localhost)
arvore=$(mktemp -d)
trap 'rm -rf "$arvore"' EXIT
git archive HEAD | tar -xf - -C "$arvore"
cd "$arvore"
mkdir -p tests/defeitos .github/workflows
for trocas in professor/defeitos/*.trocas; do
    sh professor/codifica.sh "$trocas" > "tests/defeitos/$(basename "$trocas" .trocas).copias"
done
sh professor/classroom.sh > .github/workflows/classroom.yml
# The front pages keep their student's part only; the presets, those that
# need no answers.
for pagina in README.md README.en.md; do
    sed -i '/^<!-- professor -->$/,/^<!-- \/professor -->$/d' "$pagina"
done
python3 professor/presets.py CMakePresets.json
rm -rf professor .ci tests/carga.sh

cp -a . "$destino"
cd "$destino"
git init -q -b main
git add -A
git -c user.name="$nome" -c user.email="$email" commit -qm "Programação de sistemas no Linux: edição do aluno"
echo "Edição do aluno em $destino: $(git ls-files | wc -l) arquivos, um commit."
