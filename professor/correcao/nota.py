"""Grades one exercise or one lesson's hunt of one student, in sandboxes, and
says it as records: a first one for the item (its points, of 10), then one
per command or per broken copy. Everything the reports say comes from them."""
import hashlib
import hmac
import os
import random
import re
import shutil
import string
import subprocess
import tempfile
import threading
import time
import concurrent.futures

import caixa
import curso as curso_mod
import transcricao

PUBLICO, OCULTO = 7.0, 3.0  # an exercise's 10 points
PREPARO = "cd {trabalho} && mkdir -p bin rascunho && cp -p {curso}/* bin/ && cd bin"
# Hidden cases start afresh, beside copies of the programs alone.
RECOMECO = ("cd {trabalho} && rm -rf oculto && mkdir oculto && "
            "find bin -maxdepth 1 -type f -perm -u+x -exec cp -p {{}} oculto/ \\; && cd oculto")
MINIMO = 20.0  # seconds: no limit is shorter, however fast the reference


def compara(teste, saida, status, caixa_aberta, prazo):
    """Did a command's output (and status) match what its test expects?"""
    if teste.modo == "output":
        return saida == teste.esperado.encode()
    if teste.modo == "text":
        return saida == (teste.esperado + "\n").encode()
    if teste.modo == "lines":
        n = saida.count(b"\n") + (1 if saida and not saida.endswith(b"\n") else 0)
        return teste.esperado.isdigit() and n == int(teste.esperado)
    if teste.modo == "exit":
        return teste.esperado.isdigit() and status == int(teste.esperado)
    if teste.modo in ("egrep", "regex"):
        # Outside the sandbox, on the output as data; a pattern is never code
        # (Perl refuses (?{...}) in a pattern read at run time).
        programa = (["grep", "-E", "-q", "--", teste.esperado] if teste.modo == "egrep" else
                    ["perl", "-0777", "-ne", "BEGIN { $p = shift } exit(!/$p/)", teste.esperado])
        try:
            return subprocess.run(programa, input=saida, capture_output=True, timeout=10).returncode == 0
        except (OSError, subprocess.TimeoutExpired):
            return False
    if teste.modo in ("file", "eval"):
        comando = f"cat -- '{teste.esperado}'" if teste.modo == "file" else teste.esperado
        outra, _ = caixa_aberta.roda(comando, prazo)
        return outra is not None and outra == saida
    return False


def trecho(dados, linhas=20, tamanho=2048):
    """What came, as a reader may see it: at most 20 lines or 2 KB, with no
    control characters but the line end and tab."""
    texto = dados[:tamanho].decode("utf-8", "replace")
    partes = texto.split("\n")
    cortado = len(partes) > linhas + 1 or len(dados) > tamanho
    texto = "\n".join(partes[:linhas])
    texto = "".join(c if c in "\n\t" or (c.isprintable() and ord(c) != 0x7f) else "�" for c in texto)
    return texto + ("\n[…]" if cortado else "")


# ---- hidden cases ---------------------------------------------------------

MARCA = re.compile(r"\{\{(\w+)(?::([a-z]+)((?::[^:}]*)*))?\}\}")


def semente(segredo, aluno, nome):
    return hmac.new(segredo, f"{aluno}\0{nome}".encode(), hashlib.sha256).digest()


def instancia(texto, semente_):
    """A hidden case file with its marks drawn: {{x:int:A:B}}, {{x:palavra:A:B}}
    (letters and digits), {{x:escolha:a:b:c}}; {{x}} again is the same value."""
    gerador = random.Random(semente_)
    valores = {}

    def troca(m):
        nome, tipo, args = m.group(1), m.group(2), (m.group(3) or "")[1:].split(":")
        if tipo is None:
            return valores[nome]
        if tipo == "int":
            v = str(gerador.randint(int(args[0]), int(args[1])))
        elif tipo == "palavra":
            v = "".join(gerador.choice(string.ascii_lowercase + string.digits)
                        for _ in range(gerador.randint(int(args[0]), int(args[1]))))
        elif tipo == "escolha":
            v = gerador.choice(args)
        else:
            raise ValueError(f"unknown mark {m.group(0)}")
        valores[nome] = v
        return v

    return MARCA.sub(troca, texto)


# ---- running a transcript ---------------------------------------------------

