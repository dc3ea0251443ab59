// ids_proprios: each thread gets a heap cell of its own holding its index, so
// every thread prints a different number: 0, 1, 2 and 3, in any order.
// Compare with id_compartilhado, where the threads share one counter.
// Notes: README.md (português) and README.en.md (English) in this folder.
#include <cstdio>
#include <cstdlib>
#include <pthread.h>
#include <unistd.h>

static void *minha_thread(void *arg)
{
    int *indice = static_cast<int *>(arg);
    printf("Hello thread! %d\n", *indice);
    free(indice); // the cell is this thread's alone
    return nullptr;
}

// Starts n threads and returns their handles, for the caller to join and
// free; nullptr when there is nothing to join.
static pthread_t *criar_threads(int n)
{
    if (n <= 0)
        return nullptr;
    auto *threads = static_cast<pthread_t *>(malloc(static_cast<size_t>(n) * sizeof(pthread_t)));
    for (int i = 0; threads != nullptr && i < n; i++) {
        int *indice = static_cast<int *>(malloc(sizeof(int)));
        if (indice != nullptr)
            *indice = i;
        if (indice == nullptr || pthread_create(&threads[i], nullptr, minha_thread, indice) != 0) {
            fflush(stdout); // out of memory: keep what was printed, end at once
            _exit(1);
        }
    }
    return threads;
}

int main()
{
    pthread_t *threads = criar_threads(4);
    if (threads == nullptr)
        return 1;
    for (int i = 0; i < 4; i++)
        pthread_join(threads[i], nullptr);
    free(threads);
    return fflush(stdout) == 0 && ferror(stdout) == 0 ? 0 : 1; // was all output written?
}
