// Hostile: writes the control files an older runner read back as root (the
// group to kill, the ids taken), naming process 1 and its own group.
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>
static void escreve(const char *caminho, long valor)
{
    FILE *f = fopen(caminho, "w");
    printf("%s: %s\n", caminho, f ? "ESCRITO" : "não");
    if (f) {
        fprintf(f, "%ld\n", valor);
        fclose(f);
    }
}
int main()
{
    escreve("grupo", 1);
    escreve("../grupo", 1);
    escreve("/tmp/grupo", 1);
    escreve("@SAIDA@/.correcao/grupo", 1);
    for (int u = 70000; u < 70010; u++) {
        char caminho[100];
        snprintf(caminho, sizeof caminho, "/run/aulas-correcao/ids/%d", u);
        printf("%s: %s\n", caminho, mkdir(caminho, 0777) == 0 ? "CRIADO" : "não");
        snprintf(caminho, sizeof caminho, "/tmp/aulas-usuario-%d", u);
        mkdir(caminho, 0777);
        snprintf(caminho, sizeof caminho, "/tmp/aulas-usuario-%d/grupo", u);
        escreve(caminho, getpgid(0));
    }
    return 0;
}
