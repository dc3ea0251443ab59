// cadeia: o exercício 2 desta aula (veja "Exercícios" no README.md).
// ./cadeia N cria uma cadeia de N processos: cada um é o pai do seguinte.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    // Falta: conferir que veio um argumento só, feito de dígitos, de 1 a 10
    //        (senão, terminar com status 1 sem criar nenhum processo).
    // Falta: fazer o nível d (0 é o processo que o shell iniciou) imprimir
    //        "nível d: pid P, pai Q", com o seu pid e o do seu pai.
    // Falta: se d ainda não for N-1, criar o nível d+1 com fork e esperar por
    //        ele. Cuidado com o que ainda está no buffer na hora do fork.
    // Falta: só então imprimir "nível d termina" e terminar com status 0.
    (void)argc;
    (void)argv;
    return 0;
}
