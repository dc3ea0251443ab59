"""What the grader needs of the course, built once per grading run without
CMake: the thirteen programs, every broken copy (from the clear changes, here
on the teacher's side), the reference solutions and the starting files; and
the list of what is graded, in the course's order."""
import concurrent.futures
import hashlib
import os
import shutil
import subprocess
from dataclasses import dataclass

# The course's flags, never -Werror: a warning costs a student nothing.
FLAGS = ["-std=c++20", "-Wall", "-Wextra", "-Wpedantic", "-g", "-pthread"]
TSAN = ["-O1", "-fsanitize=thread"]


@dataclass
class Item:
    licao: str
    nome: str  # an exercise's name, or "defeitos-<lesson>" for a hunt

    @property
    def caca(self):
        return self.nome.startswith("defeitos-")


class Curso:
    def __init__(self, raiz):
        self.raiz = os.path.abspath(raiz)
        self.prof = os.path.join(self.raiz, "professor")
        lista = [l.split() for l in open(os.path.join(self.prof, "exercicios.txt"))
                 if l.strip() and not l.startswith("#")]
        self.licoes = [l[0] for l in lista]
        self.exercicios = [Item(l[0], n) for l in lista for n in l[1:]]
        self.cacas = [Item(l, f"defeitos-{l}") for l in self.licoes]
        self.itens = self.exercicios + self.cacas

    def aula(self, licao):
        return os.path.join(self.raiz, "material", "aulas", licao)

    def verificacao(self, nome):
        return os.path.join(self.raiz, "tests", "exercicios", f"{nome}.txt")

    def ocultos(self, nome):
        return os.path.join(self.prof, "ocultos", f"{nome}.txt")

    def usa_tsan(self, nome):
        return f"{nome}-tsan" in open(self.verificacao(nome)).read()

    def programas(self, licao):
        pasta = self.aula(licao)
        return sorted(f[:-4] for f in os.listdir(pasta) if f.endswith(".cpp"))

    def copias(self, licao):
        """Each broken copy's name and its source, made in memory."""
        trocas = os.path.join(self.prof, "defeitos", f"{licao}.trocas")
        troca = os.path.join(self.raiz, "tests", "troca.sh")
        nomes = subprocess.run(["sh", troca, trocas], capture_output=True, text=True, check=True).stdout.split()
        for copia in nomes:
            programa = copia.rsplit("-", 1)[0]
            fonte = subprocess.run(["sh", troca, trocas, copia, os.path.join(self.aula(licao), f"{programa}.cpp"), "-"],
                                   capture_output=True, check=True).stdout
            yield copia, programa, fonte

    def impressao(self):
        """One hash over everything that decides a grade but the student's
        files: the course's sources, checks, hidden cases, answers and this
        grader."""
        h = hashlib.sha256()
        pastas = [os.path.join(self.raiz, p) for p in ("material", "tests", "professor")]
        for pasta in pastas:
            for raiz, dirs, arquivos in os.walk(pasta):
                dirs[:] = sorted(d for d in dirs if d != "__pycache__")
                for a in sorted(arquivos):
                    caminho = os.path.join(raiz, a)
                    h.update(os.path.relpath(caminho, self.raiz).encode() + b"\0")
                    with open(caminho, "rb") as f:
                        h.update(hashlib.sha256(f.read()).digest())
        return h.hexdigest()

    def constroi(self, destino):
        """Builds into destino: bin/ (the programs), copias/<copy>/ (each copy
        alone), referencia/ and inicial/ (each exercise, and its -tsan build
        where its check runs one). Returns destino; reuses it when built."""
        pronto = os.path.join(destino, "pronto")
        if os.path.exists(pronto):
            return destino
        shutil.rmtree(destino, ignore_errors=True)
        tarefas = []
        for licao in self.licoes:
            for p in self.programas(licao):
                tarefas.append((os.path.join(self.aula(licao), f"{p}.cpp"), None, f"bin/{p}", []))
            for copia, programa, fonte in self.copias(licao):
                tarefas.append((None, fonte, f"copias/{copia}/{programa}", []))
        for item in self.exercicios:
            origens = {"referencia": os.path.join(self.prof, "solucoes", f"{item.nome}.cpp"),
                       "inicial": os.path.join(self.aula(item.licao), "exercicios", f"{item.nome}.cpp")}
            for tipo, fonte in origens.items():
                tarefas.append((fonte, None, f"{tipo}/{item.nome}", []))
                if self.usa_tsan(item.nome):
                    tarefas.append((fonte, None, f"{tipo}/{item.nome}-tsan", TSAN))
        for _, _, saida, _ in tarefas:
            os.makedirs(os.path.join(destino, os.path.dirname(saida)), exist_ok=True)

        def compila(tarefa):
            arquivo, texto, saida, extra = tarefa
            entrada = ["-x", "c++", "-"] if texto is not None else [arquivo]
            r = subprocess.run(["g++", *FLAGS, *extra, *entrada, "-o", os.path.join(destino, saida)],
                               input=texto, capture_output=True)
            if r.returncode:
                raise RuntimeError(f"{saida} does not compile:\n{r.stderr.decode(errors='replace')}")

        with concurrent.futures.ThreadPoolExecutor(os.cpu_count() or 2) as grupo:
            list(grupo.map(compila, tarefas))
        open(pronto, "w").close()
        return destino
