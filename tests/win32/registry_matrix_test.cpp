// ReadRegValue on every value type code (0..11) with data of 0, 1, 4, 2047, 2048 and 2049
// bytes, stored with RegSetValueExA: each cell gives the decoded text or the default, as
// worked out here from the rules; and the decoding never reads past the data it was given.
#include "platform/registry_management.h"
#include "platform/win32_raii.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

constexpr const char* kTestRoot = "Software\\VarnelTest";
constexpr const char* kDefault = "(default text)";
constexpr const char* kVariable = "VARNEL_MATRIX";
// Longer than its reference, so that long data expands beyond 2048 characters.
constexpr const char* kVariableValue = "<expanded: forty characters of value...>";
constexpr std::size_t kBufferBytes = 2048;

const DWORD kSizes[] = {0, 1, 4, 2047, 2048, 2049};
constexpr DWORD kTypeCount = 12; // REG_NONE (0) .. REG_QWORD (11)

// The data of one cell: `size` bytes of one of three patterns.
enum class Pattern { Text, List, Raw };
const Pattern kPatterns[] = {Pattern::Text, Pattern::List, Pattern::Raw};

const char* Name(Pattern pattern) {
    switch (pattern) {
    case Pattern::Text:
        return "text";
    case Pattern::List:
        return "list";
    case Pattern::Raw:
        return "raw";
    }
    return "?";
}

std::string Data(Pattern pattern, std::size_t size) {
    std::string data(size, '\0');
    switch (pattern) {
    case Pattern::Text: {
        // Text with environment references, ended by its terminator.
        const std::string cycle = "%"s + kVariable + "% Varnel 0123456789 ";
        for (std::size_t i = 0; i < size; ++i) {
            data[i] = cycle[i % cycle.size()];
        }
        if (size > 0) {
            data[size - 1] = '\0';
        }
        break;
    }
    case Pattern::List: {
        // Strings each with its null, and the list's final null.
        const std::string cycle = "alpha\0beta\0gamma\0"s;
        for (std::size_t i = 0; i < size; ++i) {
            data[i] = cycle[i % cycle.size()];
        }
        for (std::size_t i = size >= 2 ? size - 2 : 0; i < size; ++i) {
            data[i] = '\0';
        }
        break;
    }
    case Pattern::Raw: {
        // Every byte value (but '%', so no stray environment reference), nulls included, and
        // no terminator.
        std::uint32_t state = 0x2545F491u;
        for (std::size_t i = 0; i < size; ++i) {
            state = state * 1664525u + 1013904223u;
            const char byte = static_cast<char>(state >> 24);
            data[i] = byte == '%' ? '\xff' : byte;
        }
        break;
    }
    }
    return data;
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// What RegSetValueExA stores: string data whose last byte is not a null gets the terminator
// the caller did not count (Windows NT does the same), so such data is one byte longer.
std::string Stored(DWORD type, const std::string& data) {
    if (IsStringType(type) && !data.empty() && data.back() != '\0') {
        return data + '\0';
    }
    return data;
}

std::uint32_t Byte(const std::string& data, std::size_t index) {
    return index < data.size() ? static_cast<unsigned char>(data[index]) : 0u;
}

// What ReadRegValue must give for data of this type, by the rules: data beyond 2048 bytes is
// not read (the default text); strings end at their first null; expandable strings get their
// references replaced; a list ends at its first two nulls in a row; DWORDs are two's
// complement from four bytes (missing bytes are nulls); every other type is the number 0.
std::string Expected(DWORD type, const std::string& data) {
    if (data.size() > kBufferBytes) {
        return kDefault;
    }
    const std::string text = data.substr(0, data.find('\0'));
    switch (type) {
    case REG_SZ:
        return text;
    case REG_EXPAND_SZ: {
        const std::string reference = "%"s + kVariable + "%";
        std::string expanded;
        std::size_t from = 0;
        for (std::size_t at = text.find(reference); at != std::string::npos;
             at = text.find(reference, from)) {
            expanded += text.substr(from, at - from) + kVariableValue;
            from = at + reference.size();
        }
        return expanded + text.substr(from);
    }
    case REG_MULTI_SZ: {
        const std::string padded = data + "\0\0"s;
        return padded.substr(0, padded.find("\0\0"s));
    }
    case REG_DWORD:
        return std::to_string(static_cast<std::int32_t>(Byte(data, 0) | Byte(data, 1) << 8 |
                                                        Byte(data, 2) << 16 | Byte(data, 3) << 24));
    case REG_DWORD_BIG_ENDIAN:
        return std::to_string(static_cast<std::int32_t>(Byte(data, 0) << 24 | Byte(data, 1) << 16 |
                                                        Byte(data, 2) << 8 | Byte(data, 3)));
    default:
        return "0";
    }
}

std::string Printable(const std::string& text) {
    std::string shown;
    for (const char c : text.substr(0, 80)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f) {
            shown += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        }
    }
    return shown + (text.size() > 80 ? "... (" + std::to_string(text.size()) + " bytes)" : "");
}

class RegistryMatrix : public ::testing::Test {
  protected:
    void SetUp() override {
        // String data goes through the ANSI code page and back: only a single-byte code page
        // brings every byte back unchanged.
        CPINFO codePage{};
        ASSERT_TRUE(GetCPInfo(CP_ACP, &codePage));
        ASSERT_EQ(codePage.MaxCharSize, 1u) << "code page " << GetACP();
        SetEnvironmentVariableA(kVariable, kVariableValue);
    }
    void TearDown() override { SetEnvironmentVariableA(kVariable, nullptr); }
};

