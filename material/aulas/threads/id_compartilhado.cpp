// id_compartilhado: four threads get the address of the loop counter that
// creates them, not a copy of its value, and print what they find there when
// they get to run. Numbers repeat or go missing, differently on every run.
// Notes: README.md (português) and README.en.md (English) in this folder.
#include <atomic>
#include <cstdio>
#include <pthread.h>

// Atomic, so that the threads may read it while main changes it; it does not
// make the numbers any less surprising.
static_assert(std::atomic<int>::is_always_lock_free);

static void *minha_thread(void *arg)
{
    const auto *contador = static_cast<const std::atomic<int> *>(arg);
    printf("Hello thread! %d\n", contador->load()); // whatever it holds now
    return nullptr;
}

int main()
{
    pthread_t threads[4];
    std::atomic<int> i = 0;
    for (i = 0; i < 4; i++) {
        if (pthread_create(&threads[i], nullptr, minha_thread, &i) != 0) {
            for (int j = 0; j < i; j++)
                pthread_join(threads[j], nullptr);
            return 1;
        }
    }
    for (int j = 0; j < 4; j++)
        pthread_join(threads[j], nullptr);
    return fflush(stdout) == 0 && ferror(stdout) == 0 ? 0 : 1; // was all output written?
}
