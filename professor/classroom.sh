#!/bin/sh
# Writes the GitHub Classroom workflow of the student edition, in the form
# Classroom generates: one command-grader step per exercise and per lesson's
# hunt, each the very ctest command a student runs, worth 10 points, all or
# nothing; then the reporter, which reads each step's result.
#   classroom.sh > .github/workflows/classroom.yml
set -eu
lista=$(dirname "$0")/exercicios.txt
exercicios=$(sed '/^#/d' "$lista" | cut -d' ' -f2- | tr ' ' '\n')
licoes=$(sed '/^#/d' "$lista" | cut -d' ' -f1)

cat << 'FIM'
name: Autograding Tests
'on': [push, repository_dispatch]
permissions:
  checks: write
  actions: read
  contents: read
jobs:
  run-autograding-tests:
    runs-on: ubuntu-24.04
    if: github.actor != 'github-classroom[bot]'
    # GitHub sets CI, and the presets make warnings errors where it is set:
    # a student's warning must not cost points.
    env:
      CI: ''
    steps:
    - name: Checkout code
      uses: actions/checkout@v4
    - name: Install the course's tools
      run: sudo apt-get update && sudo apt-get install -y g++ cmake libgtest-dev clitest strace valgrind
    # Hosted runners have shipped with 32 bits of address randomisation, where
    # the sanitizer runtimes cannot start; harmless where it is already 28.
    - name: Address randomisation the sanitizers can start with
      run: sudo sysctl -w vm.mmap_rnd_bits=28
    - name: Build the programs
      run: cmake --preset default && cmake --build --preset default
FIM
passo() { # ID COMMAND TIMEOUT
    cat << FIM
    - name: $1
      id: $1
      uses: classroom-resources/autograding-command-grader@v1
      with:
        test-name: $1
        setup-command: ''
        command: $2
        timeout: $3
        max-score: 10
FIM
}
for nome in $exercicios; do
    passo "$nome" "ctest --preset exercicios -R $nome" 6
done
for licao in $licoes; do
    passo "defeitos-$licao" "ctest --preset defeitos -R $licao" 16
done
echo "    - name: Autograding Reporter"
echo "      uses: classroom-resources/autograding-grading-reporter@v1"
echo "      env:"
for id in $exercicios $(for licao in $licoes; do echo "defeitos-$licao"; done); do
    echo "        $(echo "$id" | tr '[:lower:]' '[:upper:]')_RESULTS: \"\${{ steps.$id.outputs.result }}\""
done
echo "      with:"
echo "        runners: $(echo $exercicios $(for licao in $licoes; do echo "defeitos-$licao"; done) | tr ' ' ',')"
