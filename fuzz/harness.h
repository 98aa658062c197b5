#pragma once

// The fuzz harnesses. Each takes one input of raw bytes, drives the portable code with it and
// returns the invariants the result broke (empty when all hold). The libFuzzer targets abort on a
// broken invariant so the input is kept; the unit tests replay kept inputs through the same
// functions, so both assert exactly the same things.

#include "platform/location_entry.h"
#include "platform/registry_management.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

using Violations = std::vector<std::string>;

// ---- Location catalogue (ReadIniSection, SplitNameList, LoadLocations) ----------------------
//
// The input is the section's name list as the profile file holds it: every name followed by a
// null (a last piece without one is a name the list shows but does not end). A fake service with
// the conventions of GetPrivateProfileStringA serves it, cut to the buffer the caller passes. The
// value of a name is the piece after its first entry (names match regardless of case), so values
// come from the input as well and can be longer than the catalogue keeps.

// The value the fake service holds for `name`, as the file would give it whole.
std::string StoredValue(const std::string& store, const std::string& name);

// What one pass over the catalogue produced and what it asked of the service.
struct CatalogueRun {
    std::int16_t count = 0;                      // ReadIniSection's result
    std::vector<LocationEntry> rows;             // the rows it filled (passed in empty)
    std::int16_t loaded = 0;                     // LoadLocations' result
    std::vector<LocationEntry> locations;        // the catalogue after LoadLocations
    std::vector<LocationEntry> locationsBefore;  // the catalogue LoadLocations started from
    std::vector<std::uint32_t> listRequestSizes; // buffer sizes of the name-list requests
    std::vector<std::uint32_t> valueRequestSizes;
    std::vector<std::string> valueRequestKeys;
    std::vector<std::string> serviceMisuse; // wrong section, file or null arguments seen
};

CatalogueRun RunCatalogue(const std::string& store);
Violations CheckCatalogueRun(const std::string& store, const CatalogueRun& run);
Violations CheckCatalogue(const std::uint8_t* data, std::size_t size);

// ---- Registry value data (DecodeRegData) ----------------------------------------------------
//
// Input: type (4 bytes, little-endian), reported size (4), expansion mode (1), lie (4), then the
// value's bytes. Missing header bytes count as zero. The data is decoded from a zero-filled
// buffer of kRegDataBufferSize bytes, as the registry reader fetches it, and once more from a
// buffer whose bytes past the reported size are not zero: both must decode alike.

enum class ExpandMode : std::uint8_t {
    Honest,    // as ExpandEnvironmentStringsA: the size needed when the buffer is too small
    OverCount, // writes like the honest one, reports the honest count plus `lie`
    AnyCount,  // writes like the honest one, reports `lie` whatever it wrote
    Fails,     // reports 0
};

struct RegDataCase {
    std::uint32_t type = 0;
    std::uint32_t reportedSize = 0;
    ExpandMode mode = ExpandMode::Honest;
    std::uint32_t lie = 0;
    std::string bytes; // the value's data as given, possibly longer than reportedSize
};

RegDataCase ParseRegDataCase(const std::uint8_t* data, std::size_t size);

// The fake environment's expansion: %A% is short, %LONG% is 1000 characters, %HUGE% is 20000;
// names match regardless of case and unknown references stay as written.
std::string ExpandLikeTheSystem(const std::string& source);

struct ExpandCall {
    std::string source;
    std::uint32_t size = 0;
};

struct RegDataRun {
    RegValue zeroPadded;                  // decoded from the buffer as the reader fills it
    RegValue garbagePadded;               // decoded with non-zero bytes past the reported size
    std::vector<ExpandCall> calls;        // expansions asked for by the first
    std::vector<ExpandCall> garbageCalls; // and by the second
};

RegDataRun RunRegData(const RegDataCase& input);
Violations CheckRegDataRun(const RegDataCase& input, const RegDataRun& run);
Violations CheckRegData(const std::uint8_t* data, std::size_t size);

// ---- Outlook's open command (OutlookProgramFromCommand) -------------------------------------

Violations CheckProgramPart(const std::string& command, const std::string& program);
Violations CheckOutlookCommand(const std::uint8_t* data, std::size_t size);

// Prints every violation with the input's size and aborts, so that libFuzzer keeps the input.
void AbortOnViolations(const Violations& violations, std::size_t size);

} // namespace fuzz
