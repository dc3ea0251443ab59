// conta_sinais: o exercício 1 desta aula (veja "Exercícios" no README.md).
// ./conta_sinais imprime o seu pid, conta os SIGINT que recebe e, quando
// chega um SIGTERM, diz quantos foram e termina.
#include <csignal>
#include <cstdio>
#include <unistd.h>

// Falta: as variáveis que os tratadores mudam, o contador e o aviso de fim
// (volatile sig_atomic_t), e os dois tratadores, que só mexem nelas. Some um
// ao contador com contador = contador + 1: em C++20, o ++ numa variável
// volatile dá um aviso do compilador.

int main(int argc, char *argv[])
{
    // Falta: recusar qualquer argumento (status 1).
    // Falta: instalar os tratadores de SIGINT e SIGTERM (sigaction), antes de tudo.
    // Falta: imprimir "pid P" e descarregar a saída na mesma hora (fflush).
    // Falta: esperar sinais sem gastar CPU (pause, sigsuspend ou sleep) até o SIGTERM.
    // Falta: imprimir "recebi N SIGINT", aqui e não no tratador, e terminar com 0.
    (void)argc;
    (void)argv;
    return 0;
}
