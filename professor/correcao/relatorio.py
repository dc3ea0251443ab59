"""The reports, each made from the result records alone: the class table
(CSV), each student's feedback (Markdown, in Portuguese) and Gradescope's
results.json. A hidden case shows its hint only; nothing of the teacher's
answers is in any record."""
import csv
import io
import json
import re


def decimal(x):
    return f"{x:.2f}".replace(".", ",")


def total(resultados):
    return round(sum(r[0]["pontos"] for r in resultados.values()), 2)


def tabela(curso, turma):
    """turma: [(name shown, {item: records})] in order. The CSV's text."""
    saida = io.StringIO()
    escritor = csv.writer(saida, delimiter=";", lineterminator="\n")
    escritor.writerow(["aluno"] + [i.nome for i in curso.itens] + ["total"])
    for nome, resultados in turma:
        escritor.writerow([nome] + [decimal(resultados[i.nome][0]["pontos"]) for i in curso.itens]
                          + [decimal(total(resultados))])
    return saida.getvalue()


def cerca(texto):
    """A fence longer than any run of backquotes in the text."""
    maior = max((len(m) for m in re.findall(r"`+", texto)), default=0)
    return "`" * max(3, maior + 1)


def bloco(texto):
    f = cerca(texto)
    return f"{f}\n{texto.rstrip(chr(10))}\n{f}\n"


def _linha_simples(texto):
    return " ".join(texto.split())


def exercicio_md(registros):
    cabeca, resto = registros[0], registros[1:]
    partes = [f"## {cabeca['item']}: {decimal(cabeca['pontos'])} de 10\n"]
    if cabeca.get("aviso") == "não compila":
        partes.append("O arquivo não compila; a nota do exercício é 0. Os primeiros erros do compilador:\n")
        partes.append(bloco(cabeca.get("veio", "")))
        return "\n".join(partes)
    if cabeca.get("aviso") and cabeca["aviso"] != "não compila":
        partes.append(f"{cabeca['aviso'][0].upper() + cabeca['aviso'][1:]}.\n")
    publicos = [r for r in resto if r["tipo"] == "publico"]
    ocultos = [r for r in resto if r["tipo"] == "oculto" and not r.get("preparo")]
    if publicos or ocultos:
        ok = sum(1 for r in publicos if r["passou"] and r.get("vale"))
        contam = sum(1 for r in publicos if r.get("vale"))
        partes.append(f"Verificação pública: {ok} de {contam} comandos que valem pontos passaram "
                      f"({decimal(sum(r['pontos'] for r in publicos))} de 7). Casos do professor: "
                      f"{sum(1 for r in ocultos if r['passou'])} de {cabeca.get('ocultos', len(ocultos))} "
                      f"({decimal(sum(r['pontos'] for r in ocultos))} de 3).\n")
    for r in publicos:
        if r["passou"] or not (r.get("vale") or r.get("preparo")):
            continue
        titulo = "Comando de preparo que falhou" if r.get("preparo") else f"Comando #{r['n']} (perdeu {decimal(r['vale'])})"
        partes.append(f"### {titulo}\n")
        partes.append(bloco(f"$ {r['comando']}"))
        partes.append("Esperado:\n")
        partes.append(bloco(r["esperado"]))
        partes.append("Veio" + (" (o tempo acabou)" if r.get("estourou") else "") + ":\n")
        partes.append(bloco(r["veio"]))
        if r["dica"]:
            partes.append(f"Dica: {_linha_simples(r['dica'])}\n")
    if any(r["tipo"] == "oculto" and r.get("preparo") and not r["passou"] for r in resto):
        partes.append("- Um comando de preparo dos casos do professor falhou; os casos não rodaram.\n")
    for r in ocultos:
        if not r["passou"]:
            partes.append(f"- Caso do professor não passou" + (" (o tempo acabou)" if r.get("estourou") else "")
                          + f": {_linha_simples(r['dica'])}\n")
    return "\n".join(partes)


def caca_md(registros):
    cabeca, resto = registros[0], registros[1:]
    partes = [f"## {cabeca['item']}: {decimal(cabeca['pontos'])} de 10\n"]
    if cabeca.get("aviso"):
        partes.append(f"{cabeca['aviso'][0].upper() + cabeca['aviso'][1:]}.\n")
    else:
        partes.append(f"Transcrições: {cabeca.get('transcricoes', 0)}, das quais {cabeca.get('validas', 0)} "
                      "passam nos programas certos (as outras não contam).\n")
    partes.append("| cópia | resultado |\n|---|---|")
    for r in resto:
        if r["tipo"] == "copia":
            resultado = f"pega pela transcrição #{r['por']}" if r["pego"] else "escapou"
            partes.append(f"| {r['copia']} | {resultado} |")
    partes.append("")
    for r in resto:
        if r["tipo"] == "invalida":
            partes.append(f"### Transcrição #{r['n']}: não conta ({r['motivo']})\n")
            partes.append(bloco(f"$ {r['comando']}"))
            partes.append("Esperado:\n")
            partes.append(bloco(r["esperado"]))
            partes.append("Veio, nos programas certos:\n")
            partes.append(bloco(r["veio"]))
    return "\n".join(partes)


def retorno(nome, curso, resultados, aviso=None):
    """One student's feedback, in Portuguese."""
    partes = [f"# Correção: {nome}\n", f"Total: {decimal(total(resultados))} de {10 * len(curso.itens)}.\n"]
    if aviso:
        partes.append(f"{aviso}\n")
    for item in curso.itens:
        registros = resultados[item.nome]
        partes.append(caca_md(registros) if item.caca else exercicio_md(registros))
    return "\n".join(partes)


def gradescope(curso, resultados, segundos, aviso=None):
    """Gradescope's results.json, as a dict."""
    testes = []
    for item in curso.itens:
        registros = resultados[item.nome]
        pontos = registros[0]["pontos"]
        texto = caca_md(registros) if item.caca else exercicio_md(registros)
        testes.append({"name": item.nome, "score": round(pontos, 2), "max_score": 10,
                       "status": "passed" if pontos >= 10 else "failed", "output": texto,
                       "output_format": "text"})
    saida = f"Total: {decimal(total(resultados))} de {10 * len(curso.itens)}."
    if aviso:
        saida += "\n" + aviso
    return {"score": total(resultados), "execution_time": int(segundos), "output": saida,
            "output_format": "text", "tests": testes}


def grava_json(caminho, dados):
    with open(caminho, "w", encoding="utf-8") as f:
        json.dump(dados, f, ensure_ascii=False, indent=1)
