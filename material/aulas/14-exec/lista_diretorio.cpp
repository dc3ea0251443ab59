// lista_diretorio: replaces itself with `ls -l -a`. After a successful
// execvp this program is gone: what you see is ls's output and ls's exit
// status. "Fim do exec!" shows only when ls cannot be found along PATH.
// Notes: README.md (português) and README.en.md (English) in this folder.
#include <cstdio>
#include <unistd.h>

int main()
{
    char prog[] = "ls";
    char opcao_l[] = "-l";
    char opcao_a[] = "-a";
    char *args[] = {prog, opcao_l, opcao_a, nullptr};

    execvp(prog, args); // no slash in "ls": looked up along PATH

    puts("Fim do exec!");
    return 1;
}
