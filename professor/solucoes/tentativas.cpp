// tentativas: reenvio with a limit. Runs ./dinarix at most N times and says
// before each attempt which one it is; the client's exit status decides as in
// reenvio, and a client killed by a signal counts as a failed attempt.
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

int main(int argc, char *argv[])
{
    long n;
    if (argc != 5 || !ler_numero(argv[1], 1, 100, &n)) {
        puts("uso: ./tentativas N ID1 ID2 VALOR (N de 1 a 100)");
        return 1;
    }
    for (long k = 1; k <= n; k++) {
        printf("tentativa %ld de %ld\n", k, n);
        // Through a pipe the line would wait in the buffer while the client
        // prints; flushed now, it goes out first, and the child's copy of
        // the buffer is empty.
        fflush(stdout);
        const pid_t filho = fork();
        if (filho < 0)
            return 1;
        if (filho == 0) {
            char prog[] = "./dinarix";
            char *args[] = {prog, argv[2], argv[3], argv[4], nullptr};
            execvp(prog, args);
            _exit(255); // no client to run: the parent reads a refusal
        }

        int status;
        if (waitpid(filho, &status, 0) < 0)
            return 1;
        if (WIFSIGNALED(status)) {
            printf("cliente morto pelo sinal %d\n", WTERMSIG(status));
            continue; // a failed attempt, with no code to read
        }
        const int codigo = static_cast<signed char>(WEXITSTATUS(status)); // 255 reads as -1
        if (codigo < 0)
            return 1; // refused: the client has said why
        if (codigo == 0) {
            puts("Transferencia realizada!");
            return 0;
        }
        puts("Falha na rede!");
    }
    printf("desisti depois de %ld %s\n", n, n == 1 ? "tentativa" : "tentativas");
    return 2;
}
