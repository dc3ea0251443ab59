// soma_paralela: adds up 1 to N with T threads. Each thread gets a slice of
// its own and hands its partial sum back in a heap cell, as its thread
// result; main joins them all, adds the cells up and frees them.
// Statement: "Exercícios" in the notes of the threads lesson.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pthread.h>

// One per thread, in main's array: never the loop counter, which main keeps
// changing while the threads start.
struct fatia {
    long long inicio, fim; // inclusive; empty when inicio > fim
};

static void *somar(void *arg)
{
    const auto *f = static_cast<const fatia *>(arg);
    auto *parcial = static_cast<long long *>(malloc(sizeof(long long)));
    if (parcial == nullptr)
        return nullptr;
    long long soma = 0; // 64 bits: the sum up to a billion passes 2^32 early on
    for (long long k = f->inicio; k <= f->fim; k++)
        soma += k;
    *parcial = soma;
    return parcial;
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
    long long t, n;
    if (argc != 3 || !ler_numero(argv[1], 1, 64, &t) || !ler_numero(argv[2], 1, 1000000000, &n)) {
        puts("uso: ./soma_paralela T N (1 <= T <= 64, 1 <= N <= 1000000000)");
        return 1;
    }

    fatia fatias[64];
    pthread_t threads[64];
    int criadas = 0;
    for (int i = 0; i < t; i++) {
        // Thread i takes (i*N/T, (i+1)*N/T]: together they cover 1 to N once,
        // and the remainder of N/T is spread over them, none dropped.
        fatias[i] = {i * n / t + 1, (i + 1) * n / t};
        if (pthread_create(&threads[i], nullptr, somar, &fatias[i]) != 0)
            break;
        criadas++;
    }

    long long total = 0;
    bool faltou = criadas < t;
    for (int i = 0; i < criadas; i++) {
        void *parcial;
        pthread_join(threads[i], &parcial);
        if (parcial == nullptr) {
            faltou = true;
            continue;
        }
        total += *static_cast<long long *>(parcial);
        free(parcial);
    }
    if (faltou)
        return 1; // a thread or a cell could not be had: no sum to show
    printf("soma de 1 a %lld com %lld threads: %lld\n", n, t, total);
    return 0;
}
