// bytes_int: the bytes of an int as they lie in memory, first byte first,
// read through an unsigned char pointer (a char type may look at any
// object's bytes). On x86-64 the least significant byte comes first.
// Statement: "Exercícios" in the notes of 12-tipos-de-dados.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

// An optional '-' and decimal digits, nothing else, within the range of int.
// strtoll alone would take leading blanks, a '+' and trailing junk.
static bool le_int(const char *texto, int *n)
{
    const char *p = texto[0] == '-' ? texto + 1 : texto;
    if (*p == '\0')
        return false;
    for (; *p != '\0'; p++)
        if (*p < '0' || *p > '9')
            return false;
    errno = 0;
    const long long valor = strtoll(texto, nullptr, 10);
    if (errno == ERANGE || valor < INT_MIN || valor > INT_MAX)
        return false;
    *n = static_cast<int>(valor);
    return true;
}

int main(int argc, char *argv[])
{
    int n;
    if (argc != 2 || !le_int(argv[1], &n)) {
        puts("uso: ./bytes_int N (um int, de -2147483648 a 2147483647)");
        return 1;
    }
    // Unsigned: a signed char holding 0xff would print as ffffffff.
    const unsigned char *byte = reinterpret_cast<const unsigned char *>(&n);
    for (size_t i = 0; i < sizeof n; i++)
        printf(i == 0 ? "%02x" : " %02x", byte[i]);
    printf("\n");
    return 0;
}
