#pragma once

// Module Registry_API_Declares: the registry's numbers as the system defines them, usable
// without <windows.h> so that the decoding can run and be tested anywhere.

#include <cstddef>
#include <cstdint>

// Predefined root key HKEY_CLASSES_ROOT, as its handle value.
inline constexpr std::uint32_t kHkeyClassesRoot = 0x80000000u;

// Access mask for reading a key (KEY_READ).
inline constexpr std::uint32_t kKeyRead = 0x20019u;

// The status every registry call returns on success (ERROR_SUCCESS).
inline constexpr std::int32_t kErrorSuccess = 0;

// Value type codes.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegDwordBigEndian = 5;
inline constexpr std::uint32_t kRegLink = 6;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegResourceList = 8;
inline constexpr std::uint32_t kRegFullResourceDescriptor = 9;
inline constexpr std::uint32_t kRegResourceRequirementsList = 10;
inline constexpr std::uint32_t kRegQword = 11;

// Value data is fetched into this many bytes; larger values are not read at all.
inline constexpr std::size_t kRegDataBufferSize = 2048;
// Environment references are first expanded into this many characters.
inline constexpr std::size_t kExpandBufferSize = 2048;
