"""The sandbox a student's code runs in, and the shell that runs commands there.

Each sandbox is a bubblewrap container started by root: its own PID, network,
IPC and UTS namespaces and a private mount namespace showing only the system
directories (read-only), a size-limited tmpfs for its work (/trabalho), empty
private /tmp, /var/tmp and /dev/shm, the course's programs (/curso, read-only)
and, read-only, what the grader hands it (/fonte, the student's files). It
runs as a user id claimed for it alone, which owns nothing outside, with
PATH, HOME and LC_ALL only, descriptors 0, 1 and 2 only, no new privileges,
in a cgroup bounding its memory, processes and CPU, with process, file-size
and core limits as well.

Commands go one at a time to a shell (dash, as clitest's own) running there
as the sandbox's user. It reads each command from a FIFO named in the
previous one and writes the command's output into a FIFO, and its status into
another, each made for that command alone with a name drawn at random when it
is sent, in a folder it can neither list nor change. The shell itself runs
from an unreadable copy with dumping turned off, so the student's processes
can neither trace it nor read its memory or descriptors. The grader reads
those FIFOs as data and compares outside; it never reads back a file the
sandbox could write. Killing the bwrap monitor kills the PID namespace, and
its init reaps everything left in it.

Where bubblewrap cannot create namespaces (a container that forbids them),
"reduzido" runs the same shell as the claimed user in a private folder, with
the process limits and no namespaces: weaker, and said so in every report."""
import fcntl
import os
import secrets
import select
import shutil
import signal
import subprocess
import time

IDS = "/run/aulas-correcao/ids"  # root-only: which sandbox user ids are taken
REDUZIDAS = "/run/aulas-correcao/caixas"  # where sandboxes without namespaces live
PRIMEIRO_ID, QUANTOS_IDS = 70000, 1000  # beyond the ids of people and of tests/roteiro.sh
MEMORIA = 1536 * 2**20  # ThreadSanitizer and valgrind need room
PROCESSOS = 256
DISCO = {"/trabalho": 160 * 2**20, "/tmp": 64 * 2**20, "/var/tmp": 16 * 2**20, "/dev/shm": 16 * 2**20}
SAIDA_MAXIMA = 256 * 1024  # bytes kept of one command's output

# The shell's loop: a line per command, "NEXT OUT STATUS COMMAND", the three
# names being files in /canal. The command runs as clitest runs it, with eval
# in this shell, so that variables, functions and the folder carry over.
LACO = r'''
__n=CANAL/c0
while IFS= read -r __l < "$__n"; do
    __n=CANAL/${__l%% *}; __l=${__l#* }
    __o=CANAL/${__l%% *}; __l=${__l#* }
    __s=CANAL/${__l%% *}; __l=${__l#* }
    eval "$__l" < /dev/null > "$__o" 2>&1
    echo "$?" > "$__s"
done
'''
# Dumping off, then the shell from a copy the user cannot read: the kernel keeps
# it undumpable, while every program it starts is dumpable again (strace works).
INDUMPAVEL = ("import ctypes, os, signal, sys; ctypes.CDLL(None).prctl(4, 0, 0, 0, 0); "
              "signal.signal(signal.SIGPIPE, signal.SIG_DFL); signal.signal(signal.SIGXFSZ, signal.SIG_DFL); "
              "os.execv(sys.argv[1], sys.argv[1:])")


def _escreve(caminho, texto):
    with open(caminho, "w") as f:
        f.write(texto)


