#include "support/debug_output_reader.h"

#include <cstring>

namespace test_support {

namespace {

// The buffer's size, as every writer of the system's debug output expects it: a process id and
// the text with its terminating null.
constexpr DWORD kBufferSize = 4096;

} // namespace

DebugOutputReader::DebugOutputReader() {
    section_.reset(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBufferSize,
                                      "DBWIN_BUFFER"));
    if (section_ && GetLastError() == ERROR_ALREADY_EXISTS) {
        failure_ = "another reader of the debug output runs";
        return;
    }
    bufferReady_.reset(CreateEventA(nullptr, FALSE, FALSE, "DBWIN_BUFFER_READY"));
    dataReady_.reset(CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY"));
    stop_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!section_ || !bufferReady_ || !dataReady_ || !stop_) {
        failure_ =
            "the section or the events cannot be made: error " + std::to_string(GetLastError());
        return;
    }
    view_ = static_cast<const char*>(MapViewOfFile(section_.get(), FILE_MAP_READ, 0, 0, 0));
    if (view_ == nullptr) {
        failure_ = "the section cannot be mapped: error " + std::to_string(GetLastError());
        return;
    }
    reader_ = std::thread([this] { Read(); });
}

DebugOutputReader::~DebugOutputReader() {
    if (reader_.joinable()) {
        SetEvent(stop_.get());
        reader_.join();
    }
    if (view_ != nullptr) {
        UnmapViewOfFile(view_);
    }
}

void DebugOutputReader::Read() {
    const HANDLE wakes[] = {dataReady_.get(), stop_.get()};
    for (;;) {
        SetEvent(bufferReady_.get());
        if (WaitForMultipleObjects(2, wakes, FALSE, INFINITE) != WAIT_OBJECT_0) {
            return;
        }
        DWORD id = 0;
        std::memcpy(&id, view_, sizeof id);
        const char* text = view_ + sizeof id;
        std::string line(text, strnlen(text, kBufferSize - sizeof id));
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
            line.pop_back();
        }
        const std::lock_guard<std::mutex> lock(mutex_);
        lines_.emplace_back(id, std::move(line));
    }
}

std::vector<std::string> DebugOutputReader::LinesOf(DWORD id) const {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> lines;
    for (const auto& [from, text] : lines_) {
        if (from == id) {
            lines.push_back(text);
        }
    }
    return lines;
}

} // namespace test_support
