// Hostile: never ends, ignores every signal it can, and keeps a CPU busy.
#include <csignal>
int main()
{
    for (int s = 1; s < 32; s++)
        signal(s, SIG_IGN);
    for (volatile unsigned long i = 0;; i++)
        ;
}
