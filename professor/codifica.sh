#!/bin/sh
# Encodes one lesson's broken copies as the hunt reads them, in the full course
# and in the student edition alike: only the changes (each "@@ name" and its
# blocks; the descriptions between them stay here), compressed and in base64,
# so that a student who opens the file does not read the answers by chance.
#   codifica.sh LESSON.trocas > LESSON.copias
set -eu
licao=$(basename "$1" .trocas)
echo "# Cópias com defeito da aula $licao, codificadas: o tests/defeitos.sh as lê daqui."
echo "# Abrir este arquivo de propósito é como espiar as respostas."
awk '
/^@@ / && !bloco { print; next }
$0 == "<<<<<<<" { bloco = 1 }
bloco { print }
$0 == ">>>>>>>" { bloco = 0 }
' "$1" | gzip -9n | base64 -w 76
