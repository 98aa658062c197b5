#pragma once

// Whole files in and out: the settings and journals that the stand-ins, the tests and the bench
// hand each other.

#include <string>

namespace sandbox {

// The file's bytes; empty when it cannot be opened. Others may go on writing it meanwhile.
std::string ReadWholeFile(const std::string& path);

// Replaces the file with `bytes`; false when that fails.
bool WriteWholeFile(const std::string& path, const std::string& bytes);

} // namespace sandbox
