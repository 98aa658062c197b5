#pragma once

// Reads the journal that the stand-ins write (journal.h): the tests and the bench read what the
// program under test made the stand-ins do, and when.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sandbox {

struct JournalLine {
    std::uint64_t ticks = 0;
    std::string text;        // "<event> <detail>", or "<event>" when there is no detail
    bool wellFormed = false; // decimal ticks, one space, a non-empty event, a closing line feed
};

// Every line of the journal at `path`, in order; none when there is no file. The file is read
// while the stand-ins may still append to it: a line without its line feed yet, like any other
// malformed line, comes back as it is, with ticks 0 and wellFormed false.
std::vector<JournalLine> ReadJournal(const std::string& path);

// The lines' texts without their ticks.
std::vector<std::string> JournalTexts(const std::vector<JournalLine>& lines);

// The first well-formed line of `event`: its text is `event` or starts with `event` and a space
// (so `event` may also carry the start of the detail). Nothing when there is none.
std::optional<JournalLine> FindJournalEvent(const std::vector<JournalLine>& lines,
                                            const std::string& event);

} // namespace sandbox
