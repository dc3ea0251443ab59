// bytes_int: o exercício 2 desta aula (veja "Exercícios" no README.md).
// ./bytes_int N imprime os bytes do int N na ordem em que estão na memória,
// cada um com dois dígitos hexadecimais: ./bytes_int 1 imprime 01 00 00 00.
#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    // Falta: conferir que veio exatamente um argumento e que ele é um int, só com
    // um '-' opcional e dígitos, de -2147483648 a 2147483647 (senão, status 1).
    // O ERANGE do strtol só aparece fora da faixa do long: compare também com
    // INT_MIN e INT_MAX (de <climits>).
    // Falta: olhar os bytes de N por um ponteiro para unsigned char.
    // Falta: imprimir os sizeof(int) bytes na ordem da memória, separados por
    // um espaço, e uma quebra de linha no final.
    (void)argc;
    (void)argv;
    return 0;
}
