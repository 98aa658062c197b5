#include "platform/version_block.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

// A node of a version block, encoded as resource compilers write it: every part aligned to four
// bytes, a node's length not counting the padding after it.
struct Node {
    std::string key;
    std::string value;     // the value's bytes
    std::uint16_t type;    // 1: text
    std::uint16_t counted; // the value length as declared
    std::vector<Node> children;
};

std::string Utf16(const std::u16string& text) {
    std::string bytes;
    for (const char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

std::string Ascii16(const std::string& text) {
    return Utf16(std::u16string(text.begin(), text.end()));
}

Node String(const std::string& key, const std::u16string& text) {
    return {key, Utf16(text) + "\0\0"s, 1, static_cast<std::uint16_t>(text.size() + 1), {}};
}

Node Parent(const std::string& key, std::vector<Node> children) {
    return {key, "", 1, 0, std::move(children)};
}

std::string Dwords(std::initializer_list<std::uint32_t> values) {
    std::string bytes;
    for (const std::uint32_t value : values) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes += static_cast<char>((value >> shift) & 0xFF);
        }
    }
    return bytes;
}

Node Translations(std::initializer_list<std::uint32_t> codePageAndLanguage) {
    const std::string bytes = Dwords(codePageAndLanguage);
    return Parent("VarFileInfo", {{"Translation", bytes, 0, std::uint16_t(bytes.size()), {}}});
}

Node Root(std::uint32_t ms, std::uint32_t ls, std::vector<Node> children) {
    const std::string fixed = Dwords({0xFEEF04BD, 0x10000, ms, ls, ms, ls, 0x3F, 0, 4, 1, 0, 0, 0});
    return {"VS_VERSION_INFO", fixed, 0, std::uint16_t(fixed.size()), std::move(children)};
}

void Pad(std::string& bytes) {
    bytes.resize((bytes.size() + 3) & ~std::size_t{3}, '\0');
}

std::string Encode(const Node& node) {
    std::string bytes(6, '\0');
    bytes += Ascii16(node.key) + "\0\0"s;
    Pad(bytes);
    bytes += node.value;
    for (const Node& child : node.children) {
        Pad(bytes);
        bytes += Encode(child);
    }
    const std::uint16_t words[] = {std::uint16_t(bytes.size()), node.counted, node.type};
    for (int i = 0; i < 3; ++i) {
        bytes[2 * i] = static_cast<char>(words[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(words[i] >> 8);
    }
    return bytes;
}

// The block as the program's resource holds it: version 1.0.0.8, US English in Unicode.
std::string OwnBlock() {
    return Encode(Root(
        0x00010000, 0x00000008,
        {Parent("StringFileInfo", {Parent("040904B0", {String("Comments", u"Launches Outlook."),
                                                       String("LegalCopyright", u"(C) Varnel")})}),
         Translations({0x04B00409})}));
}

VersionBlock Bytes(const std::string& block) {
    return {reinterpret_cast<const std::uint8_t*>(block.data()), block.size()};
}

// Where the node with this key starts.
std::size_t NodeOffset(const std::string& block, const std::string& key) {
    const std::size_t found = block.find(Ascii16(key) + "\0\0"s);
    EXPECT_NE(found, std::string::npos) << key;
    return found - 6;
}

void SetWord(std::string& block, std::size_t at, std::uint16_t value) {
    block[at] = static_cast<char>(value & 0xFF);
    block[at + 1] = static_cast<char>(value >> 8);
}

// Everything the About box reads from a block.
struct Read {
    std::optional<FileVersion> version;
    std::u16string comments;
    std::u16string copyright;
};

Read ReadAll(const std::string& block) {
    // A copy of exactly the block's size, so that the sanitizers see any read beyond it.
    const std::vector<std::uint8_t> exact(block.begin(), block.end());
    const VersionBlock bytes(exact.data(), exact.size());
    return {ReadFileVersion(bytes), ReadVersionString(bytes, "Comments"),
            ReadVersionString(bytes, "LegalCopyright")};
}

TEST(VersionBlock, ReadsTheFileVersionTheTranslationsAndTheStrings) {
    const std::string block = OwnBlock();
    const Read read = ReadAll(block);
    ASSERT_TRUE(read.version);
    EXPECT_EQ(read.version->ms, 0x00010000u);
    EXPECT_EQ(read.version->ls, 0x00000008u);
    EXPECT_EQ(read.comments, u"Launches Outlook.");
    EXPECT_EQ(read.copyright, u"(C) Varnel");
    EXPECT_EQ(ReadVersionString(Bytes(block), "ProductName"), u"");

    const std::vector<VersionTranslation> listed = ReadTranslations(Bytes(block));
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].language, 0x0409);
    EXPECT_EQ(listed[0].codePage, 1200);

    // Keys match regardless of case, as VerQueryValue's do.
    const auto value = FindVersionValue(Bytes(block), "\\stringfileinfo\\040904b0\\COMMENTS");
    ASSERT_TRUE(value);
    EXPECT_TRUE(value->text);
    EXPECT_FALSE(FindVersionValue(Bytes(block), "\\StringFileInfo\\040904B0\\Comment"));
}

