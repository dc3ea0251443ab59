// leitor_bytes: reads a file name from standard input, then the file itself
// one byte per read() system call, printing each byte on a line of its own.
// Try `echo notas.txt | strace -e trace=read ./leitor_bytes` and count the
// reads; a newline in the file shows up as an empty line.
// Notes: README.md (português) and README.en.md (English) in this folder.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

// One word of standard input, of 100 bytes at most. A longer word, or one with
// a zero byte inside, is refused, never cut: the cut name could be another
// file's. %n counts what scanf took, zero bytes included; strlen stops at one.
static bool ler_nome(char *nome)
{
    int inicio = 0, fim = 0;
    if (scanf(" %n%100s%n", &inicio, nome, &fim) != 1)
        return false;
    const int seguinte = getchar();
    return strlen(nome) == static_cast<size_t>(fim - inicio) &&
           (seguinte == EOF || isspace(seguinte));
}

int main()
{
    char nome[101];
    if (!ler_nome(nome))
        return 1;

    const int fd = open(nome, O_RDONLY);
    if (fd < 0)
        return 1;

    char byte;
    ssize_t lidos;
    while ((lidos = read(fd, &byte, 1)) > 0)
        printf("Caracter lido: %c\n", byte);

    // A directory opens fine; reading it is what fails (EISDIR).
    if (close(fd) != 0 || lidos < 0)
        return 1;
    return fflush(stdout) == 0 && ferror(stdout) == 0 ? 0 : 1; // was all output written?
}
