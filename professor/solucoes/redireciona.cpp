// redireciona: becomes another program with its standard output going to a
// file, the way the shell does `PROG > ARQUIVO`: open, dup2 onto descriptor
// 1, close the spare descriptor, execvp. No fork: same process, same pid.
// Statement: "Exercícios" in the notes of 14-exec.
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    if (argc < 3) {
        puts("uso: ./redireciona ARQUIVO PROG [ARG...]");
        return 1;
    }
    const int fd = open(argv[1], O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return 1; // PROG is not run
    if (dup2(fd, 1) < 0)
        return 1;
    if (fd != 1)   // it is 1 when we were started with descriptor 1 closed
        close(fd); // PROG needs the file on descriptor 1 only

    execvp(argv[2], argv + 2);
    return 127; // standard output is the file now: nothing to say there
}
