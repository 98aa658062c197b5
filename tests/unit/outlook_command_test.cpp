#include "launcher/outlook.h"

#include <gtest/gtest.h>

namespace {

TEST(OutlookProgramFromCommand, CutsBeforeTheQuotedPlaceholder) {
    EXPECT_EQ(OutlookProgramFromCommand(R"("C:\Program Files\Office\OUTLOOK.EXE" "%1")"),
              R"("C:\Program Files\Office\OUTLOOK.EXE")");
    // Other switches before the placeholder stay, and so do spaces inside the program part.
    EXPECT_EQ(OutlookProgramFromCommand(R"("C:\Office\OUTLOOK.EXE" /select "%1")"),
              R"("C:\Office\OUTLOOK.EXE" /select)");
    EXPECT_EQ(OutlookProgramFromCommand(R"(C:\OUTLOOK.EXE  "%1" /x)"), R"(C:\OUTLOOK.EXE )");
}

TEST(OutlookProgramFromCommand, TakesTheFirstOfTwoMarkers) {
    EXPECT_EQ(OutlookProgramFromCommand(R"(a.exe "%1" "%1")"), "a.exe");
    EXPECT_EQ(OutlookProgramFromCommand(R"( "%1"a.exe)"), "");
}

TEST(OutlookProgramFromCommand, KeepsACommandWithoutTheExactMarker) {
    for (const std::string& command : std::initializer_list<std::string>{
             R"(C:\OUTLOOK.EXE %1)", R"(C:\OUTLOOK.EXE"%1")", R"(C:\OUTLOOK.EXE "%1)",
             R"(C:\OUTLOOK.EXE "%2")", R"(C:\OUTLOOK.EXE)", ""}) {
        EXPECT_EQ(OutlookProgramFromCommand(command), command);
    }
}

} // namespace
