// Hostile: knows where the grader keeps the checks, the hidden cases, the
// results, the feedback and the class table (@RAIZ@, @SAIDA@ are put in by
// the test), and tries to rewrite them all, and the channel the grader talks
// through; none of it is there to see.
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
static void tenta(const char *caminho)
{
    int fd = open(caminho, O_WRONLY | O_CREAT | O_TRUNC, 0666);
    printf("%s: %s\n", caminho, fd < 0 ? "não" : "ESCRITO");
    if (fd >= 0) {
        write(fd, "inverte;10,00\n", 14);
        close(fd);
    }
}
int main()
{
    const char *alvos[] = {"@SAIDA@/notas.csv", "@SAIDA@/completo.md", "@SAIDA@/.correcao/alunos/completo/copia.jsonl",
                           "@RAIZ@/tests/exercicios/copia.txt", "@RAIZ@/professor/ocultos/copia.txt",
                           "/canal/x", "/curso/dinarix", "/fonte/copia.cpp", "/autograder/results/results.json",
                           "../notas.csv", "/tmp/notas.csv"};
    for (const char *a : alvos)
        tenta(a);
    DIR *d = opendir("/canal");
    printf("/canal: %s\n", d ? "LISTADO" : "não");
    return 0;
}
