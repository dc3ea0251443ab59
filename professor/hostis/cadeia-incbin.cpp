// Hostile: has the assembler put the reference solution into the program,
// then prints it; the assembler sees only this file and the system.
#include <cstdio>
asm(".section .rodata\n.global resposta\nresposta:\n.incbin \"@RAIZ@/professor/solucoes/cadeia.cpp\"\n.byte 0\n.text\n");
extern "C" const char resposta[];
int main()
{
    fputs(resposta, stdout);
    return 0;
}
