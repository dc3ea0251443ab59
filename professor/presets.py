"""Takes out of a CMakePresets.json the presets that need the teacher's side
(today the proofs, "solucoes"), keeping the rest of the file as it is written.
    python3 presets.py CMakePresets.json"""
import json
import sys

DO_PROFESSOR = {"solucoes"}

caminho = sys.argv[1]
with open(caminho, encoding="utf-8") as f:
    linhas = f.read().split("\n")
# Each preset is an object that opens on a line of its own; drop the lines
# from that "{" to its "}," when its name is the teacher's.
saida, i = [], 0
while i < len(linhas):
    nome = linhas[i + 1].strip() if i + 1 < len(linhas) else ""
    if linhas[i].strip() == "{" and any(nome == f'"name": "{n}",' for n in DO_PROFESSOR):
        recuo = linhas[i][: len(linhas[i]) - len(linhas[i].lstrip())]
        while linhas[i] not in (recuo + "},", recuo + "}"):
            i += 1
        i += 1
        continue
    saida.append(linhas[i])
    i += 1
texto = "\n".join(saida)
json.loads(texto)  # still JSON, or fail here rather than in a student's cmake
with open(caminho, "w", encoding="utf-8") as f:
    f.write(texto)
