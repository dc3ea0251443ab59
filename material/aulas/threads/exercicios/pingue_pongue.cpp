// pingue_pongue: o exercício 2 desta aula (veja "Exercícios" no README.md).
// ./pingue_pongue N: uma thread imprime pingue, a outra pongue, N vezes cada,
// sempre alternando e começando por pingue. A vez passa por dois semáforos.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pthread.h>
#include <semaphore.h>

// Falta: a função das threads. Cada thread, N vezes: espera a sua vez
// (sem_wait no seu semáforo), imprime a sua palavra com puts e passa a vez
// (sem_post no semáforo da outra). Nada de sleep nem de laço que fica
// perguntando de quem é a vez.

// Pronta: aceita um '-' opcional e dígitos decimais, de min a max.
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
    // Falta: criar os dois semáforos com sem_init. Com que valor começa cada
    // um, se quem começa é o pingue?
    // Falta: criar as duas threads (a do pingue e a do pongue), esperar as
    // duas com pthread_join e destruir os semáforos com sem_destroy.
    (void)n;
    return 0;
}
