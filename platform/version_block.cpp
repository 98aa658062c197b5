#include "platform/version_block.h"

#include <algorithm>

namespace {

constexpr std::size_t kHeaderSize = 6; // length, value length, type
constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr std::size_t kFixedInfoSize = 52;
constexpr std::string_view kRootKey = "VS_VERSION_INFO";
constexpr VersionTranslation kUsEnglishUnicode{0x0409, 1200};

std::uint16_t WordAt(VersionBlock block, std::size_t at) {
    return static_cast<std::uint16_t>(block[at] | (block[at + 1] << 8));
}

std::uint32_t DwordAt(VersionBlock block, std::size_t at) {
    return WordAt(block, at) | (static_cast<std::uint32_t>(WordAt(block, at + 2)) << 16);
}

std::size_t Aligned(std::size_t offset) {
    return (offset + 3) & ~std::size_t{3};
}

// One node's parts as offsets into the block; every part lies within [start, end).
struct Node {
    std::size_t keyStart = 0;
    std::size_t keyEnd = 0; // at the key's terminating null
    std::size_t valueStart = 0;
    std::size_t valueEnd = 0;
    std::size_t childrenStart = 0;
    std::size_t end = 0;
    bool text = false;
};

// The node that starts at `at` and must end by `limit`; nothing when it does not fit or its key
// has no terminator inside it.
std::optional<Node> NodeAt(VersionBlock block, std::size_t at, std::size_t limit) {
    if (at > limit || limit - at < kHeaderSize) {
        return std::nullopt;
    }
    const std::size_t length = WordAt(block, at);
    if (length < kHeaderSize || length > limit - at) {
        return std::nullopt;
    }
    Node node;
    node.end = at + length;
    node.text = WordAt(block, at + 4) == 1;
    node.keyStart = at + kHeaderSize;
    std::size_t key = node.keyStart;
    for (;; key += 2) {
        if (node.end - key < 2) {
            return std::nullopt;
        }
        if (WordAt(block, key) == 0) {
            break;
        }
    }
    node.keyEnd = key;
    // A text value's length counts characters, a binary one's bytes.
    const std::size_t declared = std::size_t{WordAt(block, at + 2)} * (node.text ? 2 : 1);
    node.valueStart = std::min(Aligned(key + 2), node.end);
    node.valueEnd = node.valueStart + std::min(declared, node.end - node.valueStart);
    node.childrenStart = std::min(Aligned(node.valueEnd), node.end);
    return node;
}

char16_t AsciiLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool KeyIs(VersionBlock block, const Node& node, std::string_view name) {
    if ((node.keyEnd - node.keyStart) / 2 != name.size()) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto wanted = static_cast<char16_t>(static_cast<unsigned char>(name[i]));
        if (AsciiLower(WordAt(block, node.keyStart + 2 * i)) != AsciiLower(wanted)) {
            return false;
        }
    }
    return true;
}

std::optional<Node> ChildNamed(VersionBlock block, const Node& parent, std::string_view name) {
    // Each child is at least a header long, so the walk always moves on.
    for (std::size_t at = parent.childrenStart;;) {
        const std::optional<Node> child = NodeAt(block, at, parent.end);
        if (!child) {
            return std::nullopt;
        }
        if (KeyIs(block, *child, name)) {
            return child;
        }
        at = Aligned(child->end);
    }
}

} // namespace

std::optional<VersionValue> FindVersionValue(VersionBlock block, std::string_view path) {
    std::optional<Node> node = NodeAt(block, 0, block.size());
    if (!node || !KeyIs(block, *node, kRootKey)) {
        return std::nullopt;
    }
    while (!path.empty()) {
        const std::size_t separator = path.find('\\');
        const std::string_view key = path.substr(0, separator);
        path =
            separator == std::string_view::npos ? std::string_view() : path.substr(separator + 1);
        if (key.empty()) {
            continue;
        }
        node = ChildNamed(block, *node, key);
        if (!node) {
            return std::nullopt;
        }
    }
    return VersionValue{block.subspan(node->valueStart, node->valueEnd - node->valueStart),
                        node->text};
}

std::optional<FileVersion> ReadFileVersion(VersionBlock block) {
    const std::optional<VersionValue> fixed = FindVersionValue(block, "\\");
    if (!fixed || fixed->text || fixed->bytes.size() < kFixedInfoSize ||
        DwordAt(fixed->bytes, 0) != kFixedInfoSignature) {
        return std::nullopt;
    }
    return FileVersion{DwordAt(fixed->bytes, 8), DwordAt(fixed->bytes, 12)};
}

std::vector<VersionTranslation> ReadTranslations(VersionBlock block) {
    std::vector<VersionTranslation> translations;
    const std::optional<VersionValue> listed =
        FindVersionValue(block, "\\VarFileInfo\\Translation");
    if (listed) {
        for (std::size_t at = 0; at + 4 <= listed->bytes.size(); at += 4) {
            translations.push_back({WordAt(listed->bytes, at), WordAt(listed->bytes, at + 2)});
        }
    }
    return translations;
}

std::string VersionStringPath(std::uint16_t language, std::uint16_t codePage,
                              std::string_view name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string translation(8, '0');
    const std::uint32_t both = (static_cast<std::uint32_t>(language) << 16) | codePage;
    for (int digit = 0; digit < 8; ++digit) {
        translation[static_cast<std::size_t>(7 - digit)] = kHex[(both >> (4 * digit)) & 0xFu];
    }
    return "\\StringFileInfo\\" + translation + "\\" + std::string(name);
}

std::u16string ReadVersionString(VersionBlock block, std::string_view name) {
    std::vector<VersionTranslation> order = ReadTranslations(block);
    order.push_back(kUsEnglishUnicode);
    for (const VersionTranslation& translation : order) {
        const std::optional<VersionValue> value = FindVersionValue(
            block, VersionStringPath(translation.language, translation.codePage, name));
        if (!value || value->bytes.size() < 2) {
            continue;
        }
        std::u16string text;
        for (std::size_t at = 0; at + 2 <= value->bytes.size(); at += 2) {
            const char16_t c = WordAt(value->bytes, at);
            if (c == 0) {
                break;
            }
            text.push_back(c);
        }
        return text;
    }
    return {};
}
