// executa: runs a program in a child, looked up along PATH like the shell
// does, and tells how the child ended: "status N" for an exit, "sinal N" for
// a signal. A child whose exec fails says so, flushes, and ends with 127.
// Statement: "Exercícios" in the notes of 14-exec.
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    if (argc < 2) {
        puts("uso: ./executa PROG [ARG...]");
        return 1;
    }
    const pid_t filho = fork();
    if (filho < 0)
        return 1;
    if (filho == 0) {
        execvp(argv[1], argv + 1); // argv[1] is both PROG and the child's argv[0]
        printf("não achei %s\n", argv[1]);
        fflush(stdout); // _exit leaves the buffer unwritten
        _exit(127);     // never fall through to the parent's code below
    }
    int status;
    if (waitpid(filho, &status, 0) < 0)
        return 1;
    if (WIFEXITED(status))
        printf("status %d\n", WEXITSTATUS(status));
    else if (WIFSIGNALED(status))
        printf("sinal %d\n", WTERMSIG(status));
    return 0;
}
