#include "launcher/bas_varnel.h"

#include "fake_profile_service.h"

#include <gtest/gtest.h>

namespace {

class Catalogue : public ::testing::Test {
  protected:
    void SetUp() override {
        IniPath = L"C:\\Tools\\varnel.ini";
        Locations.assign(1, LocationEntry{});
        EmailAlias.clear();
    }
    FakeProfileFiles files;
};

TEST(IniPath, OneBackslashBeforeTheFileName) {
    EXPECT_EQ(IniPathInFolder(L"C:\\"), L"C:\\varnel.ini");
    EXPECT_EQ(IniPathInFolder(L"C:\\Tools"), L"C:\\Tools\\varnel.ini");
    EXPECT_EQ(IniPathInFolder(L"\\\\server\\share\\apps"), L"\\\\server\\share\\apps\\varnel.ini");
}

TEST(IniPath, FolderOfTheProgramKeepsTheBackslashOfADriveRoot) {
    EXPECT_EQ(FolderOfPath(L"C:\\varnel.exe"), L"C:\\");
    EXPECT_EQ(FolderOfPath(L"C:\\Tools\\varnel.exe"), L"C:\\Tools");
    EXPECT_EQ(IniPathInFolder(FolderOfPath(L"C:\\varnel.exe")), L"C:\\varnel.ini");
}

TEST_F(Catalogue, ThreeEntriesAreRowsOneToThreeAndOtherIsRowZero) {
    files.Add(IniPath, {{"Locations", "London", "LONMX01"},
                        {"Locations", "Paris", "PARMX02"},
                        {"Locations", "Oslo", "OSLMX01"}});
    ASSERT_EQ(LoadLocations(files.Service()), 3);
    ASSERT_EQ(LocationCount(), 3);
    EXPECT_EQ(ServerForLocation(0), "LONMX01");
    EXPECT_EQ(ServerForLocation(1), "PARMX02");
    EXPECT_EQ(ServerForLocation(2), "OSLMX01");
    EXPECT_EQ(ServerForLocation(-1), "");
    EXPECT_EQ(Locations[2].Location, "Paris");
}

TEST_F(Catalogue, NoFileOrNoEntriesKeepsOnlyTheManualRow) {
    EXPECT_EQ(LoadLocations(files.Service()), 0);
    EXPECT_EQ(LocationCount(), 0);
    files.Add(IniPath, {{"Elsewhere", "London", "LONMX01"}});
    EXPECT_EQ(LoadLocations(files.Service()), 0);
    ASSERT_EQ(Locations.size(), 1u);
}

TEST_F(Catalogue, LoadingStartsTheManualRowEmpty) {
    SetOtherServer("typed");
    files.Add(IniPath, {{"Locations", "London", "LONMX01"}});
    ASSERT_EQ(LoadLocations(files.Service()), 1);
    EXPECT_EQ(ServerForLocation(-1), "");
}

TEST_F(Catalogue, LongValuesAreCutAndEmptyValuesStayEmpty) {
    files.Add(IniPath, {{"Locations", "Long", std::string(130, 's')}, {"Locations", "Blank", ""}});
    ASSERT_EQ(LoadLocations(files.Service()), 2);
    EXPECT_EQ(ServerForLocation(0), std::string(127, 's'));
    EXPECT_EQ(ServerForLocation(1), "");
}

TEST_F(Catalogue, TheTypedServerSurvivesMovingBetweenLocations) {
    files.Add(IniPath, {{"Locations", "London", "LONMX01"}});
    ASSERT_EQ(LoadLocations(files.Service()), 1);
    SetOtherServer("MYSERVER");
    EXPECT_EQ(ServerForLocation(0), "LONMX01");
    EXPECT_EQ(ServerForLocation(-1), "MYSERVER");
    EXPECT_EQ(Locations[1].Server, "LONMX01");
}

TEST_F(Catalogue, PositionsTheListCannotProduceGiveNothing) {
    files.Add(IniPath, {{"Locations", "London", "LONMX01"}});
    ASSERT_EQ(LoadLocations(files.Service()), 1);
    EXPECT_EQ(ServerForLocation(1), "");
    EXPECT_EQ(ServerForLocation(-2), "");
    EXPECT_EQ(ServerForLocation(32767), "");
}

TEST_F(Catalogue, TheAliasIsKeptWhole) {
    SetEmailAlias("  jdoe ");
    EXPECT_EQ(EmailAlias, "  jdoe ");
    SetEmailAlias("");
    EXPECT_EQ(EmailAlias, "");
}

} // namespace