def roda(c, testes, prazos, fim, pular=(), primeira_falha=False):
    """Runs the tests in the sandbox c, each within its own limit and the
    item's end; returns [(test, output, status, passed, seconds)]. With
    primeira_falha, stops after the first test that fails."""
    resultados = []
    for i, t in enumerate(testes):
        if t.numero in pular:
            continue
        prazo = min(prazos[i] if i < len(prazos) else MINIMO, fim - time.monotonic())
        inicio = time.monotonic()
        saida, status = c.roda(t.comando, max(prazo, 0.1)) if prazo > 0 else (b"", None)
        passou = status is not None and compara(t, saida, status, c, max(fim - time.monotonic(), 1))
        resultados.append((t, saida, status, passou, time.monotonic() - inicio))
        if primeira_falha and not passou:
            break
    return resultados


def _fonte_na_caixa(temporario, nome, conteudo):
    pasta = tempfile.mkdtemp(dir=temporario)
    with open(os.path.join(pasta, f"{nome}.cpp"), "wb") as f:
        f.write(conteudo)
    os.chmod(pasta, 0o755)
    os.chmod(os.path.join(pasta, f"{nome}.cpp"), 0o644)
    return pasta


def _programas(temporario, construido, extras):
    """A folder with the course's programs and, in their place or beside
    them, the given files: what a sandbox copies into its bin folder."""
    pasta = tempfile.mkdtemp(dir=temporario)
    copias = [(os.path.join(construido, "bin", p), p) for p in os.listdir(os.path.join(construido, "bin"))]
    for origem, nome in copias + extras:
        shutil.copy(origem, os.path.join(pasta, nome))
        # Readable by the sandbox's user whatever the source's mode (Gradescope's
        # setup makes the whole course root's alone).
        os.chmod(os.path.join(pasta, nome), 0o755)
    os.chmod(pasta, 0o755)
    return pasta


