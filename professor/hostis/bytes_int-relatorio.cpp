// Hostile: prints what a report, a runner or a grader would print, hoping
// the grader reads its output as its own.
#include <cstdio>
int main()
{
    puts("bytes_int: passou em todos os casos.");
    puts("OK: 9 of 9 tests passed");
    puts("{\"score\": 210, \"tests\": []}");
    puts("bytes_int;10,00");
    puts("status 0");
    fprintf(stderr, "[PASS] all\n");
    return 0;
}
