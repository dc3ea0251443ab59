// Preloaded into a program (LD_PRELOAD), time() answers AULAS_TIME: a test
// picks the second that a program seeds its random generator from.
#include <cstdlib>
#include <ctime>

extern "C" time_t time(time_t *t) noexcept
{
    const char *valor = std::getenv("AULAS_TIME");
    const time_t agora = valor == nullptr ? 0 : std::strtoll(valor, nullptr, 10);
    if (t != nullptr)
        *t = agora;
    return agora;
}
