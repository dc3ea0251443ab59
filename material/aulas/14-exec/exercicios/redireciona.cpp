// redireciona: o exercício 2 desta aula (veja "Exercícios" no README.md).
// ./redireciona ARQUIVO PROG [ARG...] vira PROG com a saída padrão indo para ARQUIVO.
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    // Falta: sem ARQUIVO e PROG, terminar com status 1 sem criar arquivo nenhum.
    // Falta: abrir ARQUIVO com O_WRONLY | O_CREAT | O_TRUNC e modo 0644 (se falhar, terminar com status 1).
    // Falta: copiar o descritor do arquivo para o descritor 1 com dup2 e fechar o que o open retornou.
    // Falta: virar PROG com execvp, sem fork (se o execvp voltar, terminar com status 127).
    (void)argc;
    (void)argv;
    return 0;
}
