#include "common/journal_reader.h"

#include "common/files.h"

namespace sandbox {

std::vector<JournalLine> ReadJournal(const std::string& path) {
    const std::string bytes = ReadWholeFile(path);
    std::vector<JournalLine> lines;
    std::size_t from = 0;
    while (from < bytes.size()) {
        auto end = bytes.find('\n', from);
        if (end == std::string::npos) {
            end = bytes.size();
        }
        const std::string raw = bytes.substr(from, end - from);
        JournalLine line;
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

std::vector<std::string> JournalTexts(const std::vector<JournalLine>& lines) {
    std::vector<std::string> texts;
    for (const JournalLine& line : lines) {
        texts.push_back(line.text);
    }
    return texts;
}

std::optional<JournalLine> FindJournalEvent(const std::vector<JournalLine>& lines,
                                            const std::string& event) {
    for (const JournalLine& line : lines) {
        if (line.wellFormed && (line.text == event || line.text.rfind(event + " ", 0) == 0)) {
            return line;
        }
    }
    return std::nullopt;
}

} // namespace sandbox
