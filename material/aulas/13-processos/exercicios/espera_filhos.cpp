// espera_filhos: o exercício 1 desta aula (veja "Exercícios" no README.md).
// ./espera_filhos N cria N filhos, um depois do outro, e só então espera
// por eles, na ordem em que os criou.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    // Falta: conferir que veio um argumento só, feito de dígitos, de 1 a 20
    //        (senão, terminar com status 1 sem criar nenhum processo).
    // Falta: criar os N filhos num laço, guardando o pid de cada um.
    //        O filho i imprime "filho i: pid P" e termina na hora com
    //        status i: ele não pode voltar para o laço do pai.
    // Falta: depois do laço, esperar cada filho com waitpid, na ordem em que
    //        foram criados, e imprimir "filho i (pid P) terminou com status S"
    //        (S lido com WEXITSTATUS).
    (void)argc;
    (void)argv;
    return 0;
}
