// executa: o exercício 1 desta aula (veja "Exercícios" no README.md).
// ./executa PROG [ARG...] roda PROG num processo filho e diz como ele terminou.
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    // Falta: sem PROG, terminar com status 1.
    // Falta: criar o filho com fork.
    // Falta (no filho): virar PROG com execvp, procurando no PATH; o argv[0] de PROG é o próprio PROG.
    //   Se o execvp voltar, imprimir "não achei PROG" e terminar na hora com status 127.
    // Falta (no pai): esperar o filho e imprimir "status N" ou "sinal N"; depois, terminar com status 0.
    (void)argc;
    (void)argv;
    return 0;
}
