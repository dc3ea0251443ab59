"""Grading a class, or one submission, with the teacher's checks.

Before any student, a grading run builds the course and proves itself on the
course's own files: every reference solution earns every point, public and
hidden, the same hidden outputs twice; every starting file fails every hidden
case; the hunts' answers catch every copy and the templates none. That run
also measures the reference times that bound each student's items, and says
which public commands the starting files already pass (worth nothing). It is
kept, with the build, for as long as nothing of the course changes."""
import concurrent.futures
import hashlib
import json
import os
import re
import secrets
import shutil
import subprocess
import sys
import threading
import time

import caixa
import curso as curso_mod
import entrega
import nota
import relatorio

PROVA = "prova"  # the seed name of the grading run's own proof
# Items of one student graded at once, in the proof (which times the
# reference) as in grading, so that the limits hold as they were measured.
JUNTOS = 3


class ProvaFalhou(Exception):
    pass


def segredo(raiz):
    """The teacher's secret that, with a student's name, draws their hidden
    inputs: made once, kept beside the answers, never committed."""
    caminho = os.path.join(raiz, "professor", ".segredo")
    if not os.path.exists(caminho):
        fd = os.open(caminho, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o600)
        os.write(fd, secrets.token_hex(32).encode())
        os.close(fd)
    return open(caminho, "rb").read().strip()


