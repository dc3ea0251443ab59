// Hostile: prints its whole environment, its arguments, who it is and what
// it can see of the machine.
#include <cstdio>
#include <cstdlib>
extern char **environ;
int main(int argc, char **argv)
{
    for (char **e = environ; *e; e++)
        puts(*e);
    for (int i = 0; i < argc; i++)
        puts(argv[i]);
    fflush(stdout);
    return system("id; ls -la / /proc/1/root 2>&1; cat /proc/self/status /proc/1/cmdline 2>&1; ls -la /proc/self/fd");
}
