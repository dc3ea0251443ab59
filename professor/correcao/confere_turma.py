"""Checks a graded test class (see testa-correcao.sh): every grade, what the
feedback says, and that no hostile submission earned, changed, left or
leaked anything.
    confere_turma.py RAIZ ENTREGAS SAIDA       (CSV and feedback files)
    confere_turma.py --gradescope RAIZ RESULTS  (a folder of results.json, one per student)"""
import csv
import glob
import json
import os
import sys

sys.path.insert(0, os.path.dirname(__file__))
import caixa  # noqa: E402
import curso as curso_mod  # noqa: E402

falhas = []


def espera(condicao, mensagem):
    if not condicao:
        falhas.append(mensagem)


def segredos(raiz):
    """Lines of the teacher's side no feedback may hold (as in the edition's
    leak search), the hidden cases' commands and the secret itself."""
    sys.path.insert(0, os.path.join(raiz, "professor"))
    import confere_edicao  # noqa: E402
    linhas = set(confere_edicao.segredos(__import__("pathlib").Path(raiz)))
    linhas.add(open(os.path.join(raiz, "professor", ".segredo")).read().strip())
    return linhas


def valem(raiz, nome):
    """How many public commands of an exercise are worth points, from the
    grading run's own proof."""
    prova = glob.glob(os.path.join(os.environ.get("AULAS_CACHE_CORRECAO", "/var/cache/aulas-correcao"), "curso-*",
                                   "prova-*.json"))
    return len(json.load(open(prova[0]))["falham"][nome])


def esperado(raiz, curso):
    """The points each student must get, item by item; None: any value in
    (0, 10) will do, a hostile one is checked apart."""
    itens = [i.nome for i in curso.itens]
    zero = dict.fromkeys(itens, 0.0)
    tudo = dict.fromkeys(itens, 10.0)
    metade = dict(zero, bytes_int=10.0, executa=10.0, **{"defeitos-12-tipos-de-dados": 10.0})
    metade["inverte"] = 3.0 + 7.0 * (valem(raiz, "inverte") - 1) / valem(raiz, "inverte")
    metade["copia"] = None
    metade["defeitos-sinais"] = 2.0
    alunos = {"Ana Completa": tudo, "Nádia Nada": zero, "metade": metade, "nao-compila": zero, "estranho": zero}
    for h in os.listdir(os.path.join(raiz, "professor", "hostis")):
        alunos[f"hostil-{h.rsplit('.', 1)[0]}"] = dict(zero, inverte=None) if h.startswith("inverte-") else zero
    return alunos


def confere_notas(notas, alunos, curso):
    espera(set(notas) == set(alunos), f"students graded: {sorted(notas)}")
    for nome, itens in alunos.items():
        for item, valor in itens.items():
            veio = notas.get(nome, {}).get(item)
            if veio is None:
                continue
            if valor is None:
                espera(0 < veio < 10, f"{nome}, {item}: {veio}, expected some points, not all")
            else:
                espera(abs(veio - valor) < 0.005, f"{nome}, {item}: {veio}, expected {valor:.2f}")


def confere_textos(textos, proibidas):
    # First, that the search sees a leak at all: a line of the teacher's
    # planted in a feedback.
    planta = next(l for l in sorted(proibidas) if "(" in l and len(l) > 30)
    espera(_procura({"plantado.md": "x\n" + planta + "\n"}, proibidas), "the leak search missed a planted line")
    falhas.extend(_procura(textos, proibidas))


def _procura(textos, proibidas):
    achados = []
    for nome, texto in textos.items():
        for linha in texto.splitlines():
            if linha.strip() in proibidas:
                achados.append(f"{nome} leaks a line of the teacher's: {linha.strip()}")
        for s in proibidas:
            if len(s) >= 40 and s in texto:
                achados.append(f"{nome} holds a piece of the teacher's: {s[:60]}")
    return achados


def sobras():
    vivos = []
    for pid in os.listdir("/proc"):
        try:
            if pid.isdigit() and os.stat(f"/proc/{pid}").st_uid >= caixa.PRIMEIRO_ID:
                estado = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()[0]
                if estado != "Z":
                    vivos.append(pid)
        except OSError:
            pass
    espera(not vivos, f"processes left by sandboxes: {vivos}")


