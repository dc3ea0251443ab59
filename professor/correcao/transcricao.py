"""Reads a transcript file the way clitest does: a line "$ command" starts a
test, the lines after it are its expected output (standard output and error
together), and a line with the prompt alone closes it. A command may carry its
expected output inline, after "#=> ", with clitest's options (--lines,
--exit, --egrep, --regex/--perl, --file, --eval, --text). A trailing
"# dica: text" on a command is its hint; a command without one is setup."""
import re
from dataclasses import dataclass

PROMPT = "$ "
INLINE = "#=> "


@dataclass
class Teste:
    numero: int
    linha: int
    comando: str
    modo: str  # output, text, lines, exit, egrep, regex, file, eval
    esperado: str  # the expected text, or the inline option's argument
    dica: str

    @property
    def preparo(self):
        return not self.dica

    @property
    def sem_dica(self):
        """The command as a reader may type it, without its hint."""
        return re.sub(r"\s*#\s*dica:.*$", "", self.comando)


def _dica(comando):
    m = re.search(r"#\s*dica:\s*(.*)$", comando)
    return m.group(1).strip() if m else ""


def le(texto):
    """The tests of a transcript, numbered from 1 as clitest numbers them."""
    testes = []
    atual = None

    def fecha():
        nonlocal atual
        if atual is not None:
            testes.append(atual)
            atual = None

    linhas = texto.split("\n")
    if texto.endswith("\n"):
        linhas.pop()  # what follows the last line end is no line
    for n, linha in enumerate(linhas, 1):
        linha = linha[:-1] if linha.endswith("\r") else linha
        if linha in ("$", "$ "):
            fecha()
        elif linha.startswith(PROMPT):
            fecha()
            comando = linha[len(PROMPT):]
            numero = len(testes) + 1
            if INLINE in comando:
                inline = comando[comando.rindex(INLINE) + len(INLINE):]
                comando = comando[:comando.rindex(INLINE)]
                modo = "text"
                for opcao in ("egrep", "regex", "perl", "file", "lines", "exit", "eval", "text"):
                    if inline.startswith(f"--{opcao} "):
                        modo, inline = ("regex" if opcao == "perl" else opcao), inline[len(opcao) + 3:]
                        break
                testes.append(Teste(numero, n, comando, modo, inline, _dica(comando)))
            else:
                atual = Teste(numero, n, comando, "output", "", _dica(comando))
        elif atual is not None:
            atual.esperado += linha + "\n"
    fecha()
    return testes
