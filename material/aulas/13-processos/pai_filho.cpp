// pai_filho: fork splits the process in two; each copy reports its own id,
// the other's, and its own copy of a variable that only the child changes.
// Run it a few times: the reports come in either order, and the child's
// parent may already be gone, adopted by another process.
// Notes: README.md (português) and README.en.md (English) in this folder.
#include <cstdio>
#include <sys/types.h>
#include <unistd.h>

int main()
{
    int variavel = 5;
    pid_t filho = fork();
    pid_t pai;

    if (filho == 0) {
        // The child's own copy: the parent never sees these changes.
        pai = getppid();
        filho = getpid();
        variavel = 10;
        printf("eu sou o processo filho %d, meu pai é %d\nvariavel %d\n", filho, pai, variavel);
    } else {
        pai = getpid();
        printf("eu sou o processo pai %d, meu filho é %d\nvariavel %d\n", pai, filho, variavel);
        if (filho < 0)
            return 1; // fork failed: there is no child
    }
    // Each process: was all of its own report written?
    return fflush(stdout) == 0 && ferror(stdout) == 0 ? 0 : 1;
}
