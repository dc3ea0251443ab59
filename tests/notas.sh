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
# - each hunt template holds no transcript of its own, points to the shared
#   hunt page and ends with the empty block the student writes in.
#   notas.sh ROOT      (the root of the repository)
set -eu
cd "$1"
aulas=material/aulas
falhas=$(mktemp)
cache=$(mktemp -d)
trap 'rm -rf "$falhas" "$cache"' EXIT
falha() { echo "$*" | tee -a "$falhas"; }
notas=$(ls $aulas/*.md $aulas/*/README.md $aulas/*/README.en.md $aulas/*/exercicios/defeitos.md)

# The anchors of a file's headings, as GitHub makes them: lower case, no
# punctuation but - and _, blanks made dashes. Kept once made.
ancoras() {
    guardado=$cache/$(echo "$1" | tr '/' '%')
    [ -e "$guardado" ] ||
        sed -n 's/^#\{1,6\} //p' "$1" | sed 's/Á/á/g; s/É/é/g; s/Í/í/g; s/Ó/ó/g; s/Ú/ú/g; s/Ç/ç/g' |
        tr 'A-Z' 'a-z' | sed "s/[][!\"#\$%&'()*+,./:;<=>?@\\\\^{|}~\`]//g; s/ /-/g" > "$guardado"
    cat "$guardado"
}

for arquivo in $notas; do
    pasta=$(dirname "$arquivo")
    # Links outside code fences; web addresses are not ours to check.
    awk '/^ *```/ { cerca = !cerca; next } !cerca' "$arquivo" | grep -o '](\([^)]*\))' |
        sed 's/^](//; s/)$//' | grep -v '^https\?:' | sort -u | while read -r alvo; do
        caminho=${alvo%%#*}
        ancora=
        case $alvo in *'#'*) ancora=${alvo#*#} ;; esac
        destino=$arquivo
        [ -z "$caminho" ] || destino=$pasta/$caminho
        if [ ! -e "$destino" ]; then
            falha "$arquivo: link to $alvo: no such file"
        elif [ -n "$ancora" ] && ! ancoras "$destino" | grep -qxF -- "$ancora"; then
            falha "$arquivo: link to $alvo: no heading makes that anchor"
        fi
    done
    awk -v f="$arquivo" '
        /^ *```/ { if (!cerca) { cerca = 1; tipo = $0; sub(/^ *```/, "", tipo) } else cerca = 0; next }
        /<!--/ { comentario = 1 }
        /^\$ / && !comentario && !(cerca && tipo == "console") { print f ":" FNR ": a transcript outside a console block: " $0 }
        /-->/ { comentario = 0 }' "$arquivo" | while read -r linha; do falha "$linha"; done
done

# The lessons that link to each glossary entry, against the lessons the entry
# names in its closing sentence ("Aparece ..." or "Appears ...").
for lingua in "" .en; do
    glossario=$aulas/glossario$lingua.md
    aparece=Aparece
    [ -z "$lingua" ] || aparece=Appears
    ancoras "$glossario" | tail -n +2 | while read -r termo; do
        esperadas=$(grep -l "glossario$lingua\.md#$termo)" $aulas/*/README$lingua.md 2> /dev/null |
            sed "s|^$aulas/||; s|/README.*||" | sort | paste -sd' ' -)
        frase=$(awk -v t="$termo" -v a="$aparece" '
            /^### / { s = tolower(substr($0, 5)); gsub(/ /, "-", s); dentro = (s == t); achou = 0 }
            dentro && index($0, a) { achou = 1 }
            dentro && achou' "$glossario" | tr '\n' ' ')
        links=$(echo "$frase" | grep -o '\[\([A-Za-z]* \)\{0,1\}[0-9]\]([^)/]*/README[^)]*)' || true)
        ditas=$(echo "$links" | sed -n 's|.*(\([^/]*\)/README.*|\1|p' | sort | paste -sd' ' -)
        [ "$esperadas" = "$ditas" ] ||
            falha "$glossario: \"$termo\" names the lessons \"$ditas\"; the notes that link to it: \"$esperadas\""
        echo "$links" | while read -r link; do
            [ -n "$link" ] || continue
            numero=$(echo "$link" | sed 's/^\[[^]0-9]*\([0-9]\)\].*/\1/')
            licao=$(echo "$link" | sed 's|.*(||; s|)$||')
            head -5 "$aulas/$licao" | grep -q "^# \(Aula\|Lesson\) $numero:" ||
                falha "$glossario: \"$termo\" calls $licao lesson $numero"
        done
    done
done

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
for modelo in $aulas/*/exercicios/defeitos.md; do
    if grep -q '^\$ ' "$modelo"; then
        falha "$modelo: holds a transcript of its own, which the hunt would run"
    fi
    grep -qF '](../../defeitos.md)' "$modelo" || falha "$modelo: no link to the shared hunt page"
    [ "$(tail -n 3 "$modelo" | paste -sd' ' -)" = '```console $ ```' ] ||
        falha "$modelo: does not end with an empty console block"
done

[ ! -s "$falhas" ] || exit 1
echo "notas.sh: links, transcripts, glossary, vocabulary and hunt templates are as they should be"
