// varnel.exe raises the C++ library's errors itself (app/varnel_library_errors_main_win32.cpp,
// linked into this program as into varnel.exe): they stay exceptions that derive from
// std::exception and carry the library's message, so that the launch's steps catch them and the
// trace says what they were.
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

} // namespace
