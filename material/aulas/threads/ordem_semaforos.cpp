// ordem_semaforos: four threads print two letters each; four counting
// semaphores make every second letter wait for certain first letters.
// Run it many times: the order changes, but C never comes before A and B, and
// D never before A, B, E and G; F and H never before B, E and G.
#include <cstdio>
#include <pthread.h>
#include <semaphore.h>
#include <unistd.h>

// Every thread gets the same record: each owns one semaphore and posts it
// once for every thread that waits on it.
struct semaforos {
    sem_t *s0, *s1, *s2, *s3;
};

static void postar(sem_t *s, int vezes)
{
    for (int i = 0; i < vezes; i++)
        sem_post(s);
}

static void *thread1(void *arg)
{
    auto *s = static_cast<semaforos *>(arg);
    puts("A");
    postar(s->s0, 2);
    sem_wait(s->s0);
    sem_wait(s->s1);
    puts("C");
    return nullptr;
}

static void *thread2(void *arg)
{
    auto *s = static_cast<semaforos *>(arg);
    puts("B");
    postar(s->s1, 4);
    sem_wait(s->s0);
    sem_wait(s->s1);
    sem_wait(s->s2);
    sem_wait(s->s3);
    puts("D");
    return nullptr;
}

static void *thread3(void *arg)
{
    auto *s = static_cast<semaforos *>(arg);
    puts("E");
    postar(s->s2, 3);
    sem_wait(s->s1);
    sem_wait(s->s2);
    sem_wait(s->s3);
    puts("F");
    return nullptr;
}

static void *thread4(void *arg)
{
    auto *s = static_cast<semaforos *>(arg);
    puts("G");
    postar(s->s3, 3);
    sem_wait(s->s1);
    sem_wait(s->s2);
    sem_wait(s->s3);
    puts("H");
    return nullptr;
}

int main()
{
    sem_t s0, s1, s2, s3;
    sem_t *todos[] = {&s0, &s1, &s2, &s3};
    for (int i = 0; i < 4; i++) {
        if (sem_init(todos[i], 0, 0) != 0) {
            for (int j = 0; j < i; j++)
                sem_destroy(todos[j]);
            return 1;
        }
    }

    semaforos registro = {&s0, &s1, &s2, &s3};
    void *(*const funcoes[4])(void *) = {thread1, thread2, thread3, thread4};
    pthread_t threads[4];
    for (int i = 0; i < 4; i++) {
        if (pthread_create(&threads[i], nullptr, funcoes[i], &registro) != 0) {
            // The threads already running may wait for good on the missing
            // thread's semaphore: they can't be joined, and the semaphores
            // they use must not be destroyed. Keep what was printed, end now.
            fflush(stdout);
            _exit(1);
        }
    }

    for (int i = 0; i < 4; i++)
        pthread_join(threads[i], nullptr);
    for (int i = 0; i < 4; i++)
        sem_destroy(todos[i]);
    return 0;
}
