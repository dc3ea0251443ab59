// ordem_semaforos: four threads print two letters each; four counting
// semaphores make every second letter wait for certain first letters.
// Run it many times: the order changes, but C never comes before A and B,
// D never before A, B, E and G, F and H never before B, E and G.
// Notes: README.md (português) and README.en.md (English) in this folder.
#include <cstdio>
#include <initializer_list>
#include <pthread.h>
#include <semaphore.h>
#include <unistd.h>

// Every thread gets this same record. Each thread owns one semaphore and
// posts it once for every thread that waits on it.
struct semaforos {
    sem_t *s0, *s1, *s2, *s3;
};

static void postar(sem_t *s, int vezes)
{
    for (int i = 0; i < vezes; i++)
        sem_post(s);
}

static void esperar(std::initializer_list<sem_t *> lista)
{
    for (sem_t *s : lista)
        sem_wait(s);
}

static void *thread1(void *arg)
{
    auto *s = static_cast<semaforos *>(arg);
    puts("A");
    postar(s->s0, 2);
    esperar({s->s0, s->s1});
    puts("C");
    return nullptr;
}

static void *thread2(void *arg)
{
    auto *s = static_cast<semaforos *>(arg);
    puts("B");
    postar(s->s1, 4);
    esperar({s->s0, s->s1, s->s2, s->s3});
    puts("D");
    return nullptr;
}

static void *thread3(void *arg)
{
    auto *s = static_cast<semaforos *>(arg);
    puts("E");
    postar(s->s2, 3);
    esperar({s->s1, s->s2, s->s3});
    puts("F");
    return nullptr;
}

static void *thread4(void *arg)
{
    auto *s = static_cast<semaforos *>(arg);
    puts("G");
    postar(s->s3, 3);
    esperar({s->s1, s->s2, s->s3});
    puts("H");
    return nullptr;
}

int main()
{
    sem_t s0, s1, s2, s3;
    for (sem_t *s : {&s0, &s1, &s2, &s3})
        if (sem_init(s, 0, 0) != 0) // private to this process, starting at 0
            return 1;

    semaforos registro = {&s0, &s1, &s2, &s3};
    void *(*const funcoes[])(void *) = {thread1, thread2, thread3, thread4};
    pthread_t threads[4];
    for (int i = 0; i < 4; i++) {
        // A missing thread never posts: those already running may wait on
        // it for good and can't be joined. Keep what was printed and end.
        if (pthread_create(&threads[i], nullptr, funcoes[i], &registro) != 0) {
            fflush(stdout);
            _exit(1);
        }
    }
    for (pthread_t t : threads)
        pthread_join(t, nullptr);
    for (sem_t *s : {&s0, &s1, &s2, &s3})
        sem_destroy(s);
    return fflush(stdout) == 0 && ferror(stdout) == 0 ? 0 : 1; // was all output written?
}
