// texto_heap: four letters built in a heap block, printed with no line end.
#include "processo.hpp"

#include <gtest/gtest.h>

using namespace harness;

namespace {

TEST(TextoHeap, PrintsFourLettersAndNoLineEnd)
{
    // The block is left allocated on purpose: tell the leak checker.
    auto p = run({.program = bin("texto_heap"), .env = {"ASAN_OPTIONS=detect_leaks=0"}});
    EXPECT_EQ(p.out, "abcd");
    EXPECT_EQ(p.err, "");
    EXPECT_EQ(p.exit_code, 0);
}

} // namespace
