#include "launcher/outlook.h"
#include "platform/registry_management.h"
#include "platform/win32_raii.h"
#include "support/handle_count.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <optional>
#include <utility>

namespace {

using namespace std::string_literals;

constexpr const char* kTestRoot = "Software\\VarnelTest";

UniqueRegKey CreateKey(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    EXPECT_EQ(
        RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS)
        << path;
    return UniqueRegKey(key);
}

void SetValue(HKEY key, const std::string& name, DWORD type, const std::string& bytes) {
    ASSERT_EQ(RegSetValueExA(key, name.c_str(), 0, type,
                             reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
}

// A key of this test below HKEY_CURRENT_USER\Software\VarnelTest, deleted with its contents.
class ScratchKey {
  public:
    ScratchKey()
        : path_(std::string(kTestRoot) + "\\registry-" + std::to_string(GetCurrentProcessId())),
          key_(CreateKey(HKEY_CURRENT_USER, path_)) {}
    ~ScratchKey() {
        key_.reset();
        RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, kTestRoot); // only once no other test uses it
    }
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    void Set(const std::string& name, DWORD type, const std::string& bytes) const {
        SetValue(key_.get(), name, type, bytes);
    }
    std::string Read(const std::string& name, const std::string& defaultText = "default") const {
        return ReadRegValue(HKEY_CURRENT_USER, path_, name, defaultText);
    }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
    UniqueRegKey key_;
};

TEST(ReadRegValue, MissingKeyOrValueGivesTheDefaultText) {
    const ScratchKey scratch;
    scratch.Set("present", REG_SZ, "x\0"s);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, scratch.path() + "\\absent", "present", "dflt"),
              "dflt");
    EXPECT_EQ(scratch.Read("absent", "dflt"), "dflt");
    EXPECT_EQ(scratch.Read("", "dflt"), "dflt") << "no default value set";
    EXPECT_EQ(scratch.Read("absent", ""), "");
}

TEST(ReadRegValue, EmptyNameReadsTheKeysDefaultValue) {
    const ScratchKey scratch;
    scratch.Set("", REG_SZ, "unnamed\0"s);
    scratch.Set("named", REG_SZ, "named\0"s);
    EXPECT_EQ(scratch.Read(""), "unnamed");
    EXPECT_EQ(scratch.Read("named"), "named");
}

TEST(ReadRegValue, EachTypeAsStored) {
    const ScratchKey scratch;
    scratch.Set("sz", REG_SZ, "abc\0"s);
    scratch.Set("dword", REG_DWORD, "\xff\xff\xff\xff");
    scratch.Set("min", REG_DWORD, "\0\0\0\x80"s);
    scratch.Set("big", REG_DWORD_BIG_ENDIAN, "\0\0\x01\0"s);
    scratch.Set("multi", REG_MULTI_SZ, "a\0b\0\0"s);
    scratch.Set("binary", REG_BINARY, "\x01\x02");
    scratch.Set("qword", REG_QWORD, "\x01\0\0\0\0\0\0\0"s);
    EXPECT_EQ(scratch.Read("sz"), "abc");
    EXPECT_EQ(scratch.Read("dword"), "-1");
    EXPECT_EQ(scratch.Read("min"), "-2147483648");
    EXPECT_EQ(scratch.Read("big"), "256");
    EXPECT_EQ(scratch.Read("multi"), "a\0b"s);
    EXPECT_EQ(scratch.Read("binary"), "0");
    EXPECT_EQ(scratch.Read("qword"), "0");
}

TEST(ReadRegValue, ExpandableStringIsExpandedFromTheEnvironment) {
    const ScratchKey scratch;
    SetEnvironmentVariableA("VARNEL_TEST_FOLDER", "C:\\Varnel Test");
    scratch.Set("expand", REG_EXPAND_SZ, "%VARNEL_TEST_FOLDER%\\%SystemRoot%\\notepad.exe\0"s);
    std::array<char, MAX_PATH> systemRoot{};
    GetEnvironmentVariableA("SystemRoot", systemRoot.data(), MAX_PATH);
    const std::string expected = "C:\\Varnel Test\\"s + systemRoot.data() + "\\notepad.exe";
    EXPECT_EQ(scratch.Read("expand"), expected);
    SetEnvironmentVariableA("VARNEL_TEST_FOLDER", nullptr);
}

TEST(ReadRegValue, DataLargerThanTheBufferGivesTheDefaultText) {
    const ScratchKey scratch;
    scratch.Set("fits", REG_SZ, std::string(2047, 'f') + '\0');
    scratch.Set("long", REG_SZ, std::string(2048, 'l') + '\0');
    scratch.Set("binaryFits", REG_BINARY, std::string(2048, 'b'));
    scratch.Set("binaryLong", REG_BINARY, std::string(2049, 'b'));
    EXPECT_EQ(scratch.Read("fits"), std::string(2047, 'f'));
    EXPECT_EQ(scratch.Read("long"), "default");
    EXPECT_EQ(scratch.Read("binaryFits"), "0");
    EXPECT_EQ(scratch.Read("binaryLong"), "default");
}

