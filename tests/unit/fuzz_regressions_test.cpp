// Replays every input the fuzzers keep (fuzz/regressions/<target>: inputs that once broke an
// invariant; fuzz/seeds/<target>: the starting corpus) through the same harness the libFuzzer
// targets run, and checks that the harness's own invariant checks catch wrong results.

#include "fuzz/harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <ostream>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

struct FuzzTarget {
    const char* name;
    fuzz::Violations (*check)(const std::uint8_t* data, std::size_t size);
};

void PrintTo(const FuzzTarget& target, std::ostream* out) {
    *out << target.name;
}

const FuzzTarget kTargets[] = {
    {"ini_catalogue", fuzz::CheckCatalogue},
    {"reg_data", fuzz::CheckRegData},
    {"outlook_command", fuzz::CheckOutlookCommand},
};

// The inputs of one folder, in name order; a missing folder holds none.
std::vector<fs::path> InputsIn(const fs::path& folder) {
    std::vector<fs::path> inputs;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->is_regular_file() && it->path().filename().string().front() != '.') {
            inputs.push_back(it->path());
        }
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Joined(const fuzz::Violations& violations) {
    std::string text;
    for (const std::string& violation : violations) {
        text += "\n  " + violation;
    }
    return text;
}

fuzz::Violations Check(const FuzzTarget& target, const std::string& bytes) {
    return target.check(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

class FuzzReplay : public ::testing::TestWithParam<FuzzTarget> {};

TEST_P(FuzzReplay, KeptInputsHoldEveryInvariant) {
    const FuzzTarget& target = GetParam();
    const fs::path root = VARNEL_FUZZ_DIR;
    const std::vector<fs::path> findings = InputsIn(root / "regressions" / target.name);
    const std::vector<fs::path> seeds = InputsIn(root / "seeds" / target.name);
    // The seeds are committed with the harness: none found means the folder moved.
    ASSERT_FALSE(seeds.empty()) << "no seeds in " << (root / "seeds" / target.name).string();

    for (const std::vector<fs::path>* inputs : {&findings, &seeds}) {
        for (const fs::path& input : *inputs) {
            const std::string bytes = ReadBytes(input);
            const fuzz::Violations violations = Check(target, bytes);
            EXPECT_TRUE(violations.empty())
                << input.string() << " (" << bytes.size() << " bytes):" << Joined(violations);
        }
    }
    std::cout << "[ replayed ] " << target.name << ": " << findings.size() << " kept finding(s)"
              << (findings.empty() ? " (none found so far)" : "") << ", " << seeds.size()
              << " seed(s)\n";
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, ::testing::ValuesIn(kTargets),
                         [](const ::testing::TestParamInfo<FuzzTarget>& info) {
                             return std::string(info.param.name);
                         });

// ---- The harness's own answers on inputs worked out by hand -------------------------------

std::string RegInput(std::uint32_t type, std::uint32_t size, fuzz::ExpandMode mode,
                     std::uint32_t lie, const std::string& bytes) {
    std::string input;
    for (const std::uint32_t word : {type, size}) {
        for (int shift = 0; shift < 32; shift += 8) {
            input += static_cast<char>((word >> shift) & 0xFF);
        }
    }
    input += static_cast<char>(mode);
    for (int shift = 0; shift < 32; shift += 8) {
        input += static_cast<char>((lie >> shift) & 0xFF);
    }
    return input + bytes;
}

fuzz::RegDataCase Parsed(const std::string& input) {
    return fuzz::ParseRegDataCase(reinterpret_cast<const std::uint8_t*>(input.data()),
                                  input.size());
}

TEST(FuzzHarnessCatalogue, ServesNamesAndTheirFollowingPieceAsValue) {
    const std::string store = "London\0LONMX01\0"s;
    const fuzz::CatalogueRun run = fuzz::RunCatalogue(store);
    ASSERT_EQ(run.count, 2);
    ASSERT_EQ(run.rows.size(), 3u);
    EXPECT_EQ(run.rows[1].Location, "London");
    EXPECT_EQ(run.rows[1].Server, "LONMX01");
    EXPECT_EQ(run.rows[2].Location, "LONMX01");
    EXPECT_EQ(run.rows[2].Server, "");
    EXPECT_TRUE(fuzz::CheckCatalogueRun(store, run).empty())
        << Joined(fuzz::CheckCatalogueRun(store, run));
}

TEST(FuzzHarnessCatalogue, FirstEntryOfANameWinsWhateverItsCase) {
    EXPECT_EQ(fuzz::StoredValue("a\0one\0A\0two\0"s, "A"), "one");
    EXPECT_EQ(fuzz::StoredValue("a\0one\0"s, "missing"), "");
}

TEST(FuzzHarnessCatalogue, CutsAListLongerThanTheBufferAndDropsTheCutName) {
    // 4990 + 1 + 13 bytes do not fit 5000 with the list's null: 4998 are shown, "bbbbbbb" cut.
    const std::string store = std::string(4990, 'a') + '\0' + "bbbbbbbbbbbb\0"s;
    const fuzz::CatalogueRun run = fuzz::RunCatalogue(store);
    ASSERT_EQ(run.count, 1);
    EXPECT_EQ(run.rows[1].Location, std::string(4990, 'a'));
    // The value is looked up in the file, which still holds the whole entry after it.
    EXPECT_EQ(run.rows[1].Server, "bbbbbbbbbbbb");
    EXPECT_TRUE(fuzz::CheckCatalogueRun(store, run).empty());
}

TEST(FuzzHarnessCatalogue, ReportsEveryKindOfWrongCatalogue) {
    const std::string store = "London\0"s + std::string(200, 'S') + '\0' + "Paris\0PARMX\0"s;
    const fuzz::CatalogueRun good = fuzz::RunCatalogue(store);
    ASSERT_TRUE(fuzz::CheckCatalogueRun(store, good).empty());
    ASSERT_EQ(good.rows[1].Server, std::string(127, 'S'));

    auto broken = [&](auto change) {
        fuzz::CatalogueRun run = good;
        change(run);
        return fuzz::CheckCatalogueRun(store, run);
    };
    EXPECT_FALSE(broken([](fuzz::CatalogueRun& r) { r.rows[0].Server = "X"; }).empty());
    EXPECT_FALSE(broken([](fuzz::CatalogueRun& r) { r.rows[1].Server += 'S'; }).empty());
    EXPECT_FALSE(broken([](fuzz::CatalogueRun& r) { r.rows[2].Location += '\0'; }).empty());
    EXPECT_FALSE(broken([](fuzz::CatalogueRun& r) { r.rows[3].Server = "OTHER"; }).empty());
    EXPECT_FALSE(broken([](fuzz::CatalogueRun& r) { ++r.count; }).empty());
    EXPECT_FALSE(broken([](fuzz::CatalogueRun& r) { r.rows.pop_back(); }).empty());
    EXPECT_FALSE(broken([](fuzz::CatalogueRun& r) { r.loaded = 0; }).empty());
    EXPECT_FALSE(broken([](fuzz::CatalogueRun& r) { r.locations[0].Server = "TYPEDMX"; }).empty());
    EXPECT_FALSE(broken([](fuzz::CatalogueRun& r) { r.locations[2].Server = "X"; }).empty());
    EXPECT_FALSE(broken([](fuzz::CatalogueRun& r) { r.listRequestSizes[0] = 6000; }).empty());
    EXPECT_FALSE(broken([](fuzz::CatalogueRun& r) { r.valueRequestSizes[1] = 256; }).empty());
    EXPECT_FALSE(broken([](fuzz::CatalogueRun& r) { r.valueRequestKeys.pop_back(); }).empty());
    EXPECT_FALSE(
        broken([](fuzz::CatalogueRun& r) { r.serviceMisuse.push_back("file x"); }).empty());
}

TEST(FuzzHarnessCatalogue, ReportsALoadWithoutEntriesThatChangedTheCatalogue) {
    const std::string store = "no null at all";
    fuzz::CatalogueRun run = fuzz::RunCatalogue(store);
    ASSERT_EQ(run.count, 0);
    ASSERT_TRUE(fuzz::CheckCatalogueRun(store, run).empty());
    run.locations[0].Server.clear();
    EXPECT_FALSE(fuzz::CheckCatalogueRun(store, run).empty());
}

TEST(FuzzHarnessRegData, ReadsTheHeaderAndTreatsMissingBytesAsZero) {
    const fuzz::RegDataCase full =
        Parsed(RegInput(7, 0x01020304, fuzz::ExpandMode::AnyCount, 99, "data"));
    EXPECT_EQ(full.type, 7u);
    EXPECT_EQ(full.reportedSize, 0x01020304u);
    EXPECT_EQ(full.mode, fuzz::ExpandMode::AnyCount);
    EXPECT_EQ(full.lie, 99u);
    EXPECT_EQ(full.bytes, "data");
    const fuzz::RegDataCase shortInput = Parsed("\x02\x00\x00\x00\x05"s);
    EXPECT_EQ(shortInput.type, 2u);
    EXPECT_EQ(shortInput.reportedSize, 5u);
    EXPECT_EQ(shortInput.mode, fuzz::ExpandMode::Honest);
    EXPECT_TRUE(shortInput.bytes.empty());
}

TEST(FuzzHarnessRegData, DecodesOnlyTheReportedBytes) {
    const auto run = [](std::uint32_t type, std::uint32_t size, const std::string& bytes) {
        return fuzz::RunRegData(Parsed(RegInput(type, size, fuzz::ExpandMode::Honest, 0, bytes)))
            .zeroPadded;
    };
    EXPECT_EQ(run(1, 7, "abc\0def"s).Text(), "abc");
    EXPECT_EQ(run(1, 2, "abcdef").Text(), "ab");
    EXPECT_EQ(run(7, 6, "a\0b\0\0c"s).Text(), "a\0b"s);
    EXPECT_EQ(run(4, 4, "\x01\x02\x03\x04").Text(), std::to_string(0x04030201));
    EXPECT_EQ(run(5, 4, "\x01\x02\x03\x04").Text(), std::to_string(0x01020304));
    EXPECT_EQ(run(4, 2, "\x01\x02\x03\x04").Text(), std::to_string(0x0201));
    EXPECT_FALSE(run(3, 4, "\x01\x02\x03\x04").IsText());
    EXPECT_EQ(run(3, 4, "\x01\x02\x03\x04").Text(), "0");
}

TEST(FuzzHarnessRegData, ExpandsLikeTheSystemAndAsksAgainForALongResult) {
    EXPECT_EQ(fuzz::ExpandLikeTheSystem("x%A%y%a%"), "xalphayalpha");
    EXPECT_EQ(fuzz::ExpandLikeTheSystem("%nope%%A"), "%nope%%A");
    const std::string input = RegInput(2, 19, fuzz::ExpandMode::Honest, 0, "%LONG%%LONG%%LONG%\0"s);
    const fuzz::RegDataRun run = fuzz::RunRegData(Parsed(input));
    EXPECT_EQ(run.zeroPadded.Text(), std::string(3000, 'L'));
    ASSERT_EQ(run.calls.size(), 2u);
    EXPECT_EQ(run.calls[1].size, 3001u);
    // Beyond the longest expansion there is: nothing.
    const std::string huge = RegInput(2, 13, fuzz::ExpandMode::Honest, 0, "%HUGE%%HUGE%\0"s);
    EXPECT_EQ(fuzz::RunRegData(Parsed(huge)).zeroPadded.Text(), "");
    EXPECT_TRUE(fuzz::CheckRegData(reinterpret_cast<const std::uint8_t*>(huge.data()), huge.size())
                    .empty());
}

TEST(FuzzHarnessRegData, ReportsEveryKindOfWrongValue) {
    const fuzz::RegDataCase text = Parsed(RegInput(1, 7, fuzz::ExpandMode::Honest, 0, "abc\0de"s));
    const fuzz::RegDataRun good = fuzz::RunRegData(text);
    ASSERT_TRUE(fuzz::CheckRegDataRun(text, good).empty());

    fuzz::RegDataRun run = good;
    run.zeroPadded.Data = "abc\0de"s; // past the terminator
    EXPECT_FALSE(fuzz::CheckRegDataRun(text, run).empty());
    run = good;
    run.garbagePadded.Data = "abcG"s; // read past the reported size
    EXPECT_FALSE(fuzz::CheckRegDataRun(text, run).empty());
    run = good;
    run.zeroPadded.Data = std::int32_t{0}; // text type decoded as integer
    run.garbagePadded.Data = std::int32_t{0};
    EXPECT_FALSE(fuzz::CheckRegDataRun(text, run).empty());
    run = good;
    run.calls.push_back({"abc", 2048}); // a plain string is never expanded
    EXPECT_FALSE(fuzz::CheckRegDataRun(text, run).empty());

    const fuzz::RegDataCase binary = Parsed(RegInput(3, 4, fuzz::ExpandMode::Honest, 0, "\x01"));
    run = fuzz::RunRegData(binary);
    ASSERT_TRUE(fuzz::CheckRegDataRun(binary, run).empty());
    run.zeroPadded.Data = std::int32_t{1}; // only DWORD types carry an integer
    run.garbagePadded.Data = std::int32_t{1};
    EXPECT_FALSE(fuzz::CheckRegDataRun(binary, run).empty());

    const fuzz::RegDataCase lying =
        Parsed(RegInput(2, 4, fuzz::ExpandMode::OverCount, 5000, "%A%\0"s));
    run = fuzz::RunRegData(lying);
    ASSERT_TRUE(fuzz::CheckRegDataRun(lying, run).empty())
        << Joined(fuzz::CheckRegDataRun(lying, run));
    run.zeroPadded.Data = "alphaX"s; // more than the expansion wrote
    run.garbagePadded.Data = "alphaX"s;
    EXPECT_FALSE(fuzz::CheckRegDataRun(lying, run).empty());
    run = fuzz::RunRegData(lying);
    run.calls[0].size = 4096; // the first expansion uses the usual buffer
    run.garbageCalls[0].size = 4096;
    EXPECT_FALSE(fuzz::CheckRegDataRun(lying, run).empty());
}

TEST(FuzzHarnessCommand, AcceptsOnlyTheTextBeforeTheFirstMarker) {
    const std::string command = "C:\\Office\\OUTLOOK.EXE \"%1\" /c ipm.note \"%1\"";
    EXPECT_TRUE(fuzz::CheckProgramPart(command, "C:\\Office\\OUTLOOK.EXE").empty());
    EXPECT_TRUE(fuzz::CheckProgramPart("OUTLOOK.EXE /safe", "OUTLOOK.EXE /safe").empty());
    // Cut at the second marker: holds the first.
    EXPECT_FALSE(
        fuzz::CheckProgramPart(command, "C:\\Office\\OUTLOOK.EXE \"%1\" /c ipm.note").empty());
    // Cut where no marker starts.
    EXPECT_FALSE(fuzz::CheckProgramPart(command, "C:\\Office\\OUTLOOK").empty());
    // Changed without a marker, or not a prefix at all.
    EXPECT_FALSE(fuzz::CheckProgramPart("OUTLOOK.EXE /safe", "OUTLOOK.EXE").empty());
    EXPECT_FALSE(fuzz::CheckProgramPart("OUTLOOK.EXE", "OUTLOOK.EXE ").empty());
    EXPECT_FALSE(fuzz::CheckProgramPart("\"C:\\O.EXE\"", "C:\\O.EXE").empty());
}

} // namespace
