// tempo_limite: runs a program with a deadline. An alarm whose handler is
// installed without SA_RESTART cuts the parent's waitpid short when the time
// is up; then the child gets SIGKILL, which it can neither catch nor ignore,
// and is reaped. Otherwise its status is passed on as the shell would give it.
// Statement: "Exercícios" in the notes of sinais.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

static volatile sig_atomic_t esgotou = 0;

static void alarme(int)
{
    esgotou = 1;
}

// Decimal digits only, from 1 to 3600; anything else gives 0.
static int segundos(const char *texto)
{
    int s = 0;
    for (const char *c = texto; *c != '\0'; c++) {
        if (*c < '0' || *c > '9')
            return 0;
        s = s * 10 + (*c - '0');
        if (s > 3600)
            return 0; // stops before it could overflow
    }
    return s;
}

int main(int argc, char *argv[])
{
    const int s = argc >= 3 ? segundos(argv[1]) : 0;
    if (s == 0) {
        puts("uso: ./tempo_limite S PROG [ARG...]   (S de 1 a 3600)");
        return 1;
    }

    struct sigaction acao = {};
    acao.sa_handler = alarme;
    sigemptyset(&acao.sa_mask);
    acao.sa_flags = 0; // no SA_RESTART: waitpid must come back when the alarm rings
    sigaction(SIGALRM, &acao, nullptr);

    const pid_t filho = fork();
    if (filho == -1)
        return 1;
    if (filho == 0) {
        execvp(argv[2], argv + 2);
        _exit(127); // never the parent's code below
    }

    // S is a second at least, far more than the way from here into waitpid.
    alarm(s);
    int status = 0;
    bool matou = false;
    while (waitpid(filho, &status, 0) == -1) {
        if (errno != EINTR)
            return 1;
        if (esgotou && !matou) {
            kill(filho, SIGKILL);
            matou = true; // and wait again: a killed child is still to be reaped
        }
    }
    alarm(0);
    if (matou) {
        puts("tempo esgotado");
        return 124;
    }
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}
