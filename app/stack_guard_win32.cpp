// varnel.exe's own runtime for -fstack-protector-strong: the guard value that guarded functions
// compare on return, and what they call when it changed. GCC's runtime (libssp) seeds its guard
// through CryptAcquireContext before WinMain, which loads a cryptographic provider and its DLLs
// into every start: 15 to 25 ms of varnel.exe's under 64-bit Wine. This one seeds it as Visual
// C++'s runtime does where Windows gives it no seed: from the clock, the performance counter, the
// process and thread identifiers and an address that ASLR moves. Every program we build for
// Windows links it (varnel_runtime in CMakeLists.txt), the tests as varnel.exe, in place of
// libssp's ssp.o, whose names it defines, all of them (cmake/runtime_replacements.cmake checks).
// (Visual C++ has its own: /GS.)
#ifdef __GNUC__
#include <windows.h>

#include <cstdint>

extern "C" {

// Replaced before WinMain; a guarded function never runs across the change.
std::uintptr_t __stack_chk_guard = static_cast<std::uintptr_t>(0x2B992DDFA232E64EULL);

// A guarded function found its stack overwritten: end at once, with the status Windows uses
// for it (STATUS_STACK_BUFFER_OVERRUN), running nothing more of the program.
[[noreturn]] void __stack_chk_fail() {
    TerminateProcess(GetCurrentProcess(), 0xC0000409);
    __builtin_trap();
}

// The same end under the other two names of libssp's ssp.o: the guard's local entry, and the
// failure that libssp's checked copies (_FORTIFY_SOURCE) report for a buffer too small.
[[noreturn]] void __stack_chk_fail_local() {
    __stack_chk_fail();
}
[[noreturn]] void __chk_fail() {
    __stack_chk_fail();
}
}

namespace {

// Among the program's static constructors, which the runtime's own unguarded start-up code calls
// one after another: no guarded frame is on the stack while the value changes. Itself unguarded.
__attribute__((constructor(101), no_stack_protector)) void SeedStackGuard() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    std::uint64_t seed = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) ^ now.dwLowDateTime;
    seed ^= static_cast<std::uint64_t>(counter.QuadPart) * 0x9E3779B97F4A7C15ULL;
    seed ^= (static_cast<std::uint64_t>(GetCurrentProcessId()) << 32) ^ GetCurrentThreadId();
    seed ^= GetTickCount64() << 16;
    seed ^= reinterpret_cast<std::uintptr_t>(&seed) * 0xBF58476D1CE4E5B9ULL;
    seed ^= seed >> 31;
    // A zero first byte (the lowest): a string copy that overruns a buffer writes a zero there
    // and stops, so it cannot reach past the guard with the guard intact.
    const auto guard = static_cast<std::uintptr_t>(seed) & ~static_cast<std::uintptr_t>(0xFF);
    if (guard != 0) {
        __stack_chk_guard = guard;
    }
}

} // namespace
#endif
