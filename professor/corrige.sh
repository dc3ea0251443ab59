#!/bin/sh
# Grades a whole class with the teacher's checks, in sandboxes:
#   professor/corrige.sh [-j N] [--rol ROL] ENTREGAS SAIDA
# ENTREGAS holds one folder per student (a clone of the student edition, or a
# flat folder with the student's files); SAIDA gets notas.csv and one
# feedback file per student. See professor/README.md.
if [ "$(id -u)" != 0 ]; then
    echo "corrige.sh precisa rodar como root: cada aluno roda numa caixa de areia com um usuário"
    echo "próprio, sem acesso a nada do professor, e só o root cria esses usuários e as caixas."
    echo "Rode: sudo $0 $*"
    exit 1
fi
for falta in bwrap g++ python3 setpriv prlimit; do
    if ! command -v "$falta" > /dev/null; then
        echo "falta $falta: sudo apt install bubblewrap g++ python3 util-linux"
        exit 1
    fi
done
exec python3 "$(dirname "$0")/correcao/turma.py" "$@"