class Correcao:
    """The course, built and proven, ready to grade. The build and the proof
    are kept in the cache (root's alone), one per version of the course."""

    def __init__(self, raiz, trabalho, modo="bwrap", aviso=print, cache=None, erradas=False, alunos=1):
        self.curso = curso_mod.Curso(raiz)
        self.trabalho = trabalho
        cache = cache or os.environ.get("AULAS_CACHE_CORRECAO", "/var/cache/aulas-correcao")
        for pasta in (trabalho, cache):
            os.makedirs(pasta, mode=0o700, exist_ok=True)
            os.chmod(pasta, 0o700)
        self.temporario = os.path.join(trabalho, "tmp")
        shutil.rmtree(self.temporario, ignore_errors=True)
        os.makedirs(self.temporario, mode=0o700)
        # The secret first: it decides the hidden inputs, so it is part of
        # the course's hash, and the first run must hash what later runs do.
        self.segredo = segredo(raiz)
        self.impressao = self.curso.impressao()
        self.modo = modo
        inicio = time.monotonic()
        pasta = os.path.join(cache, f"curso-{self.impressao[:16]}")
        if not os.path.exists(os.path.join(pasta, "pronto")):
            for velho in os.listdir(cache):
                if velho.startswith("curso-"):
                    shutil.rmtree(os.path.join(cache, velho), ignore_errors=True)
            aviso("compilando o curso: os programas, as cópias com defeito, as soluções e os arquivos iniciais")
        self.construido = self.curso.constroi(pasta)
        self.prova = self._prova(aviso, erradas)
        self.correcao = nota.Avaliador(self.curso, self.construido, self.temporario, self.segredo,
                                      self.modo, self.prova["prazos"], alunos)
        self.preparo = time.monotonic() - inicio

    def _prova(self, aviso, erradas=False):
        caminho = os.path.join(self.construido, f"prova-{self.modo}.json")
        if os.path.exists(caminho):
            prova = json.load(open(caminho))
            if prova.get("erradas") or not erradas:
                return prova
        aviso("provando a correção nas respostas e nos arquivos iniciais do curso (uma vez por versão do curso)")
        livre = nota.Avaliador(self.curso, self.construido, self.temporario, self.segredo, self.modo)
        falhas, prazos, falham = [], {}, {}

        def exercicio(item):
            solucao = open(os.path.join(self.curso.prof, "solucoes", f"{item.nome}.cpp"), "rb").read()
            inicial = open(os.path.join(self.curso.aula(item.licao), "exercicios", f"{item.nome}.cpp"), "rb").read()
            ref = livre.exercicio(item, solucao, PROVA)
            ini = livre.exercicio(item, inicial, PROVA)
            de_novo = livre.esperados_ocultos(item.nome, PROVA, de_novo=True)
            erros = [f"{item.nome}, solution: {r['tipo']} #{r['n']} fails: {r['veio'] if 'veio' in r else ''}"
                     for r in ref[1:] if not r["passou"]]
            erros += [f"{item.nome}: {ref[0]['aviso']}"] if ref[0].get("aviso") else []
            if None in de_novo or de_novo != livre.esperados_ocultos(item.nome, PROVA, de_novo=True):
                erros.append(f"{item.nome}: the hidden cases' outputs differ from run to run")
            erros += [f"{item.nome}, starting file: hidden #{r['n']} passes" for r in ini[1:]
                      if r["tipo"] == "oculto" and r["passou"] and not r["preparo"]]
            contam = {r["n"] for r in ini[1:] if r["tipo"] == "publico" and not r["passou"] and r["dica"]}
            if not contam:
                erros.append(f"{item.nome}: the starting file passes every public command")
            if erradas:
                erros += [e for e in grupo_erradas.map(lambda v: errada(item, solucao, v), variantes(item))
                          if e]
            tempos = {f"{item.nome}:total": ref[0]["segundos"],
                      item.nome: [r["segundos"] for r in ref[1:] if r["tipo"] == "publico"],
                      f"{item.nome}:ocultos": [r["segundos"] for r in ref[1:] if r["tipo"] == "oculto"]}
            return item, erros, tempos, sorted(contam)

        troca = os.path.join(self.curso.raiz, "tests", "troca.sh")

        def variantes(item):
            erros = os.path.join(self.curso.prof, "solucoes", f"{item.nome}.erros")
            if not os.path.exists(erros):
                return []
            return subprocess.run(["sh", troca, erros], capture_output=True, text=True, check=True).stdout.split()

        def errada(item, solucao, variante):
            """A wrong solution must lose points, and a lost command must
            show what the variant says its failure shows."""
            erros = os.path.join(self.curso.prof, "solucoes", f"{item.nome}.erros")
            mostra = subprocess.run(["sh", troca, erros, variante], capture_output=True, text=True).stdout.strip()
            fonte = subprocess.run(["sh", troca, erros, variante, "/dev/stdin", "-"], input=solucao,
                                   capture_output=True, check=True).stdout
            r = nota.pontua(livre.exercicio(item, fonte, PROVA), set(range(1, 1000)))
            perdidos = [x for x in r[1:] if x["tipo"] == "publico" and not x["passou"]]
            if not perdidos and not r[0].get("aviso"):
                return f"{item.nome}, wrong solution {variante}: loses nothing"
            texto = "\n".join(f"{x['comando']}\n{x['esperado']}\n{x['veio']}\n{x['dica']}" for x in perdidos)
            if mostra and mostra not in texto and mostra not in r[0].get("veio", ""):
                return f"{item.nome}, wrong solution {variante}: fails without showing \"{mostra}\""
            return None

        grupo_erradas = concurrent.futures.ThreadPoolExecutor(2)

        def caca(item):
            respostas = open(os.path.join(self.curso.prof, "solucoes", f"{item.nome}.md")).read()
            modelo = open(os.path.join(self.curso.aula(item.licao), "exercicios", "defeitos.md")).read()
            ref, ini = livre.caca(item, respostas), livre.caca(item, modelo)
            erros = [f"{item.nome}, answers: {r['copia']} got away" for r in ref[1:]
                     if r["tipo"] == "copia" and not r["pego"]]
            erros += [f"{item.nome}, template: {r['copia']} caught" for r in ini[1:]
                      if r["tipo"] == "copia" and r["pego"]]
            return item, erros, {f"{item.nome}:total": ref[0]["segundos"]}, None

        with concurrent.futures.ThreadPoolExecutor(JUNTOS) as grupo:
            tarefas = [grupo.submit(exercicio, i) for i in self.curso.exercicios]
            tarefas += [grupo.submit(caca, i) for i in self.curso.cacas]
            for t in tarefas:
                item, erros, tempos, contam = t.result()
                falhas += erros
                prazos.update(tempos)
                if contam is not None:
                    falham[item.nome] = contam
        if falhas:
            raise ProvaFalhou("\n".join(falhas))
        prova = {"prazos": prazos, "falham": falham, "erradas": erradas}
        relatorio.grava_json(caminho, prova)
        return prova

    def aluno(self, nome, arquivos, paralelo=JUNTOS):
        """{item: records}, points on; arquivos as entrega.arquivos gives them."""
        def um(item):
            dados, motivo = arquivos[item.nome]
            if dados is None:
                registros = [{"item": item.nome, "tipo": "caca" if item.caca else "exercicio", "max": 10.0,
                              "pontos": 0.0, "aviso": motivo}]
            elif item.caca:
                registros = self.correcao.caca(item, dados.decode("utf-8", "replace"))
            else:
                registros = self.correcao.exercicio(item, dados, nome)
            return item.nome, nota.pontua(registros, set(self.prova["falham"].get(item.nome, [])))

        # The longest first (by the reference's time), so that no long one
        # starts last; most of an item's time is spent waiting, not computing.
        itens = sorted(self.curso.itens, key=lambda i: -self.prova["prazos"].get(f"{i.nome}:total", 0))
        with concurrent.futures.ThreadPoolExecutor(paralelo) as grupo:
            feitos = dict(grupo.map(um, itens))
        return {i.nome: feitos[i.nome] for i in self.curso.itens}


def nome_de_arquivo(nome):
    limpo = re.sub(r"[^A-Za-z0-9._@+-]", "_", nome).lstrip(".")
    return limpo or "_"


