// Runs a command in one of the environments students meet in containers, for
// the tests of diagnostico.sh and sanitizado.sh: a system call refused as a
// container's seccomp profile refuses it, or orphans adopted by a process
// that reaps them, or by one that never does (a container without an init).
//   simula recusa-ptrace|recusa-personality|recolhe|nao-recolhe COMMAND [ARG...]
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__x86_64__)
#define ARQUITETURA AUDIT_ARCH_X86_64
#elif defined(__aarch64__)
#define ARQUITETURA AUDIT_ARCH_AARCH64
#else
#error "no seccomp architecture for this machine"
#endif

#define CARREGA(campo) BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, campo))
#define SE_IGUAL(valor, pula) BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, (valor), (pula), 0)
#define DEIXA BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW)
#define RECUSA BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (EPERM & SECCOMP_RET_DATA))

static bool instala(sock_filter *filtro, unsigned short tamanho)
{
    sock_fprog programa = {tamanho, filtro};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &programa) == 0;
}

// ptrace refused outright: what a container without CAP_SYS_PTRACE gets on
// kernels where Docker's profile still lists it.
static bool recusa_ptrace()
{
    sock_filter filtro[] = {
        CARREGA(arch), SE_IGUAL(ARQUITETURA, 1), DEIXA,
        CARREGA(nr), SE_IGUAL(SYS_ptrace, 1), DEIXA,
        RECUSA,
    };
    return instala(filtro, sizeof filtro / sizeof filtro[0]);
}

// personality allowed with the values Docker's default profile lets through
// (queries and the plain Linux personalities), refused with ADDR_NO_RANDOMIZE
// or anything else: setarch -R fails there.
static bool recusa_personality()
{
    sock_filter filtro[] = {
        CARREGA(arch), SE_IGUAL(ARQUITETURA, 1), DEIXA,
        CARREGA(nr), SE_IGUAL(SYS_personality, 1), DEIXA,
        CARREGA(args[0]),
        SE_IGUAL(0x0, 5), SE_IGUAL(0x8, 4), SE_IGUAL(0x20000, 3), SE_IGUAL(0x20008, 2),
        SE_IGUAL(0xffffffff, 1), RECUSA,
        DEIXA,
    };
    return instala(filtro, sizeof filtro / sizeof filtro[0]);
}

// The command runs as a child of this process, which adopts every orphan it
// leaves (a child subreaper) and reaps them, or only the command itself.
static int adota(char **comando, bool recolhe)
{
    if (prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0) {
        std::perror("simula: PR_SET_CHILD_SUBREAPER");
        return 125;
    }
    const pid_t filho = fork();
    if (filho < 0) {
        std::perror("simula: fork");
        return 125;
    }
    if (filho == 0) {
        execvp(comando[0], comando);
        std::perror(comando[0]);
        _exit(127);
    }
    int status = 0;
    for (;;) {
        int s = 0;
        const pid_t quem = recolhe ? wait(&s) : waitpid(filho, &s, 0);
        if (quem < 0 && errno == EINTR)
            continue;
        if (quem < 0)
            break;
        if (quem == filho) {
            status = s;
            break;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fputs("usage: simula recusa-ptrace|recusa-personality|recolhe|nao-recolhe COMMAND "
                   "[ARG...]\n", stderr);
        return 2;
    }
    const char *modo = argv[1];
    char **comando = argv + 2;
    if (std::strcmp(modo, "recolhe") == 0 || std::strcmp(modo, "nao-recolhe") == 0)
        return adota(comando, std::strcmp(modo, "recolhe") == 0);

    bool pronto = false;
    if (std::strcmp(modo, "recusa-ptrace") == 0)
        pronto = recusa_ptrace();
    else if (std::strcmp(modo, "recusa-personality") == 0)
        pronto = recusa_personality();
    else {
        std::fprintf(stderr, "simula: unknown mode %s\n", modo);
        return 2;
    }
    if (!pronto) {
        std::perror("simula: seccomp");
        return 125;
    }
    execvp(comando[0], comando);
    std::perror(comando[0]);
    return 127;
}
