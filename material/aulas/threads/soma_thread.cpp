// soma_thread: two threads add up the same pair of numbers, each in a heap
// cell that it hands back as its thread result; main gets the first thread's
// cell through pthread_join. Watch where "retonrno t1 [30]." lands: always
// after the first "Hello world!", before or after the second.
// Notes: README.md (português) and README.en.md (English) in this folder.
#include <cstdio>
#include <cstdlib>
#include <pthread.h>

static void *f1(void *arg)
{
    const int *par = static_cast<const int *>(arg);
    // The result must outlive the thread, so it cannot live on its stack.
    int *resultado = static_cast<int *>(malloc(sizeof(int)));
    if (resultado == nullptr)
        return nullptr;
    printf("Hello world![%d][%d]\n", par[0], par[1]);
    *resultado = par[0] + par[1];
    return resultado;
}

int main()
{
    // Neither the pair nor the cells are ever freed, on purpose: the process
    // ends right after, and valgrind shows them.
    int *par = static_cast<int *>(malloc(2 * sizeof(int)));
    if (par == nullptr)
        return 1;
    par[0] = 10;
    par[1] = 20;

    pthread_t t1, t2;
    if (pthread_create(&t1, nullptr, f1, par) != 0)
        return 1;
    if (pthread_create(&t2, nullptr, f1, par) != 0) {
        pthread_join(t1, nullptr);
        return 1;
    }

    void *r1, *r2;
    pthread_join(t1, &r1);
    if (r1 != nullptr) // "retonrno": the course's own spelling, kept
        printf("retonrno t1 [%d].\n", *static_cast<int *>(r1));
    pthread_join(t2, &r2);
    if (r1 == nullptr || r2 == nullptr)
        return 1; // a thread could not get its cell
    puts("fim do programa.");
    return fflush(stdout) == 0 && ferror(stdout) == 0 ? 0 : 1; // was all output written?
}
