#!/usr/bin/env bash
# Proves the course's container, as a Windows or macOS student gets it: the
# Dockerfile builds on a Debian 12 base made here with debootstrap; the
# dev-container CLI starts it as VS Code does (.devcontainer: an init, ptrace,
# seccomp unconfined) and runs its postCreateCommand (the build and the
# check-up); then, as the user who is not root, the check-up, the front page's
# quick start and an exercise check (on the course's answer) pass inside.
# A second container, whose first process is "sleep infinity" (no init),
# shows what the processes lesson's orphan experiment then does differently.
# Runs with podman as root (runc, a containers.conf of its own); needs
# podman, runc, debootstrap and the CLI (DEVCONTAINER, or devcontainer in
# PATH, or the one .ci/run installs under /var/cache/aulas/npm).
#   professor/testa-container.sh      (from the root; .ci/run runs it)
set -euo pipefail
cd "$(dirname "$0")/.."
curso=$PWD
cache=${AULAS_CACHE:-/var/cache/aulas}
passo() { echo "== container: $* ($SECONDS s)"; }

[ "$(id -u)" = 0 ] || { echo "testa-container.sh: podman runs as root here"; exit 1; }
devcontainer=${DEVCONTAINER:-$(command -v devcontainer || echo "$cache/npm/node_modules/.bin/devcontainer")}
for programa in podman runc "$devcontainer"; do
    command -v "$programa" > /dev/null || { echo "testa-container.sh: $programa is missing"; exit 1; }
done

tmp=$(mktemp -d)
conteineres=()
imagens=()
limpa() {
    for id in "${conteineres[@]}"; do
        podman rm -f "$id" > /dev/null 2>&1 || true
    done
    # The CLI's images are named after the workspace, a scratch folder: no
    # later run would use them. The image of the Dockerfile stays, as a cache.
    for imagem in "${imagens[@]}"; do
        podman rmi "$imagem" > /dev/null 2>&1 || true
    done
    rm -rf "$tmp"
}
trap limpa EXIT
trap 'exit 130' INT TERM HUP

# runc, as crun is not what this machine's podman runs with, and limits a
# container's processes can live with (the defaults come from the host).
cat > "$tmp/containers.conf" << 'FIM'
[containers]
default_ulimits = ["nofile=20000:20000", "nproc=32768:32768"]
[engine]
runtime = "runc"
FIM
export CONTAINERS_CONF=$tmp/containers.conf

# The CLI gives podman --userns=keep-id whenever the container's user is not
# root, which only rootless podman takes. As root the ids are the host's
# already: the workspace belongs to uid 1000, the image's user.
cat > "$tmp/podman" << 'FIM'
#!/bin/sh
for arg in "$@"; do
    shift
    [ "$arg" = --userns=keep-id ] || set -- "$@" "$arg"
done
exec podman "$@"
FIM
chmod +x "$tmp/podman"

passo "the Debian 12 base (FROM debian:12), made with debootstrap"
if ! podman image exists localhost/debian:12; then
    sh professor/raiz-debian.sh "$tmp/raiz"
    tar -C "$tmp/raiz" -c . | podman import -q - localhost/debian:12
    rm -rf "$tmp/raiz"
fi

passo "the image: podman build, as the front page's docker build"
podman build --pull=never -q -t localhost/aulas-curso . > /dev/null

passo "the dev container, started by the CLI; its postCreateCommand builds and runs the check-up"
# A student who solved everything, in a clone of their own (uid 1000).
sh professor/resolvido.sh . "$tmp/curso"
chown -R 1000:1000 "$tmp/curso"
onde=(--workspace-folder "$tmp/curso" --docker-path "$tmp/podman")
if ! "$devcontainer" up "${onde[@]}" > "$tmp/up.json" 2> "$tmp/up.log"; then
    tail -n 40 "$tmp/up.log"
    cat "$tmp/up.json"
    exit 1
