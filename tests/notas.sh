#!/bin/sh
# Runs the console transcripts of one lesson's notes, as a student would, in
# a copy of the bin folder, so that nothing they create stays in the build.
set -eu
bin=$1
notas=$2
if ! command -v clitest > /dev/null; then
    echo "clitest not found: install it (apt-get install clitest) to check the notes"
    exit 1
fi
copia=$(mktemp -d)
trap 'rm -rf "$copia"' EXIT
cp -p "$bin"/* "$copia"/
cd "$copia"
# A student's shell hands a program only 0, 1 and 2; so must we, or the
# descriptor numbers that the notes show would shift.
for fd in 3 4 5 6 7 8 9; do
    eval "exec $fd>&-"
done
clitest --color never --progress none "$notas"
