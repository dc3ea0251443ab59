// tratadores_lentos: two slow signal handlers, for SIGINT and SIGTERM, share
// one counter. Send SIGINT (Ctrl+C), then SIGTERM from another terminal within
// ten seconds: the SIGTERM handler runs inside the SIGINT one, and the SIGINT
// handler, once it resumes, prints the value the other one left. Ctrl+\ ends it.
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <unistd.h>

// A handler may interrupt the other one halfway through "status++": the
// increment has to be one indivisible step, and lock-free, since a handler
// must never wait for the code it interrupted.
static std::atomic<int> status = 0;
static_assert(std::atomic<int>::is_always_lock_free);

// printf is not safe inside a handler (it may interrupt another printf that
// holds the stream's lock), so every message is built here and written with
// write(), whole: both signals are held back while it goes out.
static void escrever(const char *texto, int valor)
{
    char buf[96];
    size_t n = 0;
    while (*texto != '\0' && n < sizeof buf - 16)
        buf[n++] = *texto++;

    char digitos[12]; // a pid or a count: never negative
    size_t k = 0;
    unsigned int v = static_cast<unsigned int>(valor);
    do {
        digitos[k++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    while (k > 0)
        buf[n++] = digitos[--k];
    buf[n++] = '\n';

    sigset_t ambos, antes;
    sigemptyset(&ambos);
    sigaddset(&ambos, SIGINT);
    sigaddset(&ambos, SIGTERM);
    sigprocmask(SIG_BLOCK, &ambos, &antes);
    for (size_t feito = 0; feito < n;) {
        const ssize_t r = write(STDOUT_FILENO, buf + feito, n - feito);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        feito += static_cast<size_t>(r);
    }
    sigprocmask(SIG_SETMASK, &antes, nullptr);
}

static void operacao_lenta()
{
    sleep(10); // a nested handler cuts it short; it is not resumed
}

// Both handlers leave errno as they found it: they may interrupt main between
// a failed call and its look at errno.
static void sigint_handler(int)
{
    const int errno_salvo = errno;
    escrever("Chamou Ctrl+C; status=", ++status);
    operacao_lenta();
    escrever("SIGINT: Vou usar status agora! status=", status.load());
    errno = errno_salvo;
}

static void sigterm_handler(int)
{
    const int errno_salvo = errno;
    escrever("Recebi SIGTERM; status=", ++status);
    operacao_lenta();
    escrever("SIGTERM: Vou usar status agora! status=", status.load());
    errno = errno_salvo;
}

// While a handler runs, its own signal waits (and is delivered once however
// often it was sent); the other signal does not wait.
static void instalar(int sinal, void (*handler)(int))
{
    struct sigaction acao = {};
    acao.sa_handler = handler;
    sigemptyset(&acao.sa_mask);
    sigaddset(&acao.sa_mask, sinal);
    acao.sa_flags = SA_RESTART;
    sigaction(sinal, &acao, nullptr);
}

int main()
{
    instalar(SIGINT, sigint_handler);
    instalar(SIGTERM, sigterm_handler);
    escrever("Meu pid: ", getpid());
    for (;;)
        sleep(1);
}
