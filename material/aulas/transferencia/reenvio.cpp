// reenvio: runs ./dinarix as a child, again and again while it reports a
// network failure; the child's exit status is all that comes back.
// Watch the order of the lines: on a terminal the driver's messages alternate
// with the client's; through a pipe they all come out together at the end.
// Notes: README.md (português) and README.en.md (English) in this folder.
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

[[noreturn]] static void executar_cliente(int argc, char *argv[]);

int main(int argc, char *argv[])
{
    int codigo = 0;          // the client's exit status, read as a signed byte
    bool tem_codigo = false; // has any attempt ended normally yet?
    do {
        const pid_t filho = fork();
        if (filho < 0)
            return 1;
        if (filho == 0)
            executar_cliente(argc, argv);

        int status;
        if (wait(&status) < 0)
            return 1; // no status to read, e.g. when SIGCHLD is ignored
        if (!WIFEXITED(status)) {
            printf("Deu ruim!"); // no newline, on purpose: it waits in the buffer
            if (!tem_codigo)
                return 1; // killed at the first attempt: nothing to go by
            continue;     // the code kept from the last attempt decides
        }
        codigo = static_cast<signed char>(WEXITSTATUS(status)); // 255 reads as -1
        tem_codigo = true;
        if (codigo == 0)
            puts("Transferencia realizada!");
        else if (codigo > 0)
            puts("Falha na rede!");
    } while (codigo > 0);
    return codigo == 0 ? 0 : 1;
}

// The child becomes ./dinarix (a slash: no PATH search, the working directory)
// with the driver's first three arguments.
[[noreturn]] static void executar_cliente(int argc, char *argv[])
{
    static char prog[] = "./dinarix";
    char *args[5] = {prog, nullptr, nullptr, nullptr, nullptr};
    for (int i = 1; i <= 3 && i < argc; i++)
        args[i] = argv[i];
    execvp(prog, args);

    // Still here: exec failed. fork gave this child a copy of the driver's
    // unwritten messages; dprintf and _exit leave that copy alone, so nothing
    // comes out twice.
    dprintf(STDOUT_FILENO, "EXEC FALHOU!\n\n\n");
    _exit(255); // the driver reads -1 and stops
}
