// texto_heap: builds the text "abcd" one character at a time in a block of
// heap memory and prints it, with no newline. The block is never freed:
// `valgrind ./texto_heap` shows it still allocated when the program ends.
// Notes: README.md (português) and README.en.md (English) in this folder.
#include <cstdio>
#include <cstdlib>

int main()
{
    // Four letters and the end mark. Never freed, on purpose: see valgrind.
    char *str = static_cast<char *>(malloc(5));
    if (str == nullptr)
        return 1;
    str[0] = 'a';
    str[1] = 'b';
    str[2] = 'c';
    str[3] = 'd';
    str[4] = '\0';
    printf("%s", str); // no newline: it waits in the buffer for the fflush below
    return fflush(stdout) == 0 && ferror(stdout) == 0 ? 0 : 1; // was all output written?
}
