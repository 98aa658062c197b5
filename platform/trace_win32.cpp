#include "platform/trace.h"

#include <windows.h>

void Trace(std::initializer_list<std::string_view> parts) noexcept {
    try {
        std::string line = "Varnel: ";
        for (const std::string_view part : parts) {
            line += part;
        }
        line += '\n';
        OutputDebugStringA(line.c_str());
    } catch (...) {
        // No memory for the line: the trace goes without it.
    }
}

// Formatted by the system's wsprintf (user32, which the program imports anyway): the C
// runtime's formatted output would bring its whole printf into the program.
std::string Decimal(long number) {
    char text[16];
    return std::string(text, static_cast<std::size_t>(wsprintfA(text, "%ld", number)));
}

std::string Hex(std::uint32_t number) {
    char text[16];
    return std::string(text, static_cast<std::size_t>(
                                 wsprintfA(text, "0x%08lX", static_cast<unsigned long>(number))));
}
