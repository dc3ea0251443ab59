// copia: o exercício 1 desta aula (veja "Exercícios" no README.md).
// ./copia ORIGEM DESTINO copia os bytes de ORIGEM para DESTINO com open,
// read, write e close, em blocos de até 4096 bytes.
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    // Falta: conferir que vieram exatamente dois argumentos (senão, status 1).
    // Falta: abrir ORIGEM para leitura; se não abrir, status 1 sem tocar em DESTINO.
    // Falta: abrir DESTINO com O_WRONLY | O_CREAT | O_TRUNC e modo 0644.
    // Falta: um read por bloco de até 4096 bytes e, para cada bloco, um laço
    //        de write que escreve o que o read devolveu, até o último byte.
    // Falta: fechar os dois; status 0 se tudo deu certo, 1 se algo falhou.
    (void)argc;
    (void)argv;
    return 0;
}
