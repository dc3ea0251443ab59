// tentativas: o exercício 1 desta aula (veja "Exercícios" no README.md).
// ./tentativas N ID1 ID2 VALOR faz o mesmo que o reenvio, mas tenta no máximo
// N vezes.
// A validação dos argumentos já está pronta; o resto é com você.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

// Aceita um número inteiro de minimo a maximo: um '-' opcional e dígitos
// decimais, e mais nada (nem espaço, nem '+', nem texto depois).
static bool ler_numero(const char *texto, long minimo, long maximo, long *numero)
{
    const char *digitos = texto[0] == '-' ? texto + 1 : texto;
    if (digitos[0] == '\0' || strspn(digitos, "0123456789") != strlen(digitos))
        return false;
    errno = 0;
    const long n = strtol(texto, nullptr, 10);
    if (errno != 0 || n < minimo || n > maximo)
        return false;
    *numero = n;
    return true;
}

int main(int argc, char *argv[])
{
    long n;
    if (argc != 5 || !ler_numero(argv[1], 1, 100, &n)) {
        puts("uso: ./tentativas N ID1 ID2 VALOR (N de 1 a 100)");
        return 1;
    }
    // Falta, para cada tentativa k de 1 a N:
    //   - imprimir "tentativa k de N" e garantir que a linha saia antes do
    //     que o cliente imprimir, também num pipe (pense no buffer);
    //   - fazer o fork; o filho vira ./dinarix ID1 ID2 VALOR (argv[2], argv[3],
    //     argv[4]) e, se o exec falhar, termina com 255;
    //   - o pai espera o filho e lê o status como o reenvio lê (WEXITSTATUS só
    //     vale quando WIFEXITED é verdadeiro):
    //     0 -> "Transferencia realizada!" e status 0;
    //     1 a 127 -> "Falha na rede!" e a próxima tentativa;
    //     128 a 255 -> status 1 na hora, sem imprimir nada;
    //     morto pelo sinal S -> "cliente morto pelo sinal S" e a próxima.
    // Falta: depois de N falhas, imprimir "desisti depois de N tentativas" (com
    // N = 1, "desisti depois de 1 tentativa") e terminar com status 2.
    (void)argv;
    return 0;
}