class Cgroup:
    """A cgroup of its own for one sandbox, v2 or v1; None where neither works."""

    def __init__(self, nome):
        self.pastas = []
        if os.path.exists("/sys/fs/cgroup/cgroup.controllers"):
            base = "/sys/fs/cgroup/aulas-correcao"
            os.makedirs(base, exist_ok=True)
            try:
                _escreve("/sys/fs/cgroup/cgroup.subtree_control", "+memory +pids +cpu")
                _escreve(f"{base}/cgroup.subtree_control", "+memory +pids +cpu")
            except OSError:
                pass
            pasta = f"{base}/{nome}"
            os.mkdir(pasta)
            self.pastas = [pasta]
            self.v2 = True
            _escreve(f"{pasta}/memory.max", str(MEMORIA))
            _escreve(f"{pasta}/pids.max", str(PROCESSOS))
            _escreve(f"{pasta}/cpu.max", "100000 100000")
        else:
            self.v2 = False
            for controle, valores in (("memory", {"memory.limit_in_bytes": MEMORIA}),
                                      ("pids", {"pids.max": PROCESSOS}),
                                      ("cpu", {"cpu.cfs_period_us": 100000, "cpu.cfs_quota_us": 100000})):
                pasta = f"/sys/fs/cgroup/{controle}/aulas-correcao/{nome}"
                os.makedirs(pasta)
                self.pastas.append(pasta)
                for arquivo, valor in valores.items():
                    _escreve(f"{pasta}/{arquivo}", str(valor))

    def entra(self):
        """The shell line that moves a process into this cgroup."""
        return "; ".join(f"echo $$ > {p}/cgroup.procs" for p in self.pastas)

    def mata(self):
        for _ in range(100):
            vivos = []
            for pasta in self.pastas:
                try:
                    with open(f"{pasta}/cgroup.procs") as f:
                        vivos += [int(p) for p in f.read().split()]
                except OSError:
                    pass
            if not vivos:
                break
            if self.v2 and os.path.exists(f"{self.pastas[0]}/cgroup.kill"):
                _escreve(f"{self.pastas[0]}/cgroup.kill", "1")
            for pid in vivos:
                try:
                    os.kill(pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
            time.sleep(0.02)

    def remove(self):
        self.mata()
        for pasta in self.pastas:
            for _ in range(50):
                try:
                    os.rmdir(pasta)
                    break
                except FileNotFoundError:
                    break
                except OSError:
                    time.sleep(0.02)


def _sem_processos(uid):
    """No living process has this user id (zombies, which nothing may ever
    reap here, do not count)."""
    for pid in os.listdir("/proc"):
        if pid.isdigit():
            try:
                if os.stat(f"/proc/{pid}").st_uid == uid:
                    with open(f"/proc/{pid}/stat") as f:
                        if f.read().rsplit(")", 1)[1].split()[0] != "Z":
                            return False
            except (OSError, IndexError):
                pass
    return True


def reserva_id():
    """Claims a user id no other sandbox holds, in a root-only folder, with a
    bounded search: a claim is a folder made with mkdir, which only one
    grader can make; a stale claim (its grader gone, no process left with the
    id) is taken back."""
    os.makedirs(IDS, mode=0o700, exist_ok=True)
    os.chmod(os.path.dirname(IDS), 0o711)
    os.chmod(IDS, 0o700)
    os.makedirs(REDUZIDAS, mode=0o711, exist_ok=True)
    inicio = secrets.randbelow(QUANTOS_IDS)
    for i in range(QUANTOS_IDS):
        uid = PRIMEIRO_ID + (inicio + i) % QUANTOS_IDS
        marca = f"{IDS}/{uid}"
        try:
            os.mkdir(marca, 0o700)
        except FileExistsError:
            try:
                with open(f"{marca}/dono") as f:
                    dono = int(f.read())
                os.kill(dono, 0)
                continue
            except (OSError, ValueError):
                if not _sem_processos(uid):
                    continue
                shutil.rmtree(marca, ignore_errors=True)
                try:
                    os.mkdir(marca, 0o700)
                except FileExistsError:
                    continue
        if not _sem_processos(uid):
            os.rmdir(marca)
            continue
        _escreve(f"{marca}/dono", str(os.getpid()))
        return uid
    raise RuntimeError("no free sandbox user id")


def libera_id(uid):
    shutil.rmtree(f"{IDS}/{uid}", ignore_errors=True)


def bwrap_funciona():
    try:
        r = subprocess.run(["bwrap", "--unshare-pid", "--unshare-net", "--ro-bind", "/", "/",
                            "--proc", "/proc", "--", "true"], capture_output=True, timeout=30)
        return r.returncode == 0
    except (OSError, subprocess.TimeoutExpired):
        return False


class Caixa:
    """One sandbox and its shell. `curso` is a folder of programs copied into
    the work folder at start; `fonte` a folder mounted read-only at /fonte."""

    def __init__(self, temporario, curso, fonte=None, modo="bwrap"):
        self.modo = modo
        self.uid = reserva_id()
        self.pasta = os.path.join(temporario if modo == "bwrap" else REDUZIDAS,
                                  f"caixa-{self.uid}-{secrets.token_hex(8)}")
        self.canal = os.path.join(self.pasta, "canal")
        os.makedirs(self.canal)
        shutil.copy(shutil.which("dash") or "/bin/sh", f"{self.canal}/sh")
        os.chmod(f"{self.canal}/sh", 0o711)
        os.chmod(self.canal, 0o711)
        self.cgroup = None
        try:
            self.cgroup = Cgroup(os.path.basename(self.pasta))
        except OSError:
            self.cgroup = None
        self.proximo = self._fifo("c0", 0o604)
        usuario = ["setpriv", f"--reuid={self.uid}", f"--regid={self.uid}", "--clear-groups",
                   "--no-new-privs", "--inh-caps=-all", "--bounding-set=-all"]
        limites = ["prlimit", f"--nproc={PROCESSOS}", f"--fsize={DISCO['/trabalho']}", "--core=0"]
        if modo == "bwrap":
            os.chmod(self.pasta, 0o700)
            self.dentro = {"canal": "/canal", "curso": "/curso", "fonte": "/fonte", "trabalho": "/trabalho"}
        else:
            # The grader's folders are root's alone; this one is passable, and
            # holds copies of what the sandbox may see.
            os.chmod(self.pasta, 0o711)
            self.dentro = {k: os.path.join(self.pasta, k) for k in ("canal", "curso", "fonte", "trabalho")}
            shutil.copytree(curso, self.dentro["curso"])
            if fonte:
                shutil.copytree(fonte, self.dentro["fonte"])
            for k in ("curso", "fonte"):
                if os.path.exists(self.dentro[k]):
                    os.chmod(self.dentro[k], 0o755)
            os.mkdir(self.dentro["trabalho"], 0o700)
            os.chown(self.dentro["trabalho"], self.uid, self.uid)
        shell = ["python3", "-c", INDUMPAVEL, f"{self.dentro['canal']}/sh", "-c",
                 LACO.replace("CANAL", self.dentro["canal"])]
        ambiente = {"PATH": "/usr/local/bin:/usr/bin:/bin", "HOME": self.dentro["trabalho"], "LC_ALL": "C.UTF-8"}
        if modo == "bwrap":
            montagens = ["--ro-bind", "/usr", "/usr", "--ro-bind", "/etc", "/etc"]
            for ligacao in ("bin", "lib", "lib32", "lib64", "libx32", "sbin"):
                if os.path.islink(f"/{ligacao}"):
                    montagens += ["--symlink", os.readlink(f"/{ligacao}"), f"/{ligacao}"]
                elif os.path.isdir(f"/{ligacao}"):
                    montagens += ["--ro-bind", f"/{ligacao}", f"/{ligacao}"]
            montagens += ["--proc", "/proc", "--dev", "/dev"]
            for lugar, tamanho in DISCO.items():
                montagens += ["--perms", "1777", "--size", str(tamanho), "--tmpfs", lugar]
            montagens += ["--ro-bind", self.canal, "/canal", "--ro-bind", curso, "/curso"]
            if fonte:
                montagens += ["--ro-bind", fonte, "/fonte"]
            comando = (["bwrap", "--unshare-pid", "--unshare-net", "--unshare-ipc", "--unshare-uts",
                        "--unshare-cgroup-try", "--die-with-parent", "--new-session", "--clearenv"]
                       + [x for k, v in ambiente.items() for x in ("--setenv", k, v)]
                       + montagens + ["--chdir", "/trabalho", "--"] + limites + usuario + shell)
            pasta_inicial = "/"
        else:
            comando = ["env", "-i"] + [f"{k}={v}" for k, v in ambiente.items()] + limites + usuario + shell
            pasta_inicial = self.dentro["trabalho"]
        entra = self.cgroup.entra() + "; " if self.cgroup else ""
        self.processo = subprocess.Popen(
            ["sh", "-c", entra + 'exec "$@"', "caixa"] + comando, stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, close_fds=True,
            env={"PATH": os.environ["PATH"]}, cwd=pasta_inicial, start_new_session=True)
        self.morta = False

    def _fifo(self, nome, modo):
        caminho = f"{self.canal}/{nome}"
        os.mkfifo(caminho)
        os.chmod(caminho, modo)
        return caminho

    def roda(self, comando, prazo):
        """Runs one command; returns (output, status), with status None when
        time ran out (the sandbox is then killed) or the shell is gone."""
        if self.morta:
            return b"", None
        limite = time.monotonic() + prazo
        nomes = [secrets.token_hex(16) for _ in range(3)]
        proximo = self._fifo(nomes[0], 0o604)
        saida_fifo = self._fifo(nomes[1], 0o602)
        status_fifo = self._fifo(nomes[2], 0o602)
        saida = os.open(saida_fifo, os.O_RDONLY | os.O_NONBLOCK)
        status = os.open(status_fifo, os.O_RDONLY | os.O_NONBLOCK)
        dados, resposta = bytearray(), bytearray()
        try:
            linha = f"{nomes[0]} {nomes[1]} {nomes[2]} {comando}\n".encode()
            if not self._envia(self.proximo, linha, limite):
                return bytes(dados), self._mata()
            while b"\n" not in resposta:
                resto = limite - time.monotonic()
                if resto <= 0 or self.processo.poll() is not None:
                    return bytes(dados[:SAIDA_MAXIMA]), self._mata()
                prontos, _, _ = select.select([saida, status], [], [], min(resto, 0.5))
                for fd in prontos:
                    pedaco = self._le(fd)
                    if fd == saida and len(dados) < SAIDA_MAXIMA * 2:
                        dados += pedaco
                    elif fd == status:
                        resposta += pedaco
            # The command is over: take what it left in the pipe, not what
            # its background processes write later.
            while True:
                pedaco = self._le(saida)
                if not pedaco:
                    break
                if len(dados) < SAIDA_MAXIMA * 2:
                    dados += pedaco
            try:
                codigo = int(resposta.split(b"\n")[0])
            except ValueError:
                codigo = 255
            return bytes(dados[:SAIDA_MAXIMA]), codigo
        finally:
            os.close(saida)
            os.close(status)
            for f in (self.proximo, saida_fifo, status_fifo):
                try:
                    os.unlink(f)
                except FileNotFoundError:
                    pass
            self.proximo = proximo

    @staticmethod
    def _le(fd):
        try:
            return os.read(fd, 65536)
        except BlockingIOError:
            return b""

    def _envia(self, fifo, linha, limite):
        while True:
            try:
                fd = os.open(fifo, os.O_WRONLY | os.O_NONBLOCK)
                break
            except OSError:  # no reader yet
                if time.monotonic() > limite or self.processo.poll() is not None:
                    return False
                time.sleep(0.005)
        try:
            fcntl.fcntl(fd, fcntl.F_SETFL, 0)
            os.write(fd, linha)
            return True
        except OSError:
            return False
        finally:
            os.close(fd)

    def _mata(self):
        if not self.morta:
            self.morta = True
            try:
                os.killpg(self.processo.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.processo.wait()
            if self.cgroup:
                self.cgroup.mata()
            if self.modo != "bwrap":
                # No PID namespace to end them all: every process of the
                # user, stopped first (a fork loop must not outrun it), then
                # killed, until none is left.
                for _ in range(100):
                    if _sem_processos(self.uid):
                        break
                    subprocess.run(["setpriv", f"--reuid={self.uid}", f"--regid={self.uid}", "--clear-groups",
                                    "sh", "-c", "kill -STOP -1; kill -KILL -1"], capture_output=True)
                    time.sleep(0.02)
        return None

    def fecha(self):
        self._mata()
        if self.cgroup:
            self.cgroup.remove()
        shutil.rmtree(self.pasta, ignore_errors=True)
        libera_id(self.uid)

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.fecha()
