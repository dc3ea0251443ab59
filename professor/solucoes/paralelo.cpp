// paralelo: K clients at once. All the forks come first, then wait takes the
// clients in the order they end, whatever order they were started in.
// Started in the same second, real clients draw the same numbers: they end
// together and the same way.
// Statement: "Exercícios" in the notes of transferencia.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

// A whole number from minimo to maximo: an optional '-' and decimal digits,
// nothing else (no blanks, no '+', no text after it).
static bool ler_numero(const char *texto, long minimo, long maximo, long *numero)
{
    const char *digitos = texto[0] == '-' ? texto + 1 : texto;
    if (digitos[0] == '\0' || strspn(digitos, "0123456789") != strlen(digitos))
        return false;
    errno = 0;
    const long n = strtol(texto, nullptr, 10);
    if (errno != 0 || n < minimo || n > maximo)
        return false;
    *numero = n;
    return true;
}

// One line for a client that has ended; true if it succeeded.
static bool relatar(pid_t pid, int status)
{
    if (WIFSIGNALED(status)) {
        printf("pid %d: sinal %d\n", pid, WTERMSIG(status));
        return false;
    }
    const int codigo = WEXITSTATUS(status);
    if (codigo == 0) {
        printf("pid %d: sucesso\n", pid);
        return true;
    }
    if (codigo < 128)
        printf("pid %d: falha\n", pid);
    else
        printf("pid %d: recusado\n", pid); // -128 to -1 read as a signed byte
    return false;
}

int main(int argc, char *argv[])
{
    long k;
    if (argc != 5 || !ler_numero(argv[1], 1, 20, &k)) {
        puts("uso: ./paralelo K ID1 ID2 VALOR (K de 1 a 20)");
        return 1;
    }
    // Nothing printed yet, so the children inherit an empty buffer.
    long iniciados = 0;
    while (iniciados < k) {
        const pid_t filho = fork();
        if (filho < 0)
            break; // report the ones already running all the same
        if (filho == 0) {
            char prog[] = "./dinarix";
            char *args[] = {prog, argv[2], argv[3], argv[4], nullptr};
            execvp(prog, args);
            _exit(255); // no client to run: a refusal
        }
        iniciados++;
    }

    long sucessos = 0;
    for (long i = 0; i < iniciados; i++) {
        int status;
        const pid_t pid = wait(&status); // whichever child ends first
        if (pid < 0)
            return 1;
        sucessos += relatar(pid, status);
    }
    printf("sucessos: %ld de %ld\n", sucessos, k);
    return iniciados == k ? 0 : 1;
}
