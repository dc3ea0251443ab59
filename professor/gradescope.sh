#!/bin/sh
# Writes SAIDA/autograder.zip for Gradescope: setup.sh and run_autograder at
# its root, and the course with the teacher's side (checks, hidden cases,
# answers, the grader and the secret that draws the hidden inputs) in curso/.
#   professor/gradescope.sh SAIDA
set -eu
[ $# = 1 ] || { echo "uso: professor/gradescope.sh SAIDA"; exit 2; }
raiz=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1"
saida=$(cd "$1" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/curso"
# The secret exists before the zip is made, so that a grade on Gradescope and
# one from corrige.sh draw the same hidden inputs for the same name.
python3 -c "import sys; sys.path.insert(0, '$raiz/professor/correcao'); import turma; turma.segredo('$raiz')"
(cd "$raiz" && tar -cf - --exclude='__pycache__' CMakeLists.txt material tests professor) | tar -xf - -C "$tmp/curso"
cp "$raiz/professor/gradescope/setup.sh" "$raiz/professor/gradescope/run_autograder" "$tmp/"
rm -f "$saida/autograder.zip"
(cd "$tmp" && python3 -c '
import os, sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as z:
    for raiz, _, arquivos in os.walk("."):
        for a in sorted(arquivos):
            caminho = os.path.join(raiz, a)[2:]
            info = zipfile.ZipInfo.from_file(caminho, caminho)
            with open(caminho, "rb") as f:
                z.writestr(info, f.read())
' "$saida/autograder.zip")
echo "$saida/autograder.zip: envie-o ao Gradescope como autograder (imagem Ubuntu)."
