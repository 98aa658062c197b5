#pragma once

// A program's version information as its version resource stores it (VS_VERSIONINFO): a tree
// of nodes, each a length, a value length, a type (0 binary, 1 text), a UTF-16 key and a value,
// the children following, every part aligned to four bytes from the block's start. Read here
// without the system's version library, so that the program need not load it: the block comes
// from the program's own resource, and nothing in it is trusted. A node that does not fit in
// its parent ends its level; a value that runs past its node is cut there.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

using VersionBlock = std::span<const std::uint8_t>;

struct VersionValue {
    VersionBlock bytes; // the value as stored, inside the block
    bool text = false;  // UTF-16 text (type 1) rather than binary data
};

// The value of the node that `path` names, in the form VerQueryValue takes: "\" is the root,
// "\StringFileInfo\040904B0\Comments" a string; keys match regardless of ASCII case. Nothing
// when the block has no such node.
std::optional<VersionValue> FindVersionValue(VersionBlock block, std::string_view path);

// The file version of the root's fixed information, as its two 32-bit halves.
struct FileVersion {
    std::uint32_t ms = 0;
    std::uint32_t ls = 0;
};
// Nothing unless the root holds a whole fixed-information record with its signature.
std::optional<FileVersion> ReadFileVersion(VersionBlock block);

// The translations that "\VarFileInfo\Translation" lists, in order.
struct VersionTranslation {
    std::uint16_t language = 0;
    std::uint16_t codePage = 0;
};
std::vector<VersionTranslation> ReadTranslations(VersionBlock block);

// The path that reads string value `name` of one translation: "\StringFileInfo\040904B0\Comments".
std::string VersionStringPath(std::uint16_t language, std::uint16_t codePage,
                              std::string_view name);

// String value `name` of the first listed translation that has it, then of US English in
// Unicode (what the program's own resource declares, tried when a block lists none). The text
// ends at its first null; empty when no translation has the value.
std::u16string ReadVersionString(VersionBlock block, std::string_view name);
