// soma_paralela: o exercício 1 desta aula (veja "Exercícios" no README.md).
// ./soma_paralela T N soma de 1 a N com T threads, cada uma com a sua fatia.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pthread.h>

// Falta: a função da thread. Ela recebe a sua fatia (de onde a onde somar),
// soma com um laço num número de 64 bits (long long), guarda a soma num bloco
// pedido ao malloc e retorna o endereço do bloco como resultado da thread.

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
    long long t, n;
    if (argc != 3 || !ler_numero(argv[1], 1, 64, &t) || !ler_numero(argv[2], 1, 1000000000, &n)) {
        puts("uso: ./soma_paralela T N (1 <= T <= 64, 1 <= N <= 1000000000)");
        return 1;
    }
    // Falta: criar as T threads, cada uma com um endereço só dela para a sua
    // fatia (não o do contador do laço, que main continua mudando). As fatias
    // cobrem de 1 a N uma vez só; com T > N, algumas ficam vazias.
    // Falta: esperar cada thread com pthread_join, somar os blocos que elas
    // retornam, liberar cada um com free e imprimir
    //   soma de 1 a N com T threads: S
    return 0;
}
