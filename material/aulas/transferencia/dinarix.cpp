// dinarix: one attempt at a transfer over a network that fails at random.
// It tells how the attempt went only through its exit status: 0 done, 1 to 4
// network failure, 255 bad invocation. Run it, then `echo $?`; pipe it through
// `cat` and "Tentando transferir..." shows up only after the pause.
// Notes: README.md (português) and README.en.md (English) in this folder.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

int main(int argc, char *argv[])
{
    // Seeded from the clock in whole seconds: two clients started in the
    // same second sleep as long and end the same way.
    srandom(static_cast<unsigned int>(time(nullptr)));

    if (argc <= 3) {
        puts("Erro! Quantidade de parametros insuficiente");
        puts("Exemplo de uso:\n./dinarix ab134d4 d8b0a9e 109.75");
        return -1; // on purpose: the parent sees the byte 255
    }

    // atof takes the longest number it can read at the front: "12abc" is 12,
    // "109,75" is 109. NaN and infinities are no amount of money.
    const double valor = atof(argv[3]);
    if (!std::isfinite(valor) || valor <= 0.0) {
        puts("Erro! Valor inválido. Não pode ser zero nem negativo!");
        return -1;
    }

    puts("Tentando transferir...");
    sleep(static_cast<unsigned int>(random() % 2 + 1));
    return static_cast<int>(random() % 5); // 0 about one time in five
}