class Avaliador:
    """Grades items against one built course; prazos holds each item's and
    each command's reference times once measured (None: no limit but the
    generous defaults, for measuring)."""

    def __init__(self, curso, construido, temporario, segredo, modo="bwrap", prazos=None, juntos=1):
        self.curso, self.construido, self.temporario = curso, construido, temporario
        self.segredo, self.modo, self.prazos = segredo, modo, prazos or {}
        # The reference was timed as one student's items are graded; N
        # students at once load the machine about N times as much.
        self.vezes = 3 * max(juntos, 1)
        self.esperados, self.trava = {}, threading.Lock()

    def _limites(self, chave, n):
        """Each command's limit: three times the reference's, and some."""
        medidos = self.prazos.get(chave)
        if not medidos:
            return [120.0] * n
        return [max(self.vezes * s + 5, MINIMO) for s in medidos] + [MINIMO] * max(0, n - len(medidos))

    def _fim(self, chave, inicio):
        total = self.prazos.get(f"{chave}:total")
        return inicio + (max(self.vezes * total, 30.0) if total else 3600)

    # -- exercises

    def exercicio(self, item, fonte, aluno, referencia=False, inicial=False):
        """fonte: the student's file's bytes, or None when missing. With
        referencia or inicial, the course's own build stands in for it (the
        grading run's proof)."""
        inicio = time.monotonic()
        nome = item.nome
        publico = transcricao.le(open(self.curso.verificacao(nome)).read())
        ocultos = self.ocultos(nome, aluno)
        cabeca = {"item": nome, "tipo": "exercicio", "max": 10.0, "segundos": 0.0,
                  "ocultos": sum(1 for t in ocultos if not t.preparo)}
        if fonte is None and not (referencia or inicial):
            return [dict(cabeca, pontos=0.0, aviso="arquivo ausente")]
        tsan = self.curso.usa_tsan(nome)
        fim = self._fim(nome, inicio)
        registros = []
        # The sanitizer runner beside the programs, where the check runs it.
        extras = []
        if "sanitizado.sh" in open(self.curso.verificacao(nome)).read():
            extras.append((os.path.join(self.curso.raiz, "tests", "sanitizado.sh"), "sanitizado.sh"))
        if referencia or inicial:
            pasta = "referencia" if referencia else "inicial"
            extras.append((os.path.join(self.construido, pasta, nome), nome))
            if tsan:
                extras.append((os.path.join(self.construido, pasta, f"{nome}-tsan"), f"{nome}-tsan"))
            programas, fontes = _programas(self.temporario, self.construido, extras), None
        else:
            programas = _programas(self.temporario, self.construido, extras)
            fontes = _fonte_na_caixa(self.temporario, nome, fonte)
        try:
            with caixa.Caixa(self.temporario, programas, fontes, self.modo) as c:
                saida, status = c.roda(PREPARO.format(**c.dentro), 60)
                if status != 0:
                    return [dict(cabeca, pontos=0.0, aviso="a caixa de areia não começou", veio=trecho(saida))]
                if fontes:
                    arquivo = f"{c.dentro['fonte']}/{nome}.cpp"
                    compilar = " ".join(["g++", *curso_mod.FLAGS, arquivo, "-o", nome])
                    if tsan:
                        compilar += " && " + " ".join(["g++", *curso_mod.FLAGS, *curso_mod.TSAN, arquivo,
                                                        "-o", f"{nome}-tsan"])
                    saida, status = c.roda(compilar, 180)
                    if status != 0:
                        return [dict(cabeca, pontos=0.0, aviso="não compila", veio=trecho(saida, 15))]
                feitos = roda(c, publico, self._limites(nome, len(publico)), fim)
                parou = next((r for r in feitos if r[0].preparo and not r[3]), None)
                for t, saida, status, passou, segundos in feitos:
                    registros.append({"tipo": "publico", "n": t.numero, "passou": passou, "dica": t.dica,
                                      "comando": t.sem_dica, "esperado": t.esperado, "veio": trecho(saida),
                                      "preparo": t.preparo, "segundos": round(segundos, 2),
                                      "estourou": status is None})
                    if t is (parou[0] if parou else None):
                        break
                if ocultos and not parou:
                    c.roda(RECOMECO.format(**c.dentro), 60)
                    feitos = roda(c, ocultos, self._limites(f"{nome}:ocultos", len(ocultos)), fim)
                    esperado = self.esperados_ocultos(nome, aluno) if not referencia else None
                    for i, (t, saida, status, passou, segundos) in enumerate(feitos):
                        if esperado is not None:
                            passou = status is not None and i < len(esperado) and esperado[i] is not None \
                                and saida == esperado[i]
                        elif t.preparo:
                            passou = status is not None and saida == b""
                        registros.append({"tipo": "oculto", "n": t.numero, "passou": passou, "dica": t.dica,
                                          "preparo": t.preparo, "saida": saida.hex() if referencia else None,
                                          "segundos": round(segundos, 2), "estourou": status is None})
                        if t.preparo and not passou:
                            break
        finally:
            shutil.rmtree(programas, ignore_errors=True)
            if fontes:
                shutil.rmtree(fontes, ignore_errors=True)
        cabeca["segundos"] = round(time.monotonic() - inicio, 2)
        if parou:
            cabeca["aviso"] = f"o comando de preparo #{parou[0].numero} falhou; o resto da verificação vale 0"
        return [cabeca] + registros

    def ocultos(self, nome, aluno):
        caminho = self.curso.ocultos(nome)
        if not os.path.exists(caminho):
            return []
        texto = instancia(open(caminho).read(), semente(self.segredo, aluno, nome))
        return transcricao.le(texto)

    def esperados_ocultos(self, nome, aluno, de_novo=False):
        """The reference's outputs on this student's hidden cases: what the
        student's program must print (run once per student and exercise,
        unless de_novo)."""
        with self.trava:
            guardado = self.esperados.get((nome, aluno))
        if guardado is not None and not de_novo:
            return guardado
        registros = self.exercicio(curso_mod.Item("", nome), None, aluno, referencia=True)
        saidas = [bytes.fromhex(r["saida"]) if r.get("saida") is not None and not r["estourou"] else None
                  for r in registros if r.get("tipo") == "oculto"]
        with self.trava:
            self.esperados[(nome, aluno)] = saidas
        return saidas

    # -- hunts

    def caca(self, item, texto):
        """texto: the student's transcripts (None when the file is missing)."""
        inicio = time.monotonic()
        licao = item.licao
        copias = [c for c, _, _ in self.curso.copias(licao)]
        programa_de = {c: p for c, p, _ in self.curso.copias(licao)}
        cabeca = {"item": item.nome, "tipo": "caca", "max": 10.0}
        if texto is None:
            return [dict(cabeca, pontos=0.0, aviso="arquivo ausente")] + \
                   [{"tipo": "copia", "copia": c, "pego": False, "por": None} for c in copias]
        testes = transcricao.le(texto)
        fim = self._fim(item.nome, inicio)
        limites = [60.0] * len(testes)  # the first run sets each command's limit for the others

        def uma_vez(copia, pular=(), primeira_falha=False):
            # Each run alike: the same names, file times and environment, a
            # fresh filesystem; the programs salted, so that no run can be
            # told from another by a checksum of a whole file.
            extras = []
            if copia:
                extras.append((os.path.join(self.construido, "copias", copia, programa_de[copia]), programa_de[copia]))
            programas = _programas(self.temporario, self.construido, extras)
            for p in os.listdir(programas):
                with open(os.path.join(programas, p), "ab") as f:
                    f.write(bytes(random.randrange(128, 256) for _ in range(32)))
                os.utime(os.path.join(programas, p), (1767225600, 1767225600))
            try:
                with caixa.Caixa(self.temporario, programas, None, self.modo) as c:
                    if c.roda(PREPARO.format(**c.dentro), 60)[1] != 0:
                        return None
                    return roda(c, testes, limites, fim, pular, primeira_falha)
            finally:
                shutil.rmtree(programas, ignore_errors=True)

        registros = []
        primeira = uma_vez(None) if testes else []
        validos = {t.numero for t, _, _, passou, _ in (primeira or []) if passou}
        tempos = {t.numero: s for t, *_, s in (primeira or [])}
        limites[:] = [3 * tempos.get(t.numero, 0) + 5 for t in testes]
        pular = {t.numero for t in testes} - validos
        with concurrent.futures.ThreadPoolExecutor(2) as grupo:  # two copies at a time
            rodadas = dict(zip(copias, grupo.map(lambda c: uma_vez(c, pular, True) if validos else None, copias)))
        segunda = uma_vez(None, pular) if validos else []
        confirmados = {t.numero for t, _, _, passou, _ in (segunda or []) if passou} & validos
        for t, saida, status, passou, _ in (primeira or []):
            if t.numero not in confirmados:
                registros.append({"tipo": "invalida", "n": t.numero, "comando": t.comando,
                                  "esperado": t.esperado, "veio": trecho(saida),
                                  "motivo": "falha nos programas certos" if not passou else
                                  "deu resultados diferentes em duas rodadas nos programas certos"})
        for copia in copias:
            rodada = rodadas.get(copia) or []
            por = next((t.numero for t, _, _, passou, _ in rodada if t.numero in confirmados and not passou), None)
            registros.append({"tipo": "copia", "copia": copia, "pego": por is not None, "por": por})
        cabeca["segundos"] = round(time.monotonic() - inicio, 2)
        cabeca["transcricoes"] = len(testes)
        cabeca["validas"] = len(confirmados)
        return [cabeca] + registros


