// tratadores_lentos: two slow signal handlers, for SIGINT and SIGTERM, share
// one counter. Send SIGINT (Ctrl+C), then SIGTERM from another terminal within
// ten seconds: the SIGTERM handler runs inside the SIGINT one, which then
// prints the value the other one left. Ctrl+\ ends it.
// Notes: README.md (português) and README.en.md (English) in this folder.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <unistd.h>

// "status++" is a read, an addition and a write: a handler nested in between
// would lose its increment. Lock-free, as a handler must never wait for the
// code it interrupted.
static std::atomic<int> status = 0;
static_assert(std::atomic<int>::is_always_lock_free);

static void escrever(const char *formato, int valor);
static void instalar(int sinal, void (*handler)(int));

static void operacao_lenta()
{
    sleep(10); // a nested handler cuts it short; it is not resumed
}

static void sigint_handler(int)
{
    escrever("Chamou Ctrl+C; status=%d\n", ++status);
    operacao_lenta();
    escrever("SIGINT: Vou usar status agora! status=%d\n", status.load()); // read again
}

static void sigterm_handler(int)
{
    escrever("Recebi SIGTERM; status=%d\n", ++status);
    operacao_lenta();
    escrever("SIGTERM: Vou usar status agora! status=%d\n", status.load());
}

int main()
{
    instalar(SIGINT, sigint_handler);
    instalar(SIGTERM, sigterm_handler);
    escrever("Meu pid: %d\n", getpid());
    for (;;)
        sleep(1);
}

// While a handler runs, its own signal waits (and, a standard signal, comes
// once however often it was sent); the other one does not wait: it nests.
static void instalar(int sinal, void (*handler)(int))
{
    struct sigaction acao = {};
    acao.sa_handler = handler;
    sigemptyset(&acao.sa_mask);
    sigaddset(&acao.sa_mask, sinal);
    acao.sa_flags = SA_RESTART;
    sigaction(sinal, &acao, nullptr);
}

// printf is no safe call in a handler. Not for the stream's lock: that one is
// recursive, and the handler runs on the thread that holds it. But a printf
// cut short leaves the stream's buffer half updated for the handler's printf
// (output lost, repeated or mixed, memory corrupted), printf may call malloc,
// whose lock is not recursive, and POSIX leaves it undefined. So both signals
// wait while a message is printed and flushed: no handler starts inside
// printf, and each message is out, whole, before anything else happens.
static void escrever(const char *formato, int valor)
{
    sigset_t ambos, antes;
    sigemptyset(&ambos);
    sigaddset(&ambos, SIGINT);
    sigaddset(&ambos, SIGTERM);
    sigprocmask(SIG_BLOCK, &ambos, &antes);
    printf(formato, valor);
    fflush(stdout);
    sigprocmask(SIG_SETMASK, &antes, nullptr);
}
