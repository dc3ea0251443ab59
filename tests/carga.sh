#!/bin/sh
# The default and the AddressSanitizer suites, run again and again with two
# CPU-bound processes beside them, as on a student's laptop with a browser
# open or a class server at work: every round must pass.
# From the top folder: tests/carga.sh [rounds]   (3 by default)
set -eu
cd "$(dirname "$0")/.."
voltas=${1:-3}

for preset in default asan; do
    cmake --preset "$preset" > /dev/null
    cmake --build --preset "$preset" > /dev/null
done

yes > /dev/null &
um=$!
yes > /dev/null &
dois=$!
trap 'kill "$um" "$dois"' EXIT

for volta in $(seq "$voltas"); do
    for preset in default asan; do
        echo "== round $volta of $voltas: $preset, beside two busy processes"
        ctest --preset "$preset"
    done
done
echo "== all $voltas rounds passed"
