#!/usr/bin/env bash
# Proves the Gradescope autograder as Gradescope runs it, in a Debian 12 root
# of its own (made with debootstrap, inside a private mount namespace): the
# zip from gradescope.sh unpacked into /autograder/source, setup.sh run once
# (it installs, then proves the grader there), then run_autograder once per
# student of the test class (testa-correcao.sh's: complete, nothing, half-way,
# not compiling, odd files, and each hostile submission), each submission in
# /autograder/submission; every results.json is checked as the class's CSV is.
#   professor/testa-gradescope.sh      (as root; .ci/run runs it)
set -euo pipefail
cd "$(dirname "$0")/.."
raiz=$PWD
[ "$(id -u)" = 0 ] || { echo "testa-gradescope.sh must run as root (debootstrap, chroot)"; exit 1; }
tmp=$(mktemp -d)
limpa() {
    # The root's mounts live in their namespace only; its files go with it.
    rm -rf --one-file-system "$tmp"
}
trap limpa EXIT
passo() { echo "== gradescope: $* ($SECONDS s)"; }

passo "the zip, and a Debian 12 root"
sh professor/gradescope.sh "$tmp/zip" > /dev/null
sh professor/raiz-debian.sh "$tmp/raiz" > /dev/null
r=$tmp/raiz
mkdir -p "$r/autograder/source" "$r/autograder/results" "$r/autograder/submission"
python3 -c 'import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    for i in z.infolist():
        z.extract(i, sys.argv[2])
        modo = i.external_attr >> 16
        if modo:
            __import__("os").chmod(f"{sys.argv[2]}/{i.filename}", modo & 0o7777)' "$tmp/zip/autograder.zip" "$r/autograder/source"
cp "$r/autograder/source/run_autograder" "$r/autograder/run_autograder"

# Runs a command in the root, as Gradescope's harness would: root, with
# /proc, /sys, /dev and a fresh /run and /tmp. A chroot's / is no mount
# point, so bubblewrap cannot start there, as in a container that allows no
# namespaces: this proves the reduced sandbox, the one Gradescope may need
# (corrige.sh's tests prove the other).
dentro() {
    unshare -m --propagation private sh -c '
        r=$1; shift
        mount -t proc proc "$r/proc" && mount --rbind /sys "$r/sys" && mount --rbind /dev "$r/dev"
        mount -t tmpfs tmpfs "$r/run" && mount -t tmpfs tmpfs "$r/tmp"
        exec chroot "$r" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LC_ALL=C.UTF-8 "$@"' \
        dentro "$r" "$@"
}

passo "setup.sh: installs, and proves the grader in the image"
dentro bash -c 'cd /autograder && bash source/setup.sh' > "$tmp/setup.log" 2>&1 || { tail -n 40 "$tmp/setup.log"; exit 1; }
tail -n 1 "$tmp/setup.log"
grep -q "caixa de areia reduzido$" "$tmp/setup.log" || { echo "not the reduced sandbox"; exit 1; }

passo "the test class, one submission at a time"
classe=$tmp/classe
GRADESCOPE=1 CLASSE=$classe ALVO_RAIZ=/autograder/source/curso ALVO_ENTREGAS=/autograder/submission \
    professor/testa-correcao.sh
mkdir "$tmp/resultados"
for aluno in $(ls "$classe"); do
    rm -rf "$r/autograder/submission" "$r/autograder/results"
    mkdir -p "$r/autograder/submission" "$r/autograder/results"
    cp -a "$classe/$aluno/." "$r/autograder/submission/"
    printf '{"users": [{"email": "%s@escola", "name": "%s"}]}\n' "$aluno" "$aluno" \
        > "$r/autograder/submission_metadata.json"
    inicio=$SECONDS
    dentro sh -c 'cd /autograder && ./run_autograder' > "$tmp/$aluno.log" 2>&1 || true
    if [ ! -s "$r/autograder/results/results.json" ]; then
        cat "$tmp/$aluno.log"; echo "$aluno: no results.json"; exit 1
    fi
    cp "$r/autograder/results/results.json" "$tmp/resultados/$aluno.json"
    python3 -c 'import json, sys; d = json.load(open(sys.argv[1])); print("  " + sys.argv[2] + ":", d["score"], end="")' \
        "$tmp/resultados/$aluno.json" "$aluno"
    echo " ($((SECONDS - inicio)) s)"
done

passo "the results, checked"
AULAS_CACHE_CORRECAO=$r/autograder/source/trabalho python3 professor/correcao/confere_turma.py --gradescope "$raiz" "$tmp/resultados"

passo "a broken grader still writes results.json"
mv "$r/autograder/source/curso/professor/correcao/nota.py" "$r/autograder/source/nota.py.fora"
rm -f "$r/autograder/results/results.json"
dentro sh -c 'cd /autograder && ./run_autograder' > "$tmp/sem-nota.log" 2>&1 || true
python3 -c 'import json, sys; d = json.load(open(sys.argv[1])); assert d["score"] == 0 and "falhou" in d["output"], d' \
    "$r/autograder/results/results.json"
passo "passed"
