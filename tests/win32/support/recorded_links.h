#pragma once

// Makes the url_recorder program the handler of some link schemes ("mailto", "http") for the
// lifetime of the object, so that what the shell opens can be read back; restores what the
// registry held before. The handlers are registered under HKEY_CLASSES_ROOT, where
// ShellExecute looks them up (in Wine that is HKLM\Software\Classes).

#include "support/test_support.h"

#include <windows.h>

#include <string>
#include <vector>

namespace test_support {

class RecordedLinks {
  public:
    explicit RecordedLinks(const std::vector<std::string>& schemes)
        : journal_(folder_.File("links.txt")) {
        const std::string command =
            "\"" + BuildPath("bin\\url_recorder.exe") + "\" \"" + journal_ + "\" \"%1\"";
        for (const std::string& scheme : schemes) {
            saved_.push_back(Register(scheme, command));
        }
    }

    ~RecordedLinks() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            Restore(*it);
        }
    }

    RecordedLinks(const RecordedLinks&) = delete;
    RecordedLinks& operator=(const RecordedLinks&) = delete;

    // The targets the recorder was started with, in order.
    std::vector<std::string> Received() const {
        std::vector<std::string> lines;
        const std::string text = ReadFile(journal_);
        std::size_t start = 0;
        for (std::size_t end = text.find('\n'); end != std::string::npos;
             end = text.find('\n', start)) {
            lines.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        return lines;
    }

    // Handles messages until `count` targets have arrived or `milliseconds` have passed.
    std::vector<std::string> WaitFor(std::size_t count, DWORD milliseconds) const {
        PumpUntil([&] { return Received().size() >= count; }, milliseconds);
        return Received();
    }

  private:
    struct Saved {
        std::string scheme;
        std::vector<std::string> createdKeys; // outermost first
        bool hadValue = false;
        DWORD type = REG_SZ;
        std::vector<BYTE> data;
    };

    static Saved Register(const std::string& scheme, const std::string& command) {
        Saved saved;
        saved.scheme = scheme;
        std::string path;
        HKEY key = nullptr;
        for (const char* part : {"", "\\shell", "\\open", "\\command"}) {
            path += part;
            const std::string full = scheme + path;
            DWORD disposition = 0;
            if (key != nullptr) {
                RegCloseKey(key);
            }
            key = nullptr;
            if (RegCreateKeyExA(HKEY_CLASSES_ROOT, full.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, &key, &disposition) != ERROR_SUCCESS) {
                return saved;
            }
            if (disposition == REG_CREATED_NEW_KEY) {
                saved.createdKeys.push_back(full);
            }
        }
        DWORD size = 0;
        if (RegQueryValueExA(key, nullptr, nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS) {
            saved.data.resize(size);
            saved.hadValue = RegQueryValueExA(key, nullptr, nullptr, &saved.type, saved.data.data(),
                                              &size) == ERROR_SUCCESS;
            saved.data.resize(size);
        }
        RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>(command.size() + 1));
        RegCloseKey(key);
        return saved;
    }

    static void Restore(const Saved& saved) {
        const std::string command = saved.scheme + "\\shell\\open\\command";
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, command.c_str(), 0, KEY_ALL_ACCESS, &key) ==
            ERROR_SUCCESS) {
            if (saved.hadValue) {
                RegSetValueExA(key, nullptr, 0, saved.type, saved.data.data(),
                               static_cast<DWORD>(saved.data.size()));
            } else {
                RegDeleteValueA(key, nullptr);
            }
            RegCloseKey(key);
        }
        for (auto it = saved.createdKeys.rbegin(); it != saved.createdKeys.rend(); ++it) {
            RegDeleteKeyA(HKEY_CLASSES_ROOT, it->c_str());
        }
    }

    ScratchFolder folder_;
    std::string journal_;
    std::vector<Saved> saved_;
};

// The default value of HKEY_CLASSES_ROOT\<scheme>\shell\open\command, empty when none.
inline std::string OpenCommandOf(const std::string& scheme) {
    char value[1024] = {};
    LONG size = sizeof value;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, (scheme + "\\shell\\open\\command").c_str(), value,
                       &size) != ERROR_SUCCESS) {
        return {};
    }
    return value;
}

} // namespace test_support
