// ids_proprios: each thread gets a heap cell of its own holding its index, so
// every thread prints a different number: 0, 1, 2 and 3, in any order.
// Compare with id_compartilhado, where the threads share one counter.
#include <cstdio>
#include <cstdlib>
#include <pthread.h>

static void *minha_thread(void *arg)
{
    int *indice = static_cast<int *>(arg);
    printf("Hello thread! %d\n", *indice);
    free(indice); // the cell is this thread's alone
    return nullptr;
}

// Joins the threads already started and releases the handle array.
static void desfazer(pthread_t *threads, int criadas)
{
    for (int i = 0; i < criadas; i++)
        pthread_join(threads[i], nullptr);
    free(threads);
}

// Starts n threads and returns their handles, for the caller to join and
// free. Returns nullptr when there is nothing to join: for n <= 0, or when a
// thread could not be started (those already started have been joined).
static pthread_t *criar_threads(int n)
{
    if (n <= 0)
        return nullptr;
    auto *threads = static_cast<pthread_t *>(malloc(static_cast<size_t>(n) * sizeof(pthread_t)));
    if (threads == nullptr)
        return nullptr;

    for (int i = 0; i < n; i++) {
        int *indice = static_cast<int *>(malloc(sizeof(int)));
        if (indice == nullptr) {
            desfazer(threads, i);
            return nullptr;
        }
        *indice = i;
        if (pthread_create(&threads[i], nullptr, minha_thread, indice) != 0) {
            free(indice);
            desfazer(threads, i);
            return nullptr;
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
    return 0;
}