def grava_resultados(pasta, resultados):
    """One small file per item: the item's record, then a line per command
    or copy."""
    os.makedirs(pasta, exist_ok=True)
    for item, registros in resultados.items():
        with open(os.path.join(pasta, f"{item}.jsonl"), "w", encoding="utf-8") as f:
            for r in registros:
                f.write(json.dumps(r, ensure_ascii=False) + "\n")


def le_resultados(pasta, curso):
    resultados = {}
    for item in curso.itens:
        with open(os.path.join(pasta, f"{item.nome}.jsonl"), encoding="utf-8") as f:
            resultados[item.nome] = [json.loads(l) for l in f if l.strip()]
    return resultados


def impressao_aluno(correcao, nome, arquivos):
    h = hashlib.sha256(correcao.impressao.encode() + b"\0" + nome.encode() + b"\0" + correcao.modo.encode())
    for item in correcao.curso.itens:
        dados, motivo = arquivos[item.nome]
        h.update(item.nome.encode() + b"\0" + (hashlib.sha256(dados).digest() if dados is not None else
                                                motivo.encode()) + b"\0")
    return h.hexdigest()


def corrige_turma(raiz, entregas, saida, paralelos=1, rol=None, modo="bwrap"):
    os.makedirs(saida, exist_ok=True)
    trabalho = os.path.join(saida, ".correcao")
    inicio = time.monotonic()
    correcao = Correcao(raiz, trabalho, modo, alunos=paralelos)
    if modo != "bwrap":
        print("AVISO: sem namespaces (bubblewrap não funciona aqui): a caixa de areia é reduzida.")
    nomes = rol or {}
    pastas = sorted(p for p in os.listdir(entregas) if not p.startswith("."))
    usados = {}
    trava = threading.Lock()
    feitos = [0]

    def um(pasta):
        t0 = time.monotonic()
        arquivo = nome_de_arquivo(pasta)
        if arquivo in usados and usados[arquivo] != pasta:
            arquivo += "-" + hashlib.sha256(pasta.encode()).hexdigest()[:6]
        usados[arquivo] = pasta
        arquivos = entrega.arquivos(os.path.join(entregas, pasta), correcao.curso)
        marca = impressao_aluno(correcao, pasta, arquivos)
        destino = os.path.join(trabalho, "alunos", arquivo)
        guardada = os.path.join(destino, "impressao")
        if os.path.exists(guardada) and open(guardada).read() == marca:
            situacao = "sem mudanças desde a última correção"
        else:
            shutil.rmtree(destino, ignore_errors=True)
            grava_resultados(destino, correcao.aluno(pasta, arquivos))
            with open(guardada, "w") as f:
                f.write(marca)
            situacao = f"{time.monotonic() - t0:.0f} s"
        resultados = le_resultados(destino, correcao.curso)
        mostrado = nomes.get(pasta, pasta)
        with open(os.path.join(saida, f"{arquivo}.md"), "w", encoding="utf-8") as f:
            f.write(relatorio.retorno(mostrado, correcao.curso, resultados,
                                      "A caixa de areia desta correção é reduzida." if modo != "bwrap" else None))
        with trava:
            feitos[0] += 1
            print(f"[{feitos[0]}/{len(pastas)}] {pasta}: {relatorio.decimal(relatorio.total(resultados))} "
                  f"de {10 * len(correcao.curso.itens)} ({situacao})", flush=True)
        return mostrado, resultados

    with concurrent.futures.ThreadPoolExecutor(paralelos) as grupo:
        turma = list(grupo.map(um, pastas))
    with open(os.path.join(saida, "notas.csv"), "w", encoding="utf-8") as f:
        f.write(relatorio.tabela(correcao.curso, turma))
    print(f"notas.csv e {len(turma)} arquivos de retorno em {saida} ({time.monotonic() - inicio:.0f} s)")


def le_rol(caminho):
    rol = {}
    for linha in open(caminho, encoding="utf-8"):
        linha = linha.strip()
        if linha and not linha.startswith("#") and ";" in linha:
            pasta, nome = linha.split(";", 1)
            rol[pasta.strip()] = nome.strip()
    return rol


def main(argv):
    import argparse
    p = argparse.ArgumentParser(prog="corrige.sh", description="Corrige uma turma.")
    p.add_argument("-j", type=int, default=1, help="quantos alunos corrigir ao mesmo tempo")
    p.add_argument("--rol", help="arquivo com linhas pasta;nome, o nome do aluno na escola")
    p.add_argument("--reduzido", action="store_true", help=argparse.SUPPRESS)
    p.add_argument("entregas")
    p.add_argument("saida")
    a = p.parse_args(argv)
    raiz = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
    modo = "reduzido" if a.reduzido or not caixa.bwrap_funciona() else "bwrap"
    try:
        corrige_turma(raiz, os.path.abspath(a.entregas), os.path.abspath(a.saida), max(1, a.j),
                      le_rol(a.rol) if a.rol else None, modo)
    except ProvaFalhou as e:
        print("A correção não passou na própria prova; nenhum aluno foi corrigido:\n" + str(e))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
