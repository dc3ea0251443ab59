// pingue_pongue: two threads take turns printing "pingue" and "pongue", N
// times each, pingue first. Two semaphores pass the turn: each thread waits
// on its own and posts the other's, so neither sleeps nor spins.
// Statement: "Exercícios" in the notes of the threads lesson.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pthread.h>
#include <semaphore.h>
#include <unistd.h>

// One per thread: both run the same function with a record of their own.
struct jogador {
    const char *palavra;
    sem_t *minha_vez, *vez_da_outra;
    long vezes;
};

static void *jogar(void *arg)
{
    const auto *j = static_cast<const jogador *>(arg);
    for (long i = 0; i < j->vezes; i++) {
        sem_wait(j->minha_vez);
        puts(j->palavra);
        sem_post(j->vez_da_outra);
    }
    return nullptr;
}

// An optional '-' and decimal digits, from min to max; anything else is refused.
static bool ler_numero(const char *texto, long long min, long long max, long long *valor)
{
    const char *digitos = texto[0] == '-' ? texto + 1 : texto;
    if (digitos[0] == '\0' || strspn(digitos, "0123456789") != strlen(digitos))
        return false;
    errno = 0;
    *valor = strtoll(texto, nullptr, 10);
    return errno == 0 && *valor >= min && *valor <= max;
}

int main(int argc, char *argv[])
{
    long long n;
    if (argc != 2 || !ler_numero(argv[1], 1, 100000, &n)) {
        puts("uso: ./pingue_pongue N (1 <= N <= 100000)");
        return 1;
    }

    // The turn starts with pingue: its semaphore at 1, pongue's at 0.
    sem_t vez_do_pingue, vez_do_pongue;
    if (sem_init(&vez_do_pingue, 0, 1) != 0 || sem_init(&vez_do_pongue, 0, 0) != 0)
        return 1;
    jogador pingue = {"pingue", &vez_do_pingue, &vez_do_pongue, n};
    jogador pongue = {"pongue", &vez_do_pongue, &vez_do_pingue, n};

    pthread_t t1, t2;
    if (pthread_create(&t1, nullptr, jogar, &pingue) != 0)
        return 1;
    if (pthread_create(&t2, nullptr, jogar, &pongue) != 0) {
        // Pingue would wait for good for a turn that never comes back.
        fflush(stdout);
        _exit(1);
    }
    pthread_join(t1, nullptr);
    pthread_join(t2, nullptr);
    sem_destroy(&vez_do_pingue);
    sem_destroy(&vez_do_pongue);
    return 0;
}
