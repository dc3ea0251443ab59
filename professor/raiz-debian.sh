#!/bin/sh
# Lays a Debian 12 (bookworm) minbase root at DEST, the base of the course's
# container image and of any test that needs a clean Debian 12: made once
# with debootstrap, kept as a tarball in the cache, and unpacked from there
# afterwards. apt works in it (run apt-get update first: the package lists
# are left out of the tarball, as in Debian's own images).
#   professor/raiz-debian.sh DEST     (as root; DEST must not exist or be empty)
# The cache is /var/cache/aulas, or AULAS_CACHE. The mirror is the one this
# machine's apt uses for bookworm, or debootstrap's own if it has none.
set -eu
[ $# = 1 ] || { echo "usage: professor/raiz-debian.sh DEST"; exit 2; }
destino=$1
[ "$(id -u)" = 0 ] || { echo "raiz-debian.sh: debootstrap and the root's owners need root"; exit 1; }
if [ -e "$destino" ] && [ -n "$(ls -A "$destino")" ]; then
    echo "raiz-debian.sh: $destino exists and is not empty"
    exit 1
fi
cache=${AULAS_CACHE:-/var/cache/aulas}
arquitetura=$(dpkg --print-architecture 2> /dev/null || uname -m)
tarball=$cache/debian-12-minbase-$arquitetura.tar.gz

if [ ! -s "$tarball" ]; then
    command -v debootstrap > /dev/null ||
        { echo "raiz-debian.sh: debootstrap is missing (apt-get install debootstrap)"; exit 1; }
    mkdir -p "$cache"
    espelho=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 'Created-By: Packages' \
        2> /dev/null | sed -n 's| bookworm$||p' | head -n 1)
    trabalho=$(mktemp -d "$cache/raiz.XXXXXX")
    trap 'rm -rf "$trabalho"' EXIT
    echo "raiz-debian.sh: debootstrap --variant=minbase bookworm ${espelho:-(its default mirror)}"
    # shellcheck disable=SC2086 # no mirror: debootstrap's own
    if ! debootstrap --variant=minbase bookworm "$trabalho/raiz" $espelho > "$trabalho/log" 2>&1; then
        tail -n 20 "$trabalho/log"
        tail -n 20 "$trabalho/raiz/debootstrap/debootstrap.log" 2> /dev/null || true
        exit 1
    fi
    # What the image needs no copy of: the downloaded packages and lists.
    chroot "$trabalho/raiz" apt-get clean
    rm -rf "$trabalho/raiz/var/lib/apt/lists/"*
    # Written aside, then renamed: a run stopped halfway leaves no tarball
    # that a later run would take for whole.
    tar --numeric-owner -czf "$trabalho/raiz.tar.gz" -C "$trabalho/raiz" .
    mv "$trabalho/raiz.tar.gz" "$tarball"
    rm -rf "$trabalho"
    trap - EXIT
else
    echo "raiz-debian.sh: from the cache, $tarball"
fi

mkdir -p "$destino"
tar --numeric-owner -xzf "$tarball" -C "$destino"
# The name servers of today, not those of the day the tarball was made.
cp /etc/resolv.conf "$destino/etc/resolv.conf" 2> /dev/null || true
echo "raiz-debian.sh: Debian 12 minbase at $destino"
