// Hostile: closes or writes into every descriptor it may have inherited,
// then points its own standard streams elsewhere.
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
int main()
{
    for (int fd = 3; fd < 1024; fd++) {
        write(fd, "soma de 1 a 10 com 4 threads: 54\n", 33);
        close(fd);
    }
    int tty = open("/dev/tty", O_WRONLY);
    if (tty >= 0)
        dup2(tty, 1);
    close(0);
    close(2);
    puts("soma de 1 a 10 com 4 threads: 54");
    return 0;
}
