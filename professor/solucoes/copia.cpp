// copia: copies a file through file descriptors, in blocks of up to 4096
// bytes: one read() per block, and a write() loop that finishes a partial
// write. DESTINO is opened only once ORIGEM has opened.
// Statement: "Exercícios" in the notes of arquivos.
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

// write() may take fewer bytes than asked (a full disk, a size limit, a
// signal); call it again for the rest until all n are written.
static bool escreve_tudo(int fd, const char *dados, ssize_t n)
{
    while (n > 0) {
        const ssize_t escritos = write(fd, dados, static_cast<size_t>(n));
        if (escritos <= 0)
            return false;
        dados += escritos;
        n -= escritos;
    }
    return true;
}

int main(int argc, char *argv[])
{
    if (argc != 3) {
        puts("uso: ./copia ORIGEM DESTINO");
        return 1;
    }
    // ORIGEM first: if it does not open, DESTINO is not even created.
    const int origem = open(argv[1], O_RDONLY);
    if (origem < 0)
        return 1;
    const int destino = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (destino < 0) {
        close(origem);
        return 1;
    }

    char bloco[4096];
    ssize_t lidos;
    while ((lidos = read(origem, bloco, sizeof bloco)) > 0)
        if (!escreve_tudo(destino, bloco, lidos))
            break;

    // lidos is 0 only at the end of ORIGEM: -1 is a failed read, and a
    // failed write stopped the loop with lidos > 0.
    const bool fechou = close(destino) == 0; // a late write error shows here
    close(origem);
    return lidos == 0 && fechou ? 0 : 1;
}
