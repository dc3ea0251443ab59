// cadeia: a chain of N processes, each the parent of the next. Every level
// prints its line, hands the next level its turn with fork, waits for it,
// and only then says that it ends, so the ends come out deepest first.
// Statement: "Exercícios" in the notes of 13-processos.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

// N from 1 to 10, written as digits only (a '-' is allowed and then out of
// range); 0 for anything else.
static int le_n(const char *texto)
{
    const char *digitos = texto[0] == '-' ? texto + 1 : texto;
    if (digitos[0] == '\0' || strspn(digitos, "0123456789") != strlen(digitos))
        return 0;
    const long n = strtol(texto, nullptr, 10);
    return n >= 1 && n <= 10 ? static_cast<int>(n) : 0;
}

int main(int argc, char *argv[])
{
    const int n = argc == 2 ? le_n(argv[1]) : 0;
    if (n == 0) {
        puts("uso: ./cadeia N (N de 1 a 10)");
        return 1;
    }

    int status = 0;
    int d = 0;
    for (;;) {
        printf("nível %d: pid %d, pai %d\n", d, getpid(), getppid());
        if (d == n - 1)
            break;
        // Without this, through a pipe the line still in the buffer would be
        // copied into the child and written twice.
        fflush(stdout);
        const pid_t filho = fork();
        if (filho == 0) {
            d++; // the child is the next level and goes round again
            continue;
        }
        int s;
        if (filho < 0 || waitpid(filho, &s, 0) < 0 || !WIFEXITED(s) || WEXITSTATUS(s) != 0)
            status = 1; // a level below failed: so does this one
        break;
    }
    printf("nível %d termina\n", d);
    return status;
}
