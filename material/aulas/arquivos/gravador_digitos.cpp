// gravador_digitos: reads a file name from standard input and writes the
// digits 0 to 9 into that file, one byte per write() system call. It prints
// nothing. Without O_TRUNC an existing longer file keeps its tail: look at it
// with `cat` or `od -c` afterwards.
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

    // Created for the owner only (less the umask); an existing file keeps
    // its length and permissions, and is written over from its first byte.
    const int fd = open(nome, O_WRONLY | O_CREAT, 0700);
    if (fd < 0)
        return 1;

    for (int i = 0; i < 10; i++) {
        const char byte = static_cast<char>('0' + i);
        if (write(fd, &byte, 1) != 1) {
            close(fd);
            return 1;
        }
    }
    return close(fd) == 0 ? 0 : 1;
}
