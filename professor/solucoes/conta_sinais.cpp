// conta_sinais: counts the SIGINTs it receives and, at SIGTERM, says how many.
// The handlers only change two flags; main does the printing. Both signals
// stay blocked except inside sigsuspend, so none can slip in between the test
// of the flag and the wait, and the wait uses no CPU.
// Statement: "Exercícios" in the notes of sinais.
#include <csignal>
#include <cstdio>
#include <unistd.h>

static volatile sig_atomic_t sigints = 0;
static volatile sig_atomic_t terminar = 0;

// Not atomic, and needs not be: SIGINT is blocked while its own handler runs,
// and the SIGTERM handler never touches the counter.
static void conta(int)
{
    sigints = sigints + 1;
}

static void termina(int)
{
    terminar = 1;
}

static void instalar(int sinal, void (*handler)(int))
{
    struct sigaction acao = {};
    acao.sa_handler = handler;
    sigemptyset(&acao.sa_mask);
    sigaction(sinal, &acao, nullptr);
}

int main(int argc, char *argv[])
{
    (void)argv;
    if (argc != 1) {
        puts("uso: ./conta_sinais");
        return 1;
    }
    sigset_t ambos, espera;
    sigemptyset(&ambos);
    sigaddset(&ambos, SIGINT);
    sigaddset(&ambos, SIGTERM);
    sigprocmask(SIG_BLOCK, &ambos, &espera);
    sigdelset(&espera, SIGINT);
    sigdelset(&espera, SIGTERM);

    instalar(SIGINT, conta);
    instalar(SIGTERM, termina); // before the pid goes out: a signal may follow it at once
    printf("pid %d\n", getpid());
    fflush(stdout); // into a pipe or a file, printf alone would keep it until the end

    while (!terminar)
        sigsuspend(&espera); // unblocks both and sleeps until a handler has run
    printf("recebi %d SIGINT\n", static_cast<int>(sigints));
    return 0;
}
