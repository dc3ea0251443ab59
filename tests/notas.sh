#!/bin/sh
# Checks what the notes promise beyond their transcripts, and prints one line
# per fault:
# - every link between notes files reaches a file, and its #anchor a heading;
# - a "$ " line, which clitest runs, sits only in a console block or in an
#   HTML comment, never in a text or sh block by accident;
# - each glossary entry names exactly the lessons whose notes link to it, by
#   their right numbers;
# - no retired word of the course's vocabulary (see the glossary's opening
#   lines) in the notes, the shared notes, the hunt templates, the lesson
#   programs' comments or the notes runner's messages; the exercise
#   statements are left out, as their checks quote them;
# - with --modelos, the hunt templates too: each holds no transcript of its
#   own, points to the shared hunt page and ends with the empty block the
#   student writes in. A student's defeitos.md holds their own transcripts
#   and words, which are not the notes': only the untouched templates are
#   checked, on the teacher's side.
#   notas.sh ROOT [--modelos]     (the root of the repository)
set -eu
cd "$1"
modelos=${2:-}
aulas=material/aulas
falhas=$(mktemp)
cache=$(mktemp -d)
trap 'rm -rf "$falhas" "$cache"' EXIT
falha() { echo "$*" | tee -a "$falhas"; }
notas=$(ls $aulas/*.md $aulas/*/README.md $aulas/*/README.en.md)
[ -z "$modelos" ] || notas="$notas $(ls $aulas/*/exercicios/defeitos.md)"

# The anchors of a file's headings, as GitHub makes them: lower case, no
# punctuation but - and _, blanks made dashes.
ancoras() {
    sed -n 's/^#\{1,6\} //p' "$1" | sed 's/Á/á/g; s/É/é/g; s/Í/í/g; s/Ó/ó/g; s/Ú/ú/g; s/Ç/ç/g' |
        tr 'A-Z' 'a-z' | sed "s/[][!\"#\$%&'()*+,./:;<=>?@\\\\^{|}~\`]//g; s/ /-/g"
}

