// inverte: o exercício 1 desta aula (veja "Exercícios" no README.md).
// ./inverte PALAVRA imprime os bytes de PALAVRA de trás para a frente.
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char *argv[])
{
    // Falta: conferir que veio exatamente um argumento (senão, status 1).
    // Falta: pedir ao malloc um bloco de strlen(PALAVRA) + 1 bytes.
    // Falta: copiar os bytes de trás para a frente e pôr o terminador '\0'.
    // Falta: imprimir o bloco e uma quebra de linha numa chamada só, e liberar o bloco.
    (void)argc;
    (void)argv;
    return 0;
}
