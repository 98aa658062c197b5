// varnel.exe's stack-protector runtime (app/stack_guard_win32.cpp, linked into this program as
// into varnel.exe): the guard is seeded before main, and a function whose buffer overran its end
// stops the process with STATUS_STACK_BUFFER_OVERRUN.
#include <gtest/gtest.h>

#include <cstdint>

#ifdef __GNUC__
extern "C" std::uintptr_t __stack_chk_guard;

namespace {

// Writes `count` bytes into an eight-byte buffer; the count comes in through a volatile, so the
// compiler cannot see the overrun coming.
__attribute__((noinline)) void FillBuffer(std::size_t count) {
    char buffer[8];
    for (std::size_t i = 0; i < count; ++i) {
        buffer[i] = 'x';
    }
    asm volatile("" : : "r"(buffer) : "memory");
}

volatile std::size_t fill = 64;

TEST(StackGuard, IsSeededWithAZeroFirstByte) {
    EXPECT_NE(__stack_chk_guard, static_cast<std::uintptr_t>(0x2B992DDFA232E64EULL));
    EXPECT_EQ(__stack_chk_guard & 0xFF, 0u);
}

TEST(StackGuardDeathTest, AnOverrunEndsTheProcessAsWindowsReportsIt) {
    FillBuffer(8); // within the buffer: returns
    EXPECT_EXIT(FillBuffer(fill), ::testing::ExitedWithCode(static_cast<int>(0xC0000409)), "");
}

} // namespace
#else
TEST(StackGuard, IsGccs) {
    GTEST_SKIP() << "the runtime is for GCC's -fstack-protector; Visual C++ brings its own (/GS)";
}
#endif