# Links outside code fences (web addresses are not ours to check), as
# "file target" lines, and each target file's anchors, all in one pass.
for arquivo in $notas; do
    awk -v f="$arquivo" '
        /^ *```/ { cerca = !cerca; next }
        !cerca {
            linha = $0
            while (match(linha, /\]\([^)]*\)/)) {
                alvo = substr(linha, RSTART + 2, RLENGTH - 3)
                if (alvo !~ /^https?:/)
                    print f, alvo
                linha = substr(linha, RSTART + RLENGTH)
            }
        }' "$arquivo"
done | sort -u > "$cache/links"
while read -r arquivo alvo; do
    caminho=${alvo%%#*}
    destino=$arquivo
    [ -z "$caminho" ] || destino=${arquivo%/*}/$caminho
    if [ ! -e "$destino" ]; then
        falha "$arquivo: link to $alvo: no such file"
    else
        case $alvo in
            *'#'*) echo "$arquivo $alvo $destino" >> "$cache/ancoradas" ;;
        esac
    fi
done < "$cache/links"
if [ -s "$cache/ancoradas" ]; then
    for destino in $(cut -d' ' -f3 "$cache/ancoradas" | sort -u); do
        ancoras "$destino" | sed "s|^|$destino |"
    done > "$cache/ancoras"
    awk 'NR == FNR { existe[$0] = 1; next }
         { ancora = $2; sub(/^[^#]*#/, "", ancora) }
         !(($3 " " ancora) in existe) { print $1 ": link to " $2 ": no heading makes that anchor" }' \
        "$cache/ancoras" "$cache/ancoradas" | while read -r linha; do falha "$linha"; done
fi

# Commands that clitest runs, only where they belong.
for arquivo in $notas; do
    awk -v f="$arquivo" '
        /^ *```/ { if (!cerca) { cerca = 1; tipo = $0; sub(/^ *```/, "", tipo) } else cerca = 0; next }
        /<!--/ { comentario = 1 }
        /^\$ / && !comentario && !(cerca && tipo == "console") { print f ":" FNR ": a transcript outside a console block: " $0 }
        /-->/ { comentario = 0 }' "$arquivo"
done | while read -r linha; do falha "$linha"; done

# The lessons that link to each glossary entry, against the lessons the entry
# names in its closing sentence ("Aparece ..." or "Appears ..."), and the
# number each is called by against the one in its title.
grep '^# \(Aula\|Lesson\) [0-9]*:' $aulas/*/README.md $aulas/*/README.en.md |
    sed "s|^$aulas/||; s|:# [A-Za-z]* \([0-9]*\):.*| \1|" > "$cache/numeros"
for lingua in "" .en; do
    glossario=$aulas/glossario$lingua.md
    aparece=Aparece
    [ -z "$lingua" ] || aparece=Appears
    grep -o "glossario$lingua\.md#[^)]*" $aulas/*/README$lingua.md |
        sed "s|^$aulas/\([^/]*\)/[^:]*:glossario[.a-z]*#| \1 |" > "$cache/ligadas"
    awk -v a="$aparece" -v g="$glossario" '
        FILENAME == ARGV[1] { numero[$1] = $2; next }
        FILENAME == ARGV[2] { ligadas[$2] = ligadas[$2] " " $1; next }
        /^### / { termo = tolower(substr($0, 5)); gsub(/ /, "-", termo); termos[++n] = termo; achou = 0 }
        n && index($0, a) { achou = 1 }
        n && achou { frase[termo] = frase[termo] " " $0 }
        function ordena(lista,   v, k, i, j, t, saida) {
            k = split(lista, v, " ")
            for (i = 1; i <= k; i++) for (j = i + 1; j <= k; j++) if (v[j] < v[i]) { t = v[i]; v[i] = v[j]; v[j] = t }
            saida = ""
            for (i = 1; i <= k; i++) if (i == 1 || v[i] != v[i - 1]) saida = saida (saida == "" ? "" : " ") v[i]
            return saida
        }
        END {
            for (i = 1; i <= n; i++) {
                t = termos[i]; resto = frase[t]; ditas = ""
                while (match(resto, /\[[A-Za-z]* ?[0-9]\]\([^)\/]*\/README[^)]*\)/)) {
                    link = substr(resto, RSTART, RLENGTH); resto = substr(resto, RSTART + RLENGTH)
                    licao = link; sub(/^.*\(/, "", licao); sub(/\)$/, "", licao)
                    n_dito = link; sub(/\].*/, "", n_dito); gsub(/[^0-9]/, "", n_dito)
                    pasta = licao; sub(/\/.*/, "", pasta)
                    ditas = ditas " " pasta
                    if (numero[licao] != n_dito)
                        print g ": \"" t "\" calls " licao " lesson " n_dito ", its title says " numero[licao]
                }
                if (ordena(ditas) != ordena(ligadas[t]))
                    print g ": \"" t "\" names the lessons \"" ordena(ditas) "\"; the notes that link to it: \"" ordena(ligadas[t]) "\""
            }
        }' "$cache/numeros" "$cache/ligadas" "$glossario"
done | while read -r linha; do falha "$linha"; done

# Retired words, outside the exercise statements.
aposentadas='conferência|corretor|estragad|quebrad|defeituos|esvazi|fim de linha|fins de linha|pasta principal|à mão'
aposentadas="$aposentadas|buffer de linha|buffer completo|linha de uso|\\bcrua?\\b"
aposentadas="$aposentadas|top folder|by hand|\\bline ends?\\b|line-end|line-buffered|empties|emptied"
aposentadas="$aposentadas|emptying|grader|faulty|defective"
for arquivo in $notas; do
    awk '/^## (Exercícios|Exercises)$/ { fora = 1 } /^### (Caça aos defeitos|Bug hunt)$/ { fora = 0 }
         !fora { print FILENAME ":" FNR ": " $0 }' "$arquivo"
done | grep -iE "$aposentadas" | while read -r linha; do falha "retired word: $linha"; done
for arquivo in $aulas/*/*.cpp; do
    grep -n '//' "$arquivo" | sed "s|^|$arquivo:|"
done | grep -iE "$aposentadas" | while read -r linha; do falha "retired word: $linha"; done
grep -n 'echo "' tests/roteiro.sh | sed 's|^|tests/roteiro.sh:|' | grep -iE "$aposentadas" |
    while read -r linha; do falha "retired word: $linha"; done

# The hunt templates: the student's transcripts alone, in the last block.
[ -z "$modelos" ] || for modelo in $aulas/*/exercicios/defeitos.md; do
    if grep -q '^\$ ' "$modelo"; then
        falha "$modelo: holds a transcript of its own, which the hunt would run"
    fi
    grep -qF '](../../defeitos.md)' "$modelo" || falha "$modelo: no link to the shared hunt page"
    [ "$(tail -n 3 "$modelo" | paste -sd' ' -)" = '```console $ ```' ] ||
        falha "$modelo: does not end with an empty console block"
done

[ ! -s "$falhas" ] || exit 1
echo "notas.sh: links, transcripts, glossary and vocabulary${modelos:+, and the hunt templates,} are as they should be"
