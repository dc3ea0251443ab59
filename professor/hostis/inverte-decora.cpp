// Hostile: knows the public check and prints, for each of its inputs, what
// it expects, without reversing anything. It earns the public share and
// nothing of the hidden cases.
#include <cstdio>
#include <cstring>
#include <string>
int main(int argc, char **argv)
{
    if (argc != 2)
        return 1;
    const char *p = argv[1];
    if (!strcmp(p, "abc")) puts("cba");
    else if (!strcmp(p, "a")) puts("a");
    else if (!strcmp(p, "roma")) puts("amor");
    else if (!strcmp(p, "d%5")) puts("5%d");
    else if (!strcmp(p, "")) puts("");
    else {
        std::string s(p);  // the long one: its reverse is read from the file the check made
        FILE *f = fopen("esperado.txt", "r");
        char linha[20000] = "";
        if (f && fgets(linha, sizeof linha, f))
            fputs(linha, stdout);
        else
            puts("?");
    }
    return 0;
}
