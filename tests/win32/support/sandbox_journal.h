#pragma once

// Reads the journal that the stand-ins (sandbox/) write: one line per event,
// "<ticks> <event> <detail>", ticks in 100-ns units of the system clock.

#include "support/test_support.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sandbox_journal {

struct Line {
    std::uint64_t ticks = 0;
    std::string text;        // "<event> <detail>", or "<event>" when there is no detail
    bool wellFormed = false; // decimal ticks, one space, a non-empty event
};

inline std::vector<Line> Parse(const std::string& bytes) {
    std::vector<Line> lines;
    std::size_t from = 0;
    while (from < bytes.size()) {
        auto end = bytes.find('\n', from);
        if (end == std::string::npos) {
            end = bytes.size(); // a line without its line feed is reported as malformed
        }
        const std::string raw = bytes.substr(from, end - from);
        Line line;
        const auto space = raw.find(' ');
        if (space != std::string::npos && space > 0 && space + 1 < raw.size() &&
            raw.find_first_not_of("0123456789") == space && end < bytes.size()) {
            line.ticks = std::stoull(raw.substr(0, space));
            line.text = raw.substr(space + 1);
            line.wellFormed = line.text.find_first_of("\r\n") == std::string::npos;
        } else {
            line.text = raw;
        }
        lines.push_back(line);
        from = end + 1;
    }
    return lines;
}

inline std::vector<Line> Read(const std::string& path) {
    return Parse(test_support::ReadFile(path));
}

// The lines' texts without their ticks.
inline std::vector<std::string> Texts(const std::vector<Line>& lines) {
    std::vector<std::string> texts;
    for (const Line& line : lines) {
        texts.push_back(line.text);
    }
    return texts;
}

} // namespace sandbox_journal