TEST_F(RegistryMatrix, EveryTypeAndSizeReadsAsTheRulesSay) {
    const std::string path =
        std::string(kTestRoot) + "\\matrix-" + std::to_string(GetCurrentProcessId());
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &created, nullptr),
              ERROR_SUCCESS);
    UniqueRegKey key(created);

    int cells = 0;
    int texts = 0;
    for (DWORD type = 0; type < kTypeCount; ++type) {
        for (const DWORD size : kSizes) {
            for (const Pattern pattern : kPatterns) {
                const std::string name = "type" + std::to_string(type) + "-size" +
                                         std::to_string(size) + "-" + Name(pattern);
                SCOPED_TRACE(name);
                const std::string data = Data(pattern, size);
                ASSERT_EQ(RegSetValueExA(key.get(), name.c_str(), 0, type,
                                         reinterpret_cast<const BYTE*>(data.data()), size),
                          ERROR_SUCCESS);
                const std::string read = ReadRegValue(HKEY_CURRENT_USER, path, name, kDefault);
                const std::string expected = Expected(type, Stored(type, data));
                EXPECT_EQ(read, expected) << "read " << Printable(read) << "\nexpected "
                                          << Printable(expected) << "\ndata " << Printable(data);
                ++cells;
                texts += expected != kDefault && expected.size() > 2 ? 1 : 0;
            }
        }
    }
    EXPECT_EQ(cells, 12 * 6 * 3);
    EXPECT_GT(texts, 30) << "the matrix holds real text, not only defaults and numbers";

    key.reset();
    EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str()), ERROR_SUCCESS);
    RegDeleteKeyA(HKEY_CURRENT_USER, kTestRoot); // only once no other test uses it
}

TEST_F(RegistryMatrix, SpotChecksOfTheRulesThemselves) {
    // The expectations above, tied to values that are known by heart.
    EXPECT_EQ(Expected(REG_DWORD, "\xff\xff\xff\xff"), "-1");
    EXPECT_EQ(Expected(REG_DWORD, "\x01"), "1");
    EXPECT_EQ(Expected(REG_DWORD_BIG_ENDIAN, "\x01"), "16777216");
    EXPECT_EQ(Expected(REG_DWORD_BIG_ENDIAN, "\x80\0\0\0"s), "-2147483648");
    EXPECT_EQ(Expected(REG_MULTI_SZ, Data(Pattern::List, 19)), "alpha\0beta\0gamma"s);
    EXPECT_EQ(Expected(REG_MULTI_SZ, Data(Pattern::List, 20)), "alpha\0beta\0gamma\0a"s);
    EXPECT_EQ(Expected(REG_SZ, Data(Pattern::List, 20)), "alpha");
    EXPECT_EQ(Expected(REG_EXPAND_SZ, Data(Pattern::Text, 23)),
              std::string(kVariableValue) + " Varnel");
    EXPECT_EQ(Expected(REG_EXPAND_SZ, Data(Pattern::Text, 2047)).size(), 3546u)
        << "longer than the 2048-character expansion buffer";
    EXPECT_EQ(Expected(REG_BINARY, Data(Pattern::Text, 4)), "0");
    EXPECT_EQ(Expected(REG_SZ, Data(Pattern::Raw, 2049)), kDefault);
    EXPECT_EQ(Stored(REG_SZ, Data(Pattern::Raw, 2048)).size(), 2049u);
    EXPECT_EQ(Stored(REG_BINARY, Data(Pattern::Raw, 2048)).size(), 2048u);
    EXPECT_EQ(Stored(REG_SZ, Data(Pattern::Text, 2048)).size(), 2048u);
    EXPECT_EQ(Data(Pattern::Raw, 2049).find('%'), std::string::npos);
    EXPECT_NE(Data(Pattern::Raw, 2048).find('\0'), std::string::npos);
}

// Bytes placed right before a page that may not be touched: a read past them faults.
class FencedBytes {
  public:
    explicit FencedBytes(const std::string& bytes) {
        SYSTEM_INFO system{};
        GetSystemInfo(&system);
        const std::size_t page = system.dwPageSize;
        const std::size_t pages = (bytes.size() + page - 1) / page + 1;
        memory_.reset(
            VirtualAlloc(nullptr, pages * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        if (!memory_) {
            return;
        }
        auto* fence = static_cast<unsigned char*>(memory_.get()) + (pages - 1) * page;
        DWORD previous = 0;
        fenced_ = VirtualProtect(fence, page, PAGE_NOACCESS, &previous) != FALSE;
        data_ = fence - bytes.size();
        std::memcpy(data_, bytes.data(), bytes.size());
    }
    const unsigned char* data() const { return data_; }
    bool fenced() const { return fenced_; }

  private:
    struct Release {
        void operator()(void* memory) const noexcept { VirtualFree(memory, 0, MEM_RELEASE); }
    };
    std::unique_ptr<void, Release> memory_;
    unsigned char* data_ = nullptr;
    bool fenced_ = false;
};

TEST_F(RegistryMatrix, DecodingReadsNothingPastTheData) {
    const ExpandEnvironment expand = SystemExpandEnvironment();
    for (DWORD type = 0; type < kTypeCount; ++type) {
        for (const DWORD size : kSizes) {
            for (const Pattern pattern : kPatterns) {
                SCOPED_TRACE("type " + std::to_string(type) + ", " + std::to_string(size) +
                             " bytes, " + Name(pattern));
                const std::string data = Data(pattern, size);
                const FencedBytes fenced(data);
                ASSERT_TRUE(fenced.fenced());
                RegValue value;
                DecodeRegData(fenced.data(), size, type, value, expand);
                // Of larger data only the buffer's worth is decoded.
                EXPECT_EQ(value.Text(), Expected(type, data.substr(0, kBufferBytes)));
            }
        }
    }
}

} // namespace
