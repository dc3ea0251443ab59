// copia: o exercício 1 desta aula (veja "Exercícios" no README.md).
// ./copia ORIGEM DESTINO copia os bytes de ORIGEM para DESTINO com open,
// read, write e close, em blocos de até 4096 bytes.
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    // Falta: conferir que vieram exatamente dois argumentos (senão, status 1).
    // Falta: abrir ORIGEM para leitura; se não abrir, terminar com status 1 sem tocar em DESTINO.
    // Falta: abrir DESTINO com O_WRONLY | O_CREAT | O_TRUNC e modo 0644.
    // Falta: ler em blocos de até 4096 bytes, um read por bloco, e gravar cada bloco
    //        com um laço de write, até o último byte que o read retornou.
    // Falta: fechar os dois e terminar com status 0 se tudo deu certo, ou 1 se algo falhou.
    (void)argc;
    (void)argv;
    return 0;
}
