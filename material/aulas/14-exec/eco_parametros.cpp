// eco_parametros: prints every argument it was given, one per line, starting
// with argv[0], the name it was started under. Try quotes and empty
// arguments: the shell decides what the arguments are, not the program.
// Notes: README.md (português) and README.en.md (English) in this folder.
#include <cstdio>

int main(int argc, char *argv[])
{
    for (int i = 0; i < argc; i++)
        printf("arg: %s\n", argv[i]);
    return fflush(stdout) == 0 && ferror(stdout) == 0 ? 0 : 1; // was all output written?
}
