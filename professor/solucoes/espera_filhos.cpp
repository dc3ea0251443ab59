// espera_filhos: N children made one after another before any is waited
// for; each reports its own pid and ends with its number as its status, and
// the parent collects them with waitpid in the order it made them.
// Statement: "Exercícios" in the notes of 13-processos.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

// N from 1 to 20, written as digits only (a '-' is allowed and then out of
// range); 0 for anything else.
static int le_n(const char *texto)
{
    const char *digitos = texto[0] == '-' ? texto + 1 : texto;
    if (digitos[0] == '\0' || strspn(digitos, "0123456789") != strlen(digitos))
        return 0;
    const long n = strtol(texto, nullptr, 10); // too long saturates: out of range too
    return n >= 1 && n <= 20 ? static_cast<int>(n) : 0;
}

int main(int argc, char *argv[])
{
    const int n = argc == 2 ? le_n(argv[1]) : 0;
    if (n == 0) {
        puts("uso: ./espera_filhos N (N de 1 a 20)");
        return 1;
    }

    pid_t filhos[20];
    int criados = 0;
    for (int i = 1; i <= n; i++) {
        const pid_t pid = fork();
        if (pid < 0)
            break; // no more processes: wait for the ones there are
        if (pid == 0) {
            printf("filho %d: pid %d\n", i, getpid());
            exit(i); // exit, not _exit: it writes out the line still in the buffer
        }
        filhos[criados++] = pid;
    }

    for (int i = 1; i <= criados; i++) {
        int status;
        if (waitpid(filhos[i - 1], &status, 0) < 0)
            return 1;
        if (WIFEXITED(status))
            printf("filho %d (pid %d) terminou com status %d\n", i, filhos[i - 1],
                   WEXITSTATUS(status));
        else
            printf("filho %d (pid %d) morreu pelo sinal %d\n", i, filhos[i - 1],
                   WTERMSIG(status));
    }
    return criados == n ? 0 : 1;
}
