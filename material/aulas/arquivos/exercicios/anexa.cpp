// anexa: o exercício 2 desta aula (veja "Exercícios" no README.md).
// ./anexa ARQUIVO TEXTO acrescenta TEXTO e uma quebra de linha ao fim de ARQUIVO.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    // Falta: conferir que vieram exatamente dois argumentos (senão, status 1).
    // Falta: montar num bloco só o TEXTO seguido de '\n'.
    // Falta: abrir ARQUIVO com O_WRONLY | O_APPEND | O_CREAT e modo 0644.
    // Falta: gravar o bloco inteiro com um único write e depois chamar close.
    // Falta: terminar com status 0 se tudo deu certo e com 1 se algo falhou.
    (void)argc;
    (void)argv;
    return 0;
}
