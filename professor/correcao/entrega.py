"""Takes from a submission only the student's own files, at their places,
without following links: each exercise's .cpp and each lesson's defeitos.md
(a clone of the student edition), or <name>.cpp and defeitos-<lesson>.md (a
flat folder). Only regular files of at most 256 KB; anything else, and a
missing file, is said in one line and scores 0."""
import errno
import os
import stat

MAXIMO = 256 * 1024


def _abre_pasta(fd, nome):
    return os.open(nome, os.O_RDONLY | os.O_DIRECTORY | os.O_NOFOLLOW | os.O_CLOEXEC, dir_fd=fd)


def le(base_fd, partes):
    """(bytes, None) or (None, why): the file at partes under base_fd."""
    fds = []
    try:
        fd = base_fd
        for parte in partes[:-1]:
            fd = _abre_pasta(fd, parte)
            fds.append(fd)
        arquivo = os.open(partes[-1], os.O_RDONLY | os.O_NOFOLLOW | os.O_NONBLOCK | os.O_CLOEXEC, dir_fd=fd)
    except OSError as e:
        caminho = "/".join(partes)
        if e.errno == errno.ENOENT:
            return None, f"o arquivo {caminho} não foi entregue"
        if e.errno in (errno.ELOOP, errno.ENOTDIR):
            return None, f"o caminho {caminho} passa por um link ou por algo que não é pasta; só arquivos comuns contam"
        return None, f"o arquivo {caminho} não pôde ser lido ({os.strerror(e.errno)})"
    finally:
        for f in fds:
            os.close(f)
    try:
        info = os.fstat(arquivo)
        caminho = "/".join(partes)
        if not stat.S_ISREG(info.st_mode):
            return None, f"{caminho} não é um arquivo comum; só arquivos comuns contam"
        if info.st_size > MAXIMO:
            return None, f"o arquivo {caminho} tem mais de 256 KB"
        dados = b""
        while len(dados) <= MAXIMO:
            pedaco = os.read(arquivo, 65536)
            if not pedaco:
                break
            dados += pedaco
        if len(dados) > MAXIMO:
            return None, f"o arquivo {caminho} tem mais de 256 KB"
        return dados, None
    finally:
        os.close(arquivo)


def arquivos(pasta, curso):
    """{item name: (bytes or None, why or None)} for every graded item."""
    try:
        base = os.open(pasta, os.O_RDONLY | os.O_DIRECTORY | os.O_NOFOLLOW | os.O_CLOEXEC)
    except OSError:
        motivo = "a pasta da entrega é um link ou não pôde ser aberta"
        return {i.nome: (None, motivo) for i in curso.itens}
    try:
        try:
            os.close(_abre_pasta(base, "material"))
            clone = True
        except OSError:
            clone = False
        lidos = {}
        for item in curso.itens:
            if clone:
                arquivo = "defeitos.md" if item.caca else f"{item.nome}.cpp"
                partes = ["material", "aulas", item.licao, "exercicios", arquivo]
            else:
                partes = [f"{item.nome}.md" if item.caca else f"{item.nome}.cpp"]
            lidos[item.nome] = le(base, partes)
        return lidos
    finally:
        os.close(base)
