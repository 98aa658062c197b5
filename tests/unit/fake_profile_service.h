#pragma once

// A profile-string service with the conventions of GetPrivateProfileStringA: names match
// regardless of case, a lookup finds the first entry of a name, values and name lists are cut
// to the buffer, and a missing file is no error. Files are in memory, keyed by path.

#include "platform/ini.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <string>
#include <vector>

struct FakeIniEntry {
    std::string section;
    std::string name;
    std::string value;
};

class FakeProfileFiles {
  public:
    void Add(const std::wstring& file, std::vector<FakeIniEntry> entries) {
        files_[file] = std::move(entries);
    }

    int calls = 0;

    ProfileStringService Service() {
        return [this](const char* section, const char* key, const char* defaultText, char* buffer,
                      std::uint32_t size, const wchar_t* file) -> std::uint32_t {
            ++calls;
            if (size == 0) {
                return 0;
            }
            const auto found = files_.find(file);
            if (key == nullptr) {
                std::string list;
                if (found != files_.end()) {
                    for (const FakeIniEntry& entry : found->second) {
                        if (Same(entry.section, section)) {
                            list += entry.name;
                            list += '\0';
                        }
                    }
                }
                if (list.size() + 1 > size) {
                    // Too long: the last name is cut and followed by two nulls.
                    if (size < 2) {
                        buffer[0] = '\0';
                        return 0;
                    }
                    std::memcpy(buffer, list.data(), size - 2);
                    buffer[size - 2] = '\0';
                    buffer[size - 1] = '\0';
                    return size - 2;
                }
                std::memcpy(buffer, list.data(), list.size());
                buffer[list.size()] = '\0';
                return static_cast<std::uint32_t>(list.size());
            }
            std::string value = defaultText;
            if (found != files_.end()) {
                for (const FakeIniEntry& entry : found->second) {
                    if (Same(entry.section, section) && Same(entry.name, key)) {
                        value = entry.value;
                        break;
                    }
                }
            }
            const std::size_t n = std::min<std::size_t>(value.size(), size - 1);
            std::memcpy(buffer, value.data(), n);
            buffer[n] = '\0';
            return static_cast<std::uint32_t>(n);
        };
    }

  private:
    static bool Same(const std::string& a, const std::string& b) {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   return std::tolower(static_cast<unsigned char>(x)) ==
                          std::tolower(static_cast<unsigned char>(y));
               });
    }
    std::map<std::wstring, std::vector<FakeIniEntry>> files_;
};
