#pragma once

// The process runner's wait after its pause: until the started process has ended or Outlook is
// up, handling the program's messages meanwhile (the rules: platform/wait_rules.h). A file of
// its own so that the bench's reference build can swap in another way of waiting.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>

// Nothing when Outlook's window is up; otherwise the ended process's exit code.
std::optional<std::uint32_t> WaitForProcessOrOutlook(HANDLE process,
                                                     const std::function<bool()>& outlookIsUp);
