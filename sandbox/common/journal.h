#pragma once

// The journal that both stand-ins keep: one line per event, "<ticks> <event> <detail>", where
// <ticks> is the system time in 100-ns units since 1601 (the precise clock where the system
// has one). Each line is appended with its own open, write and close, so several processes
// can share one file and a reader only ever sees whole lines.

#include <cstdint>
#include <string>

namespace sandbox {

// The system time as a FILETIME count: GetSystemTimePreciseAsFileTime when kernel32 has it
// (looked up at run time), else GetSystemTimeAsFileTime.
std::uint64_t JournalTicks();

// Appends "<ticks> <event> <detail>" (or "<ticks> <event>" when detail is empty) and a line
// feed (no carriage return) to the file at `path`. Does nothing when `path` is empty; failures are
// ignored.
void AppendJournalLine(const std::string& path, const std::string& event,
                       const std::string& detail = {}) noexcept;

// Makes text fit on one journal line: "\\" for a backslash, "\n", "\r", "\t" for those
// characters, "\xNN" (two upper-case hex digits) for every other byte below 0x20.
std::string EscapeControlCharacters(const std::string& text);

} // namespace sandbox
