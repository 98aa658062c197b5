// libFuzzer target: the program part of Outlook's open command.
// The input's layout and the invariants are in fuzz/harness.h.

#include "fuzz/harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::AbortOnViolations(fuzz::CheckOutlookCommand(data, size), size);
    return 0;
}