def turma(raiz, entregas, saida):
    curso = curso_mod.Curso(raiz)
    alunos = esperado(raiz, curso)
    linhas = list(csv.reader(open(os.path.join(saida, "notas.csv"), encoding="utf-8"), delimiter=";"))
    espera(linhas[0] == ["aluno"] + [i.nome for i in curso.itens] + ["total"], f"CSV header: {linhas[0]}")
    notas = {}
    for linha in linhas[1:]:
        valores = [float(v.replace(",", ".")) for v in linha[1:]]
        notas[linha[0]] = dict(zip([i.nome for i in curso.itens], valores[:-1]))
        espera(all(len(v.split(",")[1]) == 2 for v in linha[1:]), f"{linha[0]}: not two decimals: {linha}")
        espera(abs(round(sum(valores[:-1]), 2) - valores[-1]) < 0.011, f"{linha[0]}: total is not the sum")
    confere_notas(notas, alunos, curso)
    arquivos = {p: open(os.path.join(saida, p), encoding="utf-8").read()
                for p in os.listdir(saida) if p.endswith(".md")}
    espera(set(arquivos) == {f"{p}.md" for p in os.listdir(entregas) if not p.startswith(".")},
           f"feedback files: {sorted(arquivos)}")
    espera(set(os.listdir(saida)) == set(arquivos) | {"notas.csv", ".correcao"}, f"SAIDA holds {os.listdir(saida)}")
    nada = arquivos.get("nada.md", "")
    for item in curso.exercicios:
        espera(f"## {item.nome}: 0,00 de 10" in nada and "Dica:" in nada, f"nada.md lacks {item.nome} or its hints")
    espera("Os primeiros erros do compilador" in arquivos.get("nao-compila.md", ""), "nao-compila.md: no errors")
    estranho = arquivos.get("estranho.md", "")
    for frase in ("passa por um link", "mais de 256 KB", "não é um arquivo comum", "não foi entregue"):
        espera(frase in estranho, f"estranho.md does not say \"{frase}\"")
    decora = [r for r in open(os.path.join(saida, ".correcao", "alunos", "hostil-inverte-decora", "inverte.jsonl"))]
    ocultos = [json.loads(r) for r in decora if '"oculto"' in r]
    espera(ocultos and not any(r["passou"] for r in ocultos), "the hard-coded inverte passed a hidden case")
    confere_textos(dict(arquivos, **{"notas.csv": open(os.path.join(saida, "notas.csv")).read()}), segredos(raiz))
    sobras()


def gradescope(raiz, pasta):
    curso = curso_mod.Curso(raiz)
    alunos = esperado(raiz, curso)
    notas, textos = {}, {}
    for arquivo in glob.glob(os.path.join(pasta, "*.json")):
        nome = os.path.basename(arquivo)[:-5]
        dados = json.load(open(arquivo))
        testes = {t["name"]: t for t in dados["tests"]}
        espera(list(testes) == [i.nome for i in curso.itens], f"{nome}: tests {list(testes)}")
        for t in dados["tests"]:
            espera(set(t) >= {"name", "score", "max_score", "status", "output"} and t["max_score"] == 10
                   and t["status"] == ("passed" if t["score"] >= 10 else "failed"), f"{nome}: test {t['name']}")
        espera(abs(sum(t["score"] for t in dados["tests"]) - dados["score"]) < 0.05, f"{nome}: score is not the sum")
        espera(isinstance(dados.get("execution_time"), int) and "output" in dados, f"{nome}: no time or output")
        notas[nome] = {k: t["score"] for k, t in testes.items()}
        textos[nome] = json.dumps(dados, ensure_ascii=False) + "\n" + "\n".join(t["output"] for t in dados["tests"])
    confere_notas({{"completo": "Ana Completa", "nada": "Nádia Nada"}.get(k, k): v for k, v in notas.items()},
                  {k: v for k, v in alunos.items()}, curso)
    confere_textos(textos, segredos(raiz))


if __name__ == "__main__":
    if sys.argv[1] == "--gradescope":
        gradescope(sys.argv[2], sys.argv[3])
    else:
        turma(*sys.argv[1:4])
    for f in falhas:
        print(f)
    print(f"{len(falhas)} fault(s)")
    sys.exit(1 if falhas else 0)
