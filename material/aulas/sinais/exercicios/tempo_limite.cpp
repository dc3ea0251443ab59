// tempo_limite: o exercício 2 desta aula (veja "Exercícios" no README.md).
// ./tempo_limite S PROG [ARG...] roda PROG num processo filho e o mata se ele
// passar de S segundos.
#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    // Falta: conferir S, um número inteiro de 1 a 3600 escrito só com algarismos
    //        (sem +, sem espaços, sem nada depois), e se PROG foi dado (senão, status 1).
    // Falta: programar um alarme de S segundos (alarm), com um tratador de SIGALRM
    //        instalado por sigaction sem SA_RESTART, para que ele interrompa o waitpid.
    // Falta: criar o filho (fork); no filho, execvp(PROG...) e, se falhar, _exit(127).
    // Falta: esperar o filho (waitpid); se o alarme tocar antes, matá-lo com SIGKILL,
    //        recolhê-lo, imprimir "tempo esgotado" e terminar com 124.
    // Falta: senão, terminar com o status dele: N se saiu com N, 128 + n se o sinal n o matou.
    (void)argc;
    (void)argv;
    return 0;
}
