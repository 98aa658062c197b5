#include "platform/registry_management.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <vector>

namespace {

using namespace std::string_literals;

// ExpandEnvironmentStringsA over a fixed environment, recording what it was asked.
struct FakeEnvironment {
    std::map<std::string, std::string> variables;
    std::vector<std::pair<std::string, std::uint32_t>> calls; // source, buffer size
    std::uint32_t overReport = 0;                             // added to every count returned

    ExpandEnvironment Service() {
        return [this](const char* source, char* destination, std::uint32_t size) {
            calls.emplace_back(source, size);
            std::string text = source;
            for (const auto& [name, value] : variables) {
                for (auto at = text.find('%' + name + '%'); at != std::string::npos;
                     at = text.find('%' + name + '%', at + value.size())) {
                    text.replace(at, name.size() + 2, value);
                }
            }
            const auto needed = static_cast<std::uint32_t>(text.size() + 1);
            if (needed > size) {
                return needed;
            }
            text.copy(destination, text.size());
            destination[text.size()] = '\0';
            return needed + overReport;
        };
    }
};

RegValue Decode(const std::string& bytes, std::uint32_t type, FakeEnvironment* environment,
                std::size_t size) {
    RegValue value;
    value.Data = "stale"s; // decoding must replace whatever the output held
    FakeEnvironment unused;
    DecodeRegData(reinterpret_cast<const unsigned char*>(bytes.data()),
                  static_cast<std::uint32_t>(size), type, value,
                  (environment != nullptr ? environment : &unused)->Service());
    return value;
}

RegValue Decode(const std::string& bytes, std::uint32_t type,
                FakeEnvironment* environment = nullptr) {
    return Decode(bytes, type, environment, bytes.size());
}

TEST(RegValue, StartsAsIntegerZeroAndWritesIntegersInDecimal) {
    RegValue value;
    EXPECT_FALSE(value.IsText());
    EXPECT_EQ(value.Text(), "0");
    value.Data = std::int32_t{INT_MIN};
    EXPECT_EQ(value.Text(), "-2147483648");
    value.Data = "12"s;
    EXPECT_TRUE(value.IsText());
    EXPECT_EQ(value.Text(), "12");
}

TEST(DecodeRegData, StringEndsAtItsTerminator) {
    EXPECT_EQ(Decode("abc\0"s, kRegSz).Data, RegValue{"abc"s}.Data);
    EXPECT_EQ(Decode("\0"s, kRegSz).Text(), "");
    // Nothing at all, not even a terminator: the empty text.
    EXPECT_EQ(Decode("", kRegSz).Data, RegValue{""s}.Data);
    EXPECT_EQ(Decode("abc\0"s, kRegSz, nullptr, 0).Text(), "");
    // Stored without a terminator (an odd size): the last character is kept.
    EXPECT_EQ(Decode("abc", kRegSz).Text(), "abc");
    // Padding after the terminator would otherwise end a command line early.
    EXPECT_EQ(Decode("C:\\outlook.exe\0\0\0\0"s, kRegSz).Text(), "C:\\outlook.exe");
    EXPECT_EQ(Decode("ab\0cd\0"s, kRegSz).Text(), "ab");
}

TEST(DecodeRegData, ExpandableStringIsExpandedWithoutItsNull) {
    FakeEnvironment environment;
    environment.variables["SystemRoot"] = "C:\\WINDOWS";
    const RegValue value = Decode("%SystemRoot%\\notepad.exe\0junk\0"s, kRegExpandSz, &environment);
    EXPECT_EQ(value.Data, RegValue{"C:\\WINDOWS\\notepad.exe"s}.Data);
    ASSERT_EQ(environment.calls.size(), 1u);
    EXPECT_EQ(environment.calls[0].first, "%SystemRoot%\\notepad.exe");
    EXPECT_EQ(environment.calls[0].second, kExpandBufferSize);
    // A count beyond what was really stored does not bring nulls into the text.
    environment.overReport = 5;
    EXPECT_EQ(Decode("%SystemRoot%\0"s, kRegExpandSz, &environment).Text(), "C:\\WINDOWS");
}

TEST(DecodeRegData, FailedExpansionGivesEmptyText) {
    const ExpandEnvironment failing = [](const char*, char*, std::uint32_t) {
        return std::uint32_t{0};
    };
    RegValue value;
    DecodeRegData(reinterpret_cast<const unsigned char*>("%X%"), 4, kRegExpandSz, value, failing);
    EXPECT_EQ(value.Data, RegValue{""s}.Data);
}

TEST(DecodeRegData, ExpansionLongerThanTheBufferIsExpandedWhole) {
    FakeEnvironment environment;
    environment.variables["FITS"] = std::string(kExpandBufferSize - 1, 'f');
    environment.variables["LONG"] = std::string(kExpandBufferSize, 'l');
    environment.variables["HUGE"] = std::string(kExpandMaximumSize, 'h');
    EXPECT_EQ(Decode("%FITS%\0"s, kRegExpandSz, &environment).Text().size(), kExpandBufferSize - 1);
    EXPECT_EQ(environment.calls.size(), 1u);

    environment.calls.clear();
    EXPECT_EQ(Decode("%LONG%!\0"s, kRegExpandSz, &environment).Text(),
              std::string(kExpandBufferSize, 'l') + "!");
    ASSERT_EQ(environment.calls.size(), 2u);
    EXPECT_EQ(environment.calls[1].second, kExpandBufferSize + 2);

    // Beyond what the service can produce, or grown again between the two calls: empty.
    environment.calls.clear();
    EXPECT_EQ(Decode("%HUGE%\0"s, kRegExpandSz, &environment).Data, RegValue{""s}.Data);
    EXPECT_EQ(environment.calls.size(), 1u);
    int call = 0;
    const ExpandEnvironment growing = [&call](const char*, char*, std::uint32_t) {
        return static_cast<std::uint32_t>(3000 + 1000 * call++);
    };
    RegValue value;
    DecodeRegData(reinterpret_cast<const unsigned char*>("%X%"), 4, kRegExpandSz, value, growing);
    EXPECT_EQ(value.Data, RegValue{""s}.Data);
    EXPECT_EQ(call, 2);
}

TEST(DecodeRegData, DwordIsLittleEndianTwosComplement) {
    EXPECT_EQ(Decode("\x01\0\0\0"s, kRegDword).Data, RegValue{std::int32_t{1}}.Data);
    EXPECT_EQ(Decode("\xff\xff\xff\xff", kRegDword).Text(), "-1");
    EXPECT_EQ(Decode("\0\0\0\x80"s, kRegDword).Text(), "-2147483648");
    EXPECT_EQ(Decode("\xff\xff\xff\x7f", kRegDword).Text(), "2147483647");
    EXPECT_EQ(Decode("\x04\x03\x02\x01", kRegDword).Text(), "16909060");
    // Bytes past the reported size are the buffer's nulls, whatever the data pointer holds.
    EXPECT_EQ(Decode("\x01\x02\xff\xff", kRegDword, nullptr, 2).Text(), "513");
    EXPECT_EQ(Decode("\xff\xff\xff\xff", kRegDword, nullptr, 0).Text(), "0");
}

TEST(DecodeRegData, BigEndianDwordHasItsSignInTheFirstByte) {
    EXPECT_EQ(Decode("\0\0\x01\0"s, kRegDwordBigEndian).Text(), "256");
    EXPECT_EQ(Decode("\x80\0\0\0"s, kRegDwordBigEndian).Text(), "-2147483648");
    EXPECT_EQ(Decode("\xff\xff\xff\xfe", kRegDwordBigEndian).Text(), "-2");
    EXPECT_EQ(Decode("\x01\x02\xff\xff", kRegDwordBigEndian, nullptr, 2).Text(), "16908288");
}

TEST(DecodeRegData, MultiStringKeepsItsSeparators) {
    EXPECT_EQ(Decode("a\0b\0\0"s, kRegMultiSz).Data, RegValue{"a\0b"s}.Data);
    EXPECT_EQ(Decode("one\0two\0three\0\0"s, kRegMultiSz).Text(), "one\0two\0three"s);
    EXPECT_EQ(Decode("\0"s, kRegMultiSz).Data, RegValue{""s}.Data);
    EXPECT_EQ(Decode("\0\0"s, kRegMultiSz).Text(), "");
    EXPECT_EQ(Decode("", kRegMultiSz).Text(), "");
    // Without its final null the list still ends where the data ends.
    EXPECT_EQ(Decode("a\0b"s, kRegMultiSz).Text(), "a\0b"s);
    EXPECT_EQ(Decode("a\0b\0\xff\xff"s, kRegMultiSz, nullptr, 4).Text(), "a\0b"s);
}

TEST(DecodeRegData, UndecodedTypesGiveIntegerZero) {
    for (const std::uint32_t type :
         {kRegNone, kRegBinary, kRegLink, kRegResourceList, kRegFullResourceDescriptor,
          kRegResourceRequirementsList, kRegQword, 12u, 0xffffffffu}) {
        const RegValue value = Decode("text\0"s, type);
        EXPECT_EQ(value.Data, RegValue{}.Data) << "type " << type;
        EXPECT_EQ(value.Text(), "0") << "type " << type;
    }
}

// A full buffer followed by bytes that are not the program's: nothing past the 2048 bytes is
// read, whatever size is claimed.
TEST(DecodeRegData, NeverReadsPastTheBuffer) {
    std::string memory(kRegDataBufferSize, 'a');
    memory += std::string(kRegDataBufferSize, 'X');
    const std::string full(kRegDataBufferSize, 'a');
    FakeEnvironment environment;
    for (const std::size_t size : {kRegDataBufferSize, memory.size(), std::size_t{0xffffffff}}) {
        EXPECT_EQ(Decode(memory, kRegSz, nullptr, size).Text(), full);
        EXPECT_EQ(Decode(memory, kRegMultiSz, nullptr, size).Text(), full);
        EXPECT_EQ(Decode(memory, kRegExpandSz, &environment, size).Text(), full);
    }
    // No buffer at all, whatever size is claimed.
    for (const std::uint32_t type : {kRegSz, kRegDword, kRegMultiSz}) {
        RegValue value;
        DecodeRegData(nullptr, 16, type, value, environment.Service());
        EXPECT_EQ(value.Text(), type == kRegDword ? "0" : "") << "type " << type;
    }
    // A full buffer that ends in its terminator, or in a list's last single null.
    std::string terminated = full;
    terminated.back() = '\0';
    EXPECT_EQ(Decode(terminated, kRegSz).Text(), full.substr(1));
    EXPECT_EQ(Decode(terminated, kRegMultiSz).Text(), full.substr(1));
    EXPECT_EQ(Decode(terminated, kRegDword).Text(), "1633771873");
}

} // namespace
