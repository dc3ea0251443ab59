# The course's machine for those whose own computer is not Debian or Ubuntu
# (Windows, macOS): Debian 12 with every tool the lessons and their checks use,
# and a user who is not root, as on a student's own Linux. VS Code opens it
# through .devcontainer/; by hand, from the root of the repository:
#   docker build -t aulas .
#   docker run --rm -it --init --cap-add=SYS_PTRACE --security-opt seccomp=unconfined \
#       -v "$PWD":/home/aluno/aulas -w /home/aluno/aulas aulas
FROM debian:12

# make and procps come with a desktop system, not with this image; git, to
# hand in the exercises.
RUN apt-get update \
    && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
        g++ make cmake libgtest-dev clitest strace valgrind tmux procps \
        git ca-certificates less \
    && rm -rf /var/lib/apt/lists/*

# A UTF-8 locale, for the accents of the messages and for tmux; and a mark
# that diagnostico.sh reads, to say "rebuild the image" when a tool is missing.
ENV LANG=C.UTF-8 AULAS_CONTEINER=1

RUN useradd --create-home --shell /bin/bash --uid 1000 aluno
USER aluno
WORKDIR /home/aluno
CMD ["bash"]
