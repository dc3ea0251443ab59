// reenvio: runs ./dinarix as a child, again and again while it reports a
// network failure, and reads nothing back but the child's exit status.
// Watch the order of the lines: on a terminal the driver's messages alternate
// with the client's; through a pipe they all come out together at the end.
#include <cstdio>
#include <cstdlib>
#include <stdio_ext.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

// Runs in the child after fork. If exec fails, the child must not go on into
// the driver's loop, and must not flush the copy of the driver's unwritten
// output that fork gave it (it would come out twice): so the copy is dropped,
// the message goes straight to the descriptor, and _exit() skips the flush.
[[noreturn]] static void executar_cliente(int argc, char *argv[])
{
    static char prog[] = "./dinarix";
    char *args[5] = {prog, nullptr, nullptr, nullptr, nullptr};
    for (int i = 1; i <= 3 && i < argc; i++)
        args[i] = argv[i];

    execvp(prog, args);

    __fpurge(stdout); // some runtimes, ThreadSanitizer's among them, flush in _exit too
    static constexpr char msg[] = "EXEC FALHOU!\n\n\n";
    const char *p = msg;
    size_t falta = sizeof msg - 1;
    while (falta > 0) {
        const ssize_t n = write(STDOUT_FILENO, p, falta);
        if (n <= 0)
            break;
        p += n;
        falta -= static_cast<size_t>(n);
    }
    _exit(255); // read by the driver as -1: it stops
}

int main(int argc, char *argv[])
{
    int codigo = 0;             // the client's status as a signed byte
    bool tem_codigo = false;    // no attempt has ended normally yet

    for (;;) {
        const pid_t filho = fork();
        if (filho < 0)
            return 1;
        if (filho == 0)
            executar_cliente(argc, argv);

        int status;
        if (wait(&status) < 0)
            return 1; // no status to read, e.g. SIGCHLD ignored

        if (!WIFEXITED(status)) {
            printf("Deu ruim!");
            // Nothing recorded yet: a client that dies at once would be
            // restarted for ever.
            if (!tem_codigo)
                return 1;
        } else {
            codigo = static_cast<signed char>(WEXITSTATUS(status));
            tem_codigo = true;
            if (codigo == 0)
                puts("Transferencia realizada!");
            else if (codigo > 0)
                puts("Falha na rede!");
        }

        if (codigo <= 0)
            break;
    }
    return codigo == 0 ? 0 : 1;
}
