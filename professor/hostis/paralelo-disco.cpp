// Hostile: fills every place it can write until the disk says no.
#include <cstdio>
#include <cstring>
int main()
{
    static char bloco[1 << 20];
    memset(bloco, 'x', sizeof bloco);
    const char *lugares[] = {"enche", "/tmp/enche", "/var/tmp/enche", "/dev/shm/enche", "../enche"};
    for (const char *l : lugares) {
        FILE *f = fopen(l, "w");
        long total = 0;
        while (f && fwrite(bloco, 1, sizeof bloco, f) == sizeof bloco && total < (8L << 30))
            total += sizeof bloco;
        if (f)
            fclose(f);
        printf("%s: %ld MiB\n", l, total >> 20);
    }
    return 0;
}
