#pragma once

// Module Registry_Management: reads one registry value as text. The decoding of the raw data
// is portable (environment expansion is passed in); the registry calls are at the end.

#include "platform/registry_api_declares.h"

#include <cstdint>
#include <functional>
#include <string>
#include <variant>

// A decoded value: text or a signed 32-bit integer; a new one holds the integer 0.
struct RegValue {
    std::variant<std::int32_t, std::string> Data{std::int32_t{0}};

    bool IsText() const { return std::holds_alternative<std::string>(Data); }
    // The text itself, or the integer in decimal ("-5" when negative).
    std::string Text() const;
};

// The service as ExpandEnvironmentStringsA offers it: source, destination, its size in
// characters; returns the characters stored including the null, 0 on failure, or the size
// needed when the destination is too small.
using ExpandEnvironment =
    std::function<std::uint32_t(const char* source, char* destination, std::uint32_t size)>;

// The longest expansion the service can produce, in characters including the null.
inline constexpr std::uint32_t kExpandMaximumSize = 32768;

// Decodes `size` bytes of raw value data of registry type `type` into `out`. Only the first
// min(size, kRegDataBufferSize) bytes of `data` are read; any byte beyond is taken as null, as
// in the zero-filled buffer the data is fetched into.
void DecodeRegData(const unsigned char* data, std::uint32_t size, std::uint32_t type, RegValue& out,
                   const ExpandEnvironment& expand);

#ifdef _WIN32
#include "platform/win32_raii.h"

// Environment expansion by the system (ExpandEnvironmentStringsA).
ExpandEnvironment SystemExpandEnvironment();

// Opens keyPath below root with the given access; on success `key` owns the new handle.
// Returns the registry status (0 = success).
LONG OpenRegKey(HKEY root, const std::string& keyPath, REGSAM access, UniqueRegKey& key);

// Reads the value valueName ("" = the key's default value) of an open key into `value`.
// Returns the registry status; on failure `value` is left as it was.
LONG QueryRegValue(HKEY key, const std::string& valueName, RegValue& value);

// The text form of the value, or defaultText when the key or the value cannot be read
// (missing, no access, or data larger than kRegDataBufferSize bytes). `status`, when given,
// receives the registry status of the read (0 = success), which tells why.
std::string ReadRegValue(HKEY root, const std::string& keyPath, const std::string& valueName,
                         const std::string& defaultText, LONG* status = nullptr);
#endif
