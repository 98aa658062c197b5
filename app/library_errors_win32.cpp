// How varnel.exe raises the C++ library's own errors: a string too long to be made, a position
// out of range and the like, and memory that runs out. The GNU C++ library throws its standard
// exception classes (std::length_error, ...), which keep their message in the library's older
// string type: raising any one of them links that whole string implementation and, through it,
// std::random_device, about 80 KiB, a third of the 32-bit program. Defining the library's raise
// functions here keeps its own out of the link. The errors stay exceptions that derive from
// std::exception and say what the library says, so the launch's steps catch them as before; the
// program catches no narrower type. Every program we build for Windows links it
// (varnel_runtime in CMakeLists.txt), the tests as varnel.exe, in place of the library's
// functexcept.o, whose names it defines, all of them (cmake/runtime_replacements.cmake checks).
#include <exception> // first: it tells which C++ library this is

#ifdef __GLIBCXX__
#include <new>
#include <typeinfo>

namespace {

// An error of the library's, with the library's message (a text it keeps for good).
class LibraryError final : public std::exception {
  public:
    explicit LibraryError(const char* what) noexcept : what_(what) {}
    const char* what() const noexcept override { return what_; }

  private:
    const char* what_;
};

} // namespace

// The library calls these where it raises an error (declared in <bits/functexcept.h>).
namespace std {
void __throw_bad_exception() {
    throw bad_exception();
}
void __throw_bad_alloc() {
    throw bad_alloc();
}
void __throw_bad_array_new_length() {
    throw bad_array_new_length();
}
void __throw_bad_cast() {
    throw bad_cast();
}
void __throw_bad_typeid() {
    throw bad_typeid();
}
void __throw_logic_error(const char* what) {
    throw LibraryError(what);
}
void __throw_domain_error(const char* what) {
    throw LibraryError(what);
}
void __throw_invalid_argument(const char* what) {
    throw LibraryError(what);
}
void __throw_length_error(const char* what) {
    throw LibraryError(what);
}
void __throw_out_of_range(const char* what) {
    throw LibraryError(what);
}
// The message is a format whose numbers are left unfilled: the C runtime's formatting, which
// would fill them, is what this file keeps out.
void __throw_out_of_range_fmt(const char* format, ...) {
    throw LibraryError(format);
}
void __throw_runtime_error(const char* what) {
    throw LibraryError(what);
}
void __throw_range_error(const char* what) {
    throw LibraryError(what);
}
void __throw_overflow_error(const char* what) {
    throw LibraryError(what);
}
void __throw_underflow_error(const char* what) {
    throw LibraryError(what);
}
} // namespace std
#endif
