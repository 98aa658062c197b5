// varnel.exe raises the C++ library's errors itself (app/library_errors_win32.cpp, linked into
// this program as into varnel.exe): they stay exceptions that derive from std::exception and
// carry the library's message, so that the launch's steps catch them and the trace says what they
// were. One that nothing catches ends the program through its own terminate handler
// (app/terminate_handler_win32.cpp).
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

std::string CaughtFrom(void (*raise)()) {
    try {
        raise();
    } catch (const std::exception& error) {
        EXPECT_EQ(dynamic_cast<const std::logic_error*>(&error), nullptr)
            << "the library's own exception class was linked";
        return error.what();
    }
    return "nothing thrown";
}

TEST(LibraryErrors, AreExceptionsWithTheLibrarysMessage) {
    EXPECT_EQ(CaughtFrom([] {
                  std::string text;
                  text.reserve(text.max_size() + 1);
              }),
              "basic_string::_M_create");
    EXPECT_EQ(CaughtFrom([] { (void)std::string("abc").at(7); }),
              "basic_string::at: __n (which is %zu) >= this->size() (which is %zu)");
}

// Out of a frame that lets no exception pass, as a window procedure: the handler names the type
// as the compiler wrote it, where the library's own would demangle it ("std::runtime_error").
void (*volatile raiseUncaught)() = [] { throw std::runtime_error("out of a window procedure"); };

TEST(LibraryErrorsDeathTest, OneThatNothingCatchesEndsTheProgramNamingIt) {
    EXPECT_DEATH([]() noexcept { raiseUncaught(); }(),
                 "terminate called after throwing an instance of 'St13runtime_error'");
}

} // namespace