TEST(OpenRegKeyAndQueryRegValue, ReportTheStatusAndTouchNothingOnFailure) {
    const ScratchKey scratch;
    scratch.Set("sz", REG_SZ, "abc\0"s);
    UniqueRegKey key;
    EXPECT_EQ(OpenRegKey(HKEY_CURRENT_USER, scratch.path() + "\\absent", KEY_READ, key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(key);
    ASSERT_EQ(OpenRegKey(HKEY_CURRENT_USER, scratch.path(), KEY_READ, key), ERROR_SUCCESS);
    ASSERT_TRUE(key);
    RegValue value;
    value.Data = "kept"s;
    EXPECT_EQ(QueryRegValue(key.get(), "absent", value), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(value.Text(), "kept");
    EXPECT_EQ(QueryRegValue(key.get(), "sz", value), ERROR_SUCCESS);
    EXPECT_EQ(value.Text(), "abc");
}

TEST(ReadRegValue, ClosesTheKeyOnEveryPath) {
    const ScratchKey scratch;
    scratch.Set("sz", REG_SZ, "abc\0"s);
    scratch.Set("long", REG_SZ, std::string(3000, 'l') + '\0');
    const long before = test_support::OpenHandleCount();
    {
        UniqueRegKey open;
        ASSERT_EQ(OpenRegKey(HKEY_CURRENT_USER, scratch.path(), KEY_READ, open), ERROR_SUCCESS);
        ASSERT_EQ(test_support::OpenHandleCount(), before + 1) << "the count must see a key";
    }
    for (const char* name : {"sz", "absent", "long"}) {
        scratch.Read(name);
    }
    ReadRegValue(HKEY_CURRENT_USER, scratch.path() + "\\absent", "", "");
    EXPECT_EQ(test_support::OpenHandleCount(), before);
}

// Outlook's open command under HKEY_CLASSES_ROOT, which Wine keeps in HKLM\Software\Classes.
// The prefix's own registration there is put back at the end.
class OutlookCommand : public ::testing::Test {
  protected:
    static constexpr const char* kKey = "Software\\Classes\\outlook\\shell\\open\\command";
    static constexpr const char* kOutlookKey = "Software\\Classes\\outlook";

    void SetUp() override {
        UniqueRegKey outlook;
        outlookExisted_ = OpenRegKey(HKEY_LOCAL_MACHINE, kOutlookKey, KEY_READ, outlook) == 0;
        UniqueRegKey command;
        if (OpenRegKey(HKEY_LOCAL_MACHINE, kKey, KEY_READ, command) == ERROR_SUCCESS) {
            std::string data(65536, '\0');
            DWORD size = static_cast<DWORD>(data.size());
            DWORD type = 0;
            if (RegQueryValueExA(command.get(), "", nullptr, &type,
                                 reinterpret_cast<BYTE*>(data.data()), &size) == ERROR_SUCCESS) {
                saved_ = {type, data.substr(0, size)};
            }
        }
    }

    void TearDown() override {
        if (!outlookExisted_) {
            RegDeleteTreeA(HKEY_LOCAL_MACHINE, kOutlookKey);
        } else if (saved_) {
            SetValue(CreateKey(HKEY_LOCAL_MACHINE, kKey).get(), "", saved_->first, saved_->second);
        } else {
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
        }
    }

    static void SetCommand(DWORD type, const std::string& command) {
        SetValue(CreateKey(HKEY_LOCAL_MACHINE, kKey).get(), "", type, command + '\0');
    }

  private:
    bool outlookExisted_ = false;
    std::optional<std::pair<DWORD, std::string>> saved_;
};

TEST_F(OutlookCommand, GetOutlookPathCutsTheRegisteredCommandBeforeThePlaceholder) {
    SetCommand(REG_SZ, R"("C:\Program Files\Microsoft Office\OUTLOOK.EXE" /select "%1")");
    EXPECT_EQ(GetOutlookPath(), R"("C:\Program Files\Microsoft Office\OUTLOOK.EXE" /select)");

    SetEnvironmentVariableA("VARNEL_TEST_OFFICE", "C:\\Office");
    SetCommand(REG_EXPAND_SZ, R"(%VARNEL_TEST_OFFICE%\OUTLOOK.EXE "%1")");
    EXPECT_EQ(GetOutlookPath(), R"(C:\Office\OUTLOOK.EXE)");
    SetEnvironmentVariableA("VARNEL_TEST_OFFICE", nullptr);
}

TEST_F(OutlookCommand, GetOutlookPathIsEmptyWithoutTheCommand) {
    SetCommand(REG_SZ, "C:\\OUTLOOK.EXE");
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kKey, "");
    EXPECT_EQ(GetOutlookPath(), "") << "no default value";
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
    EXPECT_EQ(GetOutlookPath(), "") << "no key";
}

} // namespace
