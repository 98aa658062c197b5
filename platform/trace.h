#pragma once

// The program's trace: one line for each step of start-up and of a launch, saying what was done
// and how it ended, for a helpdesk that reads it with a debug-output viewer (DebugView and its
// kind) or a debugger. The program writes no file and no log: the lines go to the system's debug
// output (OutputDebugString), which costs next to nothing while nobody listens.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

// Writes one line: "Varnel: ", then `parts` one after the other. Never throws: a line that
// cannot be made is left out.
void Trace(std::initializer_list<std::string_view> parts) noexcept;

// A number for a trace line: in decimal, or as "0x" and eight upper-case hexadecimal digits.
std::string Decimal(long number);
std::string Hex(std::uint32_t number);
