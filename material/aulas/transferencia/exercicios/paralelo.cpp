// paralelo: o exercício 2 desta aula (veja "Exercícios" no README.md).
// ./paralelo K ID1 ID2 VALOR inicia K clientes de uma vez e conta os sucessos.
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
    long k;
    if (argc != 5 || !ler_numero(argv[1], 1, 20, &k)) {
        puts("uso: ./paralelo K ID1 ID2 VALOR (K de 1 a 20)");
        return 1;
    }
    // Falta: fazer K vezes o fork, sem esperar ninguém ainda; cada filho vira
    // ./dinarix ID1 ID2 VALOR (argv[2], argv[3], argv[4]) e, se o exec
    // falhar, termina com 255.
    // Falta: só depois do último fork, chamar K vezes o wait, que retorna o
    // pid do filho que terminou primeiro, e imprimir uma linha para cada um:
    //   "pid P: sucesso" (status 0), "pid P: falha" (1 a 127),
    //   "pid P: recusado" (128 a 255) ou "pid P: sinal S".
    // Falta: no fim, imprimir "sucessos: X de K".
    (void)argv;
    return 0;
}