def pontua(registros, falham_no_inicial):
    """Puts the points on an item's records: an exercise's public share over
    the hinted commands the starting file fails, its hidden share over its
    hidden cases; a hunt's 10 over its copies. Points stay unrounded."""
    cabeca, resto = registros[0], registros[1:]
    if cabeca["tipo"] == "caca":
        copias = [r for r in resto if r["tipo"] == "copia"]
        for r in copias:
            r["vale"] = 10.0 / len(copias) if copias else 0.0
            r["pontos"] = r["vale"] if r["pego"] else 0.0
    else:
        publicos = [r for r in resto if r["tipo"] == "publico"]
        validos = falham_no_inicial or set()
        ocultos = [r for r in resto if r["tipo"] == "oculto" and not r.get("preparo")]
        for r in publicos:
            r["vale"] = PUBLICO / len(validos) if r["n"] in validos else 0.0
            r["pontos"] = r["vale"] if r["passou"] else 0.0
        total_ocultos = cabeca.get("ocultos", len(ocultos))
        for r in ocultos:
            r["vale"] = OCULTO / total_ocultos if total_ocultos else 0.0
            r["pontos"] = r["vale"] if r["passou"] else 0.0
    if "aviso" in cabeca and cabeca["aviso"] in ("arquivo ausente", "não compila", "a caixa de areia não começou"):
        cabeca["pontos"] = 0.0
    else:
        cabeca["pontos"] = sum(r.get("pontos", 0.0) for r in resto)
    return registros
