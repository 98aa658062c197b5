// What varnel.exe does with an exception that nothing caught: say so on the standard error
// stream and abort, as the GNU C++ library's own handler does, but name the exception's type
// as the compiler wrote it instead of in readable form. The library's handler needs its
// demangler and, through that, the C runtime's formatted output: about 70 KiB, a quarter of
// the program, for a message that a windowed program normally has no console to show. Every
// program we build for Windows links it (varnel_runtime in CMakeLists.txt), the tests as
// varnel.exe, in place of the library's vterminate.o, whose one name it defines
// (cmake/runtime_replacements.cmake checks).
#include <exception> // first: it tells which C++ library this is

#ifdef __GLIBCXX__
#include <cstdio>
#include <cstdlib>
#include <cxxabi.h>
#include <typeinfo>

// std::terminate calls this function through the library's handler pointer. Defining it here
// keeps the library's definition, and the demangler it calls, out of the link.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    static bool terminating = false;
    if (terminating) {
        std::fputs("terminate called recursively\n", stderr);
        std::abort();
    }
    terminating = true;
    const std::type_info* type = abi::__cxa_current_exception_type();
    if (type == nullptr) {
        std::fputs("terminate called without an active exception\n", stderr);
        std::abort();
    }
    std::fputs("terminate called after throwing an instance of '", stderr);
    std::fputs(type->name(), stderr);
    std::fputs("'\n", stderr);
    try {
        throw;
    } catch (const std::exception& error) {
        std::fputs("  what():  ", stderr);
        std::fputs(error.what(), stderr);
        std::fputs("\n", stderr);
    } catch (...) {
    }
    std::abort();
}
} // namespace __gnu_cxx
#endif
