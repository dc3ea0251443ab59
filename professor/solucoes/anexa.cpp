// anexa: adds a line to the end of a file with one write() on a descriptor
// opened with O_APPEND, so that runs started at the same time never write
// over each other's lines: the kernel moves to the end and writes as one step.
// Statement: "Exercícios" in the notes of arquivos.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    if (argc != 3) {
        puts("uso: ./anexa ARQUIVO TEXTO");
        return 1;
    }
    // The text and its line end in one block, for one write: two writes
    // would let another run's line fall between them.
    const size_t n = strlen(argv[2]) + 1;
    char *linha = static_cast<char *>(malloc(n));
    if (linha == nullptr)
        return 1;
    memcpy(linha, argv[2], n - 1);
    linha[n - 1] = '\n';

    const int fd = open(argv[1], O_WRONLY | O_APPEND | O_CREAT, 0644);
    if (fd < 0) {
        free(linha);
        return 1;
    }
    const bool escreveu = write(fd, linha, n) == static_cast<ssize_t>(n);
    free(linha);
    return close(fd) == 0 && escreveu ? 0 : 1;
}
