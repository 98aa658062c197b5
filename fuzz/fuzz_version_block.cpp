// libFuzzer target: a version information block read as the About box reads the program's own.
// The input's layout and the invariants are in fuzz/harness.h.

#include "fuzz/harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::AbortOnViolations(fuzz::CheckVersionBlock(data, size), size);
    return 0;
}
