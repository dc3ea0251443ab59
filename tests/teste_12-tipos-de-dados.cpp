// texto_heap: four letters built in a heap block, printed with no line end.
#include "processo.hpp"

#include <gtest/gtest.h>

using namespace harness;

namespace {

TEST(TextoHeap, PrintsFourLettersAndNoLineEnd)
{
    // The block is left allocated on purpose: tell the leak checker. Without
    // its end mark the text runs off the block: AddressSanitizer's run sees it.
    const Options o = {.program = bin("texto_heap"), .env = {"ASAN_OPTIONS=detect_leaks=0"}};
    for (const bool terminal : {false, true}) {
        auto with = o;
        with.terminal = terminal;
        expect_ended(run(with), 0, "abcd");
    }
    expect_unwritten_output_fails(o);
}

} // namespace
