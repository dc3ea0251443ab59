// inverte: the bytes of a word in reverse order, built in a heap block of
// exactly the size they need, the terminating null included; printed with
// one call, then freed.
// Statement: "Exercícios" in the notes of 12-tipos-de-dados.
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        puts("uso: ./inverte PALAVRA");
        return 1;
    }
    const char *palavra = argv[1];
    const size_t n = strlen(palavra);
    char *invertida = static_cast<char *>(malloc(n + 1)); // n bytes and the null
    if (invertida == nullptr)
        return 1;
    for (size_t i = 0; i < n; i++)
        invertida[i] = palavra[n - 1 - i];
    invertida[n] = '\0';
    printf("%s\n", invertida);
    free(invertida);
    return 0;
}
