// Hostile: asks the compiler for the reference solution; the compiler sees
// only this file and the system's headers.
#include "@RAIZ@/professor/solucoes/espera_filhos.cpp"
