#include "platform/ini.h"

#include "fake_profile_service.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

const std::wstring kFile = L"C:\\Tools\\varnel.ini";

TEST(SplitNameList, TakesEveryNameThatEndsInANull) {
    EXPECT_EQ(SplitNameList("a\0bb\0"s), (std::vector<std::string>{"a", "bb"}));
    EXPECT_TRUE(SplitNameList("").empty());
}

TEST(SplitNameList, DropsANameCutByTheBuffer) {
    EXPECT_EQ(SplitNameList("first\0second\0thi"s), (std::vector<std::string>{"first", "second"}));
    EXPECT_TRUE(SplitNameList("cut").empty());
}

TEST(SplitNameList, KeepsAnEmptyNameBetweenTwoNulls) {
    EXPECT_EQ(SplitNameList("a\0\0b\0"s), (std::vector<std::string>{"a", "", "b"}));
}

TEST(ReadIniValue, ReturnsTheValueOrExactlyTheDefault) {
    FakeProfileFiles files;
    files.Add(kFile, {{"Locations", "London", "LONMX01"}});
    EXPECT_EQ(ReadIniValue(files.Service(), "Locations", "London", "x", 128, kFile), "LONMX01");
    EXPECT_EQ(ReadIniValue(files.Service(), "locations", "LONDON", "x", 128, kFile), "LONMX01");
    EXPECT_EQ(ReadIniValue(files.Service(), "Locations", "Paris", " dflt ", 128, kFile), " dflt ");
    EXPECT_EQ(ReadIniValue(files.Service(), "Locations", "London", "", 128, L"missing.ini"), "");
}

TEST(ReadIniValue, CutsToOneLessThanTheBuffer) {
    FakeProfileFiles files;
    files.Add(kFile, {{"S", "k", std::string(200, 'v')}});
    EXPECT_EQ(ReadIniValue(files.Service(), "S", "k", "", 128, kFile), std::string(127, 'v'));
    EXPECT_EQ(ReadIniValue(files.Service(), "S", "k", "", 1, kFile), "");
    EXPECT_EQ(ReadIniValue(files.Service(), "S", "k", "", 0, kFile), "");
}

TEST(ReadIniValue, NeverTrustsACountBeyondTheBuffer) {
    const ProfileStringService liar = [](const char*, const char*, const char*, char* buffer,
                                         std::uint32_t, const wchar_t*) -> std::uint32_t {
        buffer[0] = 'x';
        return 60000;
    };
    EXPECT_EQ(ReadIniValue(liar, "S", "k", "", 8, kFile).size(), 0u);
    const ProfileStringService tooMany = [](const char*, const char*, const char*, char*,
                                            std::uint32_t,
                                            const wchar_t*) -> std::uint32_t { return 300; };
    EXPECT_EQ(ReadIniValue(tooMany, "S", "k", "", 8, kFile), std::string(8, ' '));
}

TEST(ReadIniSection, FillsRowsInFileOrderAndLeavesRowZeroEmpty) {
    FakeProfileFiles files;
    files.Add(kFile, {{"Locations", "a", "1"}, {"Other", "z", "9"}, {"Locations", "b", "2"}});
    std::vector<LocationEntry> rows;
    bool cut = true;
    ASSERT_EQ(ReadIniSection(files.Service(), "Locations", kFile, rows, &cut), 2);
    EXPECT_FALSE(cut);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].Location, "");
    EXPECT_EQ(rows[0].Server, "");
    EXPECT_EQ(rows[1].Location, "a");
    EXPECT_EQ(rows[1].Server, "1");
    EXPECT_EQ(rows[2].Location, "b");
    EXPECT_EQ(rows[2].Server, "2");
}

TEST(ReadIniSection, RepeatedNamesCarryTheFirstValue) {
    FakeProfileFiles files;
    files.Add(kFile, {{"Locations", "x", "1"}, {"Locations", "y", "2"}, {"Locations", "X", "3"}});
    std::vector<LocationEntry> rows;
    ASSERT_EQ(ReadIniSection(files.Service(), "Locations", kFile, rows), 3);
    EXPECT_EQ(rows[1].Server, "1");
    EXPECT_EQ(rows[2].Server, "2");
    EXPECT_EQ(rows[3].Location, "X");
    EXPECT_EQ(rows[3].Server, "1");
}

TEST(ReadIniSection, OneCallForTheNamesAndOnePerEntry) {
    FakeProfileFiles files;
    files.Add(kFile, {{"Locations", "a", "1"}, {"Locations", "b", ""}});
    std::vector<LocationEntry> rows;
    ASSERT_EQ(ReadIniSection(files.Service(), "Locations", kFile, rows), 2);
    EXPECT_EQ(files.calls, 3);
    EXPECT_EQ(rows[2].Server, "");
}

TEST(ReadIniSection, NothingFoundLeavesTheRowsAsPassed) {
    FakeProfileFiles files;
    files.Add(kFile, {{"Other", "a", "1"}});
    std::vector<LocationEntry> rows{{"keep", "me"}};
    EXPECT_EQ(ReadIniSection(files.Service(), "Locations", kFile, rows), 0);
    EXPECT_EQ(ReadIniSection(files.Service(), "Locations", L"missing.ini", rows), 0);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Location, "keep");
}

TEST(ReadIniSection, ANameListOverTheBufferLoadsOnlyTheCompleteNames) {
    FakeProfileFiles files;
    std::vector<FakeIniEntry> entries;
    // 600 names of 9 characters and a null: 6000 characters, over the 5000 of the buffer.
    for (int i = 0; i < 600; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "site%05d", i);
        entries.push_back({"Locations", name, "srv"});
    }
    files.Add(kFile, entries);
    std::vector<LocationEntry> rows;
    // 4998 characters are kept: 499 whole names of 10, then 8 characters of the 500th.
    bool cut = false;
    ASSERT_EQ(ReadIniSection(files.Service(), "Locations", kFile, rows, &cut), 499);
    EXPECT_TRUE(cut);
    EXPECT_EQ(rows[499].Location, "site00498");
    EXPECT_EQ(rows[499].Server, "srv");
}

} // namespace
