#pragma once

// Text for a developer: to the debugger's output on Windows (OutputDebugString), to the
// standard error stream elsewhere.
void DebugOutput(const char* text) noexcept;
