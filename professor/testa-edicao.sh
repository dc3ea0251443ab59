#!/usr/bin/env bash
# Proves the student edition: writes it from the last commit into a scratch
# folder and checks, in a fresh clone of it, that it holds none of the
# teacher's answers (nor does its build after a hunt), that the student's
# front page and presets work there alone, that every check and hunt fails
# on the untouched edition and passes with the course's answers dropped in,
# and that the Classroom workflow runs exactly those commands.
#   professor/testa-edicao.sh      (from the root; .ci/run runs it)
set -euo pipefail
cd "$(dirname "$0")/.."
completo=$PWD
py=python3
$py -c 'import yaml' 2> /dev/null || py=/usr/bin/python3
$py -c 'import yaml' || { echo "python3-yaml is missing: apt-get install python3-yaml"; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
passo() { echo "== edition: $* ($SECONDS s)"; }

passo "written and cloned"
sh professor/edicao.sh "$tmp/edicao"
git clone -q "$tmp/edicao" "$tmp/aluno"
cd "$tmp/aluno"
[ "$(git rev-list --count HEAD)" = 1 ]
for fora in professor .ci tests/carga.sh; do
    [ ! -e "$fora" ] || { echo "$fora is in the edition"; exit 1; }
done
if find . -path ./.git -prune -o -type l -print | grep -q .; then
    echo "links in the edition:"; find . -path ./.git -prune -o -type l -print; exit 1
fi
if grep -rl --exclude-dir=.git 'professor/\|ctest --preset solucoes\|carga.sh\|\.ci/' . | grep -v '^./CMakeLists.txt$'; then
    echo "the files above name the teacher's side, which the edition lacks"; exit 1
fi

passo "the leak search finds a planted answer"
mkdir "$tmp/plantado"
head -40 "$completo/professor/solucoes/inverte.cpp" > "$tmp/plantado/x.cpp"
if $py "$completo/professor/confere_edicao.py" vazamentos "$completo" "$tmp/plantado" > /dev/null 2>&1; then
    echo "the leak search did not see a reference solution"; exit 1
fi

passo "the front page's two commands"
rapido=$(sed -n '/^## Início rápido/,/^```$/p' README.md | sed -n '/^cmake/p')
[ "$(echo "$rapido" | wc -l)" = 2 ] || { echo "no two commands in the quick start"; exit 1; }
while IFS= read -r comando; do
    echo "\$ $comando"
    bash -c "$comando" > "$tmp/rapido.log" 2>&1 || { cat "$tmp/rapido.log"; exit 1; }
    tail -n 3 "$tmp/rapido.log"
done <<< "$rapido"

passo "the presets a student has"
[ "$(ctest --preset defeitos -N | grep -c '^  Test *#[0-9]*: defeitos\.')" = 7 ]
[ "$(ctest --preset exercicios -N | grep -c '^  Test *#[0-9]*: exercicios\.')" = 14 ]
! ctest --preset solucoes -N > /dev/null 2>&1
cmake --workflow --preset tsan > "$tmp/tsan.log" 2>&1 || { cat "$tmp/tsan.log"; exit 1; }
cmake --preset asan > /dev/null && cmake --build --preset asan > "$tmp/asan.log" 2>&1 ||
    { cat "$tmp/asan.log"; exit 1; }
ctest --preset asan -R 12-tipos-de-dados > "$tmp/asan.log" 2>&1 || { cat "$tmp/asan.log"; exit 1; }

passo "the Classroom workflow"
$py "$completo/professor/confere_edicao.py" workflow "$completo" . > "$tmp/passos"
while IFS=$'\t' read -r id comando; do
    n=$(bash -c "$comando -N" | grep -c '^  Test *#' || true)
    [ "$n" = 1 ] || { echo "$id: '$comando' matches $n tests, not one"; exit 1; }
done < "$tmp/passos"

# Each step's command, in the current tree: every one must end as expected
# (PASS or FAIL). They run side by side, since they mostly wait.
corre() {
    mkdir -p "$tmp/logs"
    cut -f1 "$tmp/passos" | xargs -P 8 -I{} bash -c '
        comando=$(grep -P "^$1\t" "$2/passos" | cut -f2)
        if bash -c "$comando" > "$2/logs/$1.log" 2>&1; then veio=PASS; else veio=FAIL; fi
        if [ "$veio" != "$3" ]; then
            cat "$2/logs/$1.log"; echo "$1: $comando: $veio, expected $3"; exit 1
        fi
        echo "  $1: $veio"' _ {} "$tmp" "$1"
}
passo "every step fails on the untouched edition"
corre FAIL

passo "every step passes with the answers dropped in"
sh "$completo/professor/resolvido.sh" . "$tmp/resolvido"
cd "$tmp/resolvido"
cmake --preset default > /dev/null && cmake --build --preset default > /dev/null
corre PASS

passo "no answer in the edition, nor in the build a hunt leaves"
cd "$tmp/aluno"
ctest --preset defeitos > /dev/null 2>&1 || true
$py "$completo/professor/confere_edicao.py" vazamentos "$completo" .
if find build -path build/CMakeFiles -prune -o -name '*.cpp' -print | grep .; then echo "sources in the build"; exit 1; fi

passo "passed"
