// libFuzzer target: registry value data decoded as the Outlook locator reads it.
// The input's layout and the invariants are in fuzz/harness.h.

#include "fuzz/harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::AbortOnViolations(fuzz::CheckRegData(data, size), size);
    return 0;
}
