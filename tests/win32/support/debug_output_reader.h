#pragma once

// Reads the system's debug output as a debug-output viewer (DebugView and its kind) does, so
// that a test sees a program's trace the way a helpdesk would: it owns the named section
// "DBWIN_BUFFER" and the events "DBWIN_BUFFER_READY" and "DBWIN_DATA_READY", and a thread of its
// own takes each line that a process writes with OutputDebugString (its process id, then the
// text).

#include "platform/win32_raii.h"

#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace test_support {

class DebugOutputReader {
  public:
    DebugOutputReader();
    ~DebugOutputReader();
    DebugOutputReader(const DebugOutputReader&) = delete;
    DebugOutputReader& operator=(const DebugOutputReader&) = delete;

    // Empty while listening; otherwise why the reader could not (another viewer runs, say).
    const std::string& Failure() const { return failure_; }

    // The lines that process `id` has written so far, in order, without their line ends.
    std::vector<std::string> LinesOf(DWORD id) const;

  private:
    void Read();

    std::string failure_;
    UniqueHandle section_;
    UniqueHandle bufferReady_;
    UniqueHandle dataReady_;
    UniqueHandle stop_;
    const char* view_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<std::pair<DWORD, std::string>> lines_;
    std::thread reader_;
};

} // namespace test_support