TEST(VersionBlock, ListedTranslationsComeFirstThenUsEnglish) {
    const Node german = Parent("040704E4", {String("Comments", u"Startet Outlook.")});
    const Node english = Parent(
        "040904B0", {String("Comments", u"Starts Outlook."), String("LegalCopyright", u"(C)")});
    const std::string listed = Encode(
        Root(1, 2, {Parent("StringFileInfo", {english, german}), Translations({0x04E40407})}));
    EXPECT_EQ(ReadAll(listed).comments, u"Startet Outlook.");
    EXPECT_EQ(ReadAll(listed).copyright, u"(C)") << "missing in German: the US English one";

    const std::string unlisted = Encode(Root(1, 2, {Parent("StringFileInfo", {german, english})}));
    EXPECT_EQ(ReadAll(unlisted).comments, u"Starts Outlook.");
}

TEST(VersionBlock, TextEndsAtItsFirstNullWhateverLengthItDeclares) {
    Node counted = String("Comments", u"one\0two"s);
    Node inBytes = String("LegalCopyright", u"(C) Varnel");
    inBytes.counted = static_cast<std::uint16_t>(inBytes.value.size()); // twice too long
    const std::string block =
        Encode(Root(1, 2, {Parent("StringFileInfo", {Parent("040904B0", {counted, inBytes})})}));
    EXPECT_EQ(ReadAll(block).comments, u"one");
    EXPECT_EQ(ReadAll(block).copyright, u"(C) Varnel");
}

TEST(VersionBlock, MalformedBlocksReadAsNothingAndAreNeverReadBeyond) {
    const std::string whole = OwnBlock();
    for (std::size_t size = 0; size < whole.size(); ++size) {
        const Read read = ReadAll(whole.substr(0, size));
        EXPECT_FALSE(read.version) << size;
        EXPECT_TRUE(read.comments.empty()) << size;
    }
    // Bytes after the block's own length are not part of it.
    EXPECT_EQ(ReadAll(whole + "\xFF\xFF\xFF\xFF"s).comments, u"Launches Outlook.");

    const auto patched = [&](const std::string& key, std::size_t offset, std::uint16_t word) {
        std::string block = whole;
        SetWord(block, NodeOffset(block, key) + offset, word);
        return ReadAll(block);
    };
    // A child of no length (a walk that never moves on), one longer than its parent.
    EXPECT_TRUE(patched("StringFileInfo", 0, 0).comments.empty());
    EXPECT_TRUE(patched("040904B0", 0, 0x7FFF).comments.empty());
    // A key without its terminating null inside its node.
    Read read = patched("Comments", 0, 6 + 2 * 8);
    EXPECT_TRUE(read.comments.empty());
    EXPECT_EQ(read.copyright, u"") << "a broken node ends its level";
    // A text that declares more than its node holds is cut at the node's end.
    EXPECT_EQ(patched("Comments", 2, 0xFFFF).comments, u"Launches Outlook.");
    // Not a version block, or a fixed part without its signature or too short.
    EXPECT_FALSE(patched("VS_VERSION_INFO", 6, 'W').version);
    EXPECT_FALSE(patched("VS_VERSION_INFO", 40, 0).version);
    EXPECT_FALSE(patched("VS_VERSION_INFO", 2, 51).version);
}

TEST(VersionBlock, PathNamesTheTranslationInEightHexDigits) {
    EXPECT_EQ(VersionStringPath(0x0409, 0x04B0, "Comments"),
              "\\StringFileInfo\\040904B0\\Comments");
    EXPECT_EQ(VersionStringPath(0x0407, 0x04E4, "LegalCopyright"),
              "\\StringFileInfo\\040704E4\\LegalCopyright");
    EXPECT_EQ(VersionStringPath(0, 0, "x"), "\\StringFileInfo\\00000000\\x");
    EXPECT_EQ(VersionStringPath(0xFFFF, 0xABCD, "x"), "\\StringFileInfo\\FFFFABCD\\x");
}

} // namespace