fi
id=$(sed -n 's/.*"containerId":"\([0-9a-f]*\)".*/\1/p' "$tmp/up.json")
conteineres+=("$id")
imagem=$(podman inspect -f '{{.ImageName}}' "$id")
imagens+=("$imagem" "${imagem/-uid:/:}")
sed -n 's/^\[[^]]*\] //p' "$tmp/up.log" | sed -n '/^O que o curso usa/,$p'
grep -q '^\[[^]]*\] Tudo certo: ' "$tmp/up.log" || { echo "the check-up did not pass"; exit 1; }
[ "$(podman inspect -f '{{.HostConfig.Init}}' "$id")" = true ] || { echo "no init"; exit 1; }

# dentro COMMAND: runs it in the dev container, as its user, in the workspace
# (with nothing to read: the caller's input is not the command's).
dentro() {
    "$devcontainer" exec "${onde[@]}" bash -c "$1" < /dev/null
}
passo "as whom: $(dentro 'echo "$(id -un), uid $(id -u), in $PWD"')"
[ "$(dentro 'id -u')" != 0 ] || { echo "the dev container runs as root"; exit 1; }

passo "the check-up, by hand"
dentro './diagnostico.sh'

# The two commands of the front page's quick start, as written there.
rapido=$(sed -n '/^## Início rápido/,/^```$/p' README.md | sed -n '/^cmake/p')
[ "$(echo "$rapido" | wc -l)" = 2 ] || { echo "no two commands in the quick start"; exit 1; }
# Some of the lessons' tests time their programs and fail on a machine that
# others keep busy: those that failed run once more, and must pass then.
while IFS= read -r comando; do
    passo "quick start: $comando"
    if ! dentro "$comando" > "$tmp/rapido.log" 2>&1; then
        tail -n 200 "$tmp/rapido.log"
        grep -q '^The following tests FAILED:' "$tmp/rapido.log" || exit 1
        passo "the tests that failed, once more"
        dentro 'ctest --preset default --rerun-failed' > "$tmp/rapido.log" 2>&1 ||
            { cat "$tmp/rapido.log"; exit 1; }
    fi
    tail -n 4 "$tmp/rapido.log"
done <<< "$rapido"

passo "an exercise check: ctest --preset exercicios -R pingue_pongue"
dentro 'ctest --preset exercicios -R pingue_pongue' > "$tmp/exercicio.log" 2>&1 ||
    { cat "$tmp/exercicio.log"; exit 1; }
tail -n 4 "$tmp/exercicio.log"

# The zombie of the processes lesson (experiment 3): its parent is killed, so
# the zombie is an orphan; whoever adopts it must read its status.
orfaos='sh -c "sleep 0.2 & exec sleep 10" & pai=$!; sleep 2; ps -o s=,comm= --ppid $pai; kill $pai; sleep 1; echo "1 s after the kill:"; ps -e -o s=,ppid=,comm= | grep "^Z" || echo "no zombie"'
passo "the orphan experiment with an init (the dev container)"
dentro "$orfaos" | tee "$tmp/com-init.log"
grep -q 'no zombie' "$tmp/com-init.log" || { echo "the init did not reap the zombie"; exit 1; }

passo "the same in a container without an init (first process: sleep infinity)"
sem_init=$(podman run -d --cap-add SYS_PTRACE --security-opt seccomp=unconfined \
    -v "$tmp/curso:/workspaces/curso" -w /workspaces/curso localhost/aulas-curso sleep infinity)
conteineres+=("$sem_init")
podman exec "$sem_init" bash -c "$orfaos" | tee "$tmp/sem-init.log"
grep -q '^Z *1 sleep' "$tmp/sem-init.log" || { echo "the zombie was reaped without an init"; exit 1; }
echo "(without an init the zombie stays, adopted by process 1, sleep, which never reads its status)"

passo "the check-up without an init: a warning about orphans, and status 0"
podman exec "$sem_init" ./diagnostico.sh | tee "$tmp/diagnostico.log"
grep -q '^  aviso  órfãos' "$tmp/diagnostico.log" || { echo "no warning about orphans"; exit 1; }

passo "passed"
