// Hostile: leaves processes behind: a new session and a double fork, each
// sleeping for a day, whatever it is asked to run.
#include <unistd.h>
int main()
{
    if (fork() == 0) {
        setsid();
        if (fork() == 0) {
            sleep(86400);
            return 0;
        }
        return 0;
    }
    if (fork() == 0)
        for (;;)
            pause();
    return 0;
}
