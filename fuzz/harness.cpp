#include "fuzz/harness.h"

#include "launcher/bas_varnel.h"
#include "launcher/outlook.h"
#include "platform/ini.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <map>
#include <optional>

namespace fuzz {

namespace {

const wchar_t* const kIniFile = L"C:\\Tools\\varnel.ini";
// The longest server the catalogue keeps: its value buffer less the terminator.
constexpr std::size_t kMaxServer = static_cast<std::size_t>(kSectionValueSize) - 1;

std::string Lower(const std::string& text) {
    std::string lower = text;
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

bool HasNull(const std::string& text) {
    return text.find('\0') != std::string::npos;
}

// Printable form of a text for a report: control characters and bytes above 0x7E as \xNN,
// long texts cut.
std::string Show(const std::string& text) {
    std::string shown = "\"";
    for (std::size_t i = 0; i < text.size() && i < 80; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c > 0x7E || c == '"' || c == '\\') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            shown += escaped;
        } else {
            shown += static_cast<char>(c);
        }
    }
    shown += text.size() > 80 ? "\"... (" + std::to_string(text.size()) + " chars)" : "\"";
    return shown;
}

// The entries of the section the fake file holds: the pieces of the store between nulls. A null
// at the very end closes the last name and starts no new one.
class StoredSection {
  public:
    explicit StoredSection(const std::string& store) {
        std::size_t start = 0;
        while (start < store.size()) {
            std::size_t end = store.find('\0', start);
            if (end == std::string::npos) {
                end = store.size();
            }
            pieces_.push_back(store.substr(start, end - start));
            start = end + 1;
        }
        // The service looks a name up once, whatever its case; its first entry wins.
        for (std::size_t i = 0; i < pieces_.size(); ++i) {
            firstEntry_.emplace(Lower(pieces_[i]), i);
        }
    }

    // The value of the first entry named `name`: the piece that follows it ("" at the end).
    std::optional<std::string> Find(const std::string& name) const {
        const auto found = firstEntry_.find(Lower(name));
        if (found == firstEntry_.end()) {
            return std::nullopt;
        }
        const std::size_t next = found->second + 1;
        return next < pieces_.size() ? pieces_[next] : std::string();
    }

  private:
    std::vector<std::string> pieces_;
    std::map<std::string, std::size_t> firstEntry_;
};

// GetPrivateProfileStringA over one section held in memory, recording how it is called.
class CatalogueService {
  public:
    CatalogueService(const std::string& store, CatalogueRun& run)
        : store_(store), section_(store), run_(run) {}

    std::uint32_t operator()(const char* section, const char* key, const char* defaultText,
                             char* buffer, std::uint32_t size, const wchar_t* file) {
        if (section == nullptr || std::strcmp(section, kLocationsSection) != 0) {
            run_.serviceMisuse.push_back("section " + Show(section ? section : "(null)"));
        }
        if (file == nullptr || std::wcscmp(file, kIniFile) != 0) {
            run_.serviceMisuse.push_back("a file other than varnel.ini");
        }
        if (defaultText == nullptr) {
            run_.serviceMisuse.push_back("null default text");
            defaultText = "";
        }
        if (size > 0 && buffer == nullptr) {
            run_.serviceMisuse.push_back("null buffer of size " + std::to_string(size));
            return 0;
        }
        if (key == nullptr) {
            run_.listRequestSizes.push_back(size);
            return NameList(buffer, size);
        }
        run_.valueRequestSizes.push_back(size);
        run_.valueRequestKeys.push_back(key);
        if (size == 0) {
            return 0;
        }
        const std::string value = section_.Find(key).value_or(defaultText);
        const std::size_t n = std::min<std::size_t>(value.size(), size - 1);
        std::memcpy(buffer, value.data(), n);
        buffer[n] = '\0';
        return static_cast<std::uint32_t>(n);
    }

  private:
    // Every name with its null, then the list's own null; cut to the buffer when too long,
    // the cut name followed by two nulls and the count two less than the buffer.
    std::uint32_t NameList(char* buffer, std::uint32_t size) const {
        if (size == 0) {
            return 0;
        }
        if (store_.size() + 1 > size) {
            if (size < 2) {
                buffer[0] = '\0';
                return 0;
            }
            std::memcpy(buffer, store_.data(), size - 2);
            buffer[size - 2] = '\0';
            buffer[size - 1] = '\0';
            return size - 2;
        }
        std::memcpy(buffer, store_.data(), store_.size());
        buffer[store_.size()] = '\0';
        return static_cast<std::uint32_t>(store_.size());
    }

    const std::string& store_;
    StoredSection section_;
    CatalogueRun& run_;
};

std::uint32_t LittleEndianAt(const std::uint8_t* data, std::size_t size, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::uint32_t byte = at + i < size ? data[at + i] : 0;
        value |= byte << (8 * i);
    }
    return value;
}

const std::map<std::string, std::string>& Environment() {
    static const std::map<std::string, std::string> variables = {
        {"a", "alpha"},
        {"long", std::string(1000, 'L')},
        {"huge", std::string(20000, 'H')},
    };
    return variables;
}

// The data as the reader's buffer holds it: the reported size, at most the buffer's, with
// zeros wherever the input gave fewer bytes.
std::string VisibleData(const RegDataCase& input) {
    const std::size_t visible = std::min<std::size_t>(input.reportedSize, kRegDataBufferSize);
    std::string data = input.bytes.substr(0, std::min(visible, input.bytes.size()));
    data.resize(visible, '\0');
    return data;
}

std::int32_t Integer(const std::string& data, bool bigEndian) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::uint32_t byte = i < data.size() ? static_cast<unsigned char>(data[i]) : 0;
        value |= byte << (bigEndian ? 8 * (3 - i) : 8 * i);
    }
    return static_cast<std::int32_t>(value);
}

std::string Describe(const RegValue& value) {
    return value.IsText() ? "text " + Show(value.Text()) : "integer " + value.Text();
}

void ExpectText(Violations& violations, const RegValue& value, const std::string& expected,
                const char* what) {
    if (!value.IsText() || value.Text() != expected) {
        violations.push_back(std::string(what) + ": expected text " + Show(expected) + ", got " +
                             Describe(value));
    }
}

} // namespace

// ---- Location catalogue ---------------------------------------------------------------------

std::string StoredValue(const std::string& store, const std::string& name) {
    return StoredSection(store).Find(name).value_or("");
}

CatalogueRun RunCatalogue(const std::string& store) {
    CatalogueRun run;
    CatalogueService fake(store, run);
    const ProfileStringService service = [&fake](const char* section, const char* key,
                                                 const char* defaultText, char* buffer,
                                                 std::uint32_t size, const wchar_t* file) {
        return fake(section, key, defaultText, buffer, size, file);
    };

    run.count = ReadIniSection(service, kLocationsSection, kIniFile, run.rows);

    // A catalogue left from before, with a typed server in the manual row: a load with entries
    // must start it afresh, a load without must leave it alone.
    Locations = {{"", "TYPEDMX"}, {"Stale", "STALEMX"}};
    IniPath = kIniFile;
    run.locationsBefore = Locations;
    run.loaded = LoadLocations(service);
    run.locations = Locations;
    return run;
}

Violations CheckCatalogueRun(const std::string& store, const CatalogueRun& run) {
    Violations violations;
    for (const std::string& misuse : run.serviceMisuse) {
        violations.push_back("service called with " + misuse);
    }

    // Each pass (ReadIniSection, then LoadLocations) asks for the name list once.
    if (run.listRequestSizes.size() != 2) {
        violations.push_back("name list requested " + std::to_string(run.listRequestSizes.size()) +
                             " times in two passes");
    }
    for (const std::uint32_t size : run.listRequestSizes) {
        if (size != static_cast<std::uint32_t>(kSectionNameListSize)) {
            violations.push_back("name list requested with a buffer of " + std::to_string(size));
        }
    }

    // What the service shows through a name-list buffer of the catalogue's size.
    const auto listSize = static_cast<std::size_t>(kSectionNameListSize);
    const std::string visible = store.size() + 1 > listSize ? store.substr(0, listSize - 2) : store;
    std::vector<std::string> expectedNames;
    for (std::size_t start = 0, end; (end = visible.find('\0', start)) != std::string::npos;
         start = end + 1) {
        expectedNames.push_back(visible.substr(start, end - start));
    }
    const auto nulls = static_cast<std::size_t>(std::count(visible.begin(), visible.end(), '\0'));
    const StoredSection section(store);

    if (run.count < 0) {
        violations.push_back("negative count " + std::to_string(run.count));
    }
    const auto count = static_cast<std::size_t>(std::max<std::int16_t>(run.count, 0));
    if (count > nulls) {
        violations.push_back("count " + std::to_string(count) + " exceeds the " +
                             std::to_string(nulls) + " nulls of the list");
    }
    if (count != expectedNames.size()) {
        violations.push_back("count " + std::to_string(count) + ", the list holds " +
                             std::to_string(expectedNames.size()) + " complete names");
    }
    if (count == 0 && !run.rows.empty()) {
        violations.push_back("no entries, yet " + std::to_string(run.rows.size()) + " rows");
    }
    if (count > 0) {
        if (run.rows.size() != count + 1) {
            violations.push_back("count " + std::to_string(count) + " with " +
                                 std::to_string(run.rows.size()) + " rows");
        }
        if (!run.rows.empty() && (!run.rows[0].Location.empty() || !run.rows[0].Server.empty())) {
            violations.push_back("row 0 not empty: " + Show(run.rows[0].Location) + "=" +
                                 Show(run.rows[0].Server));
        }
    }
    for (std::size_t i = 1; i < run.rows.size(); ++i) {
        const LocationEntry& row = run.rows[i];
        const std::string at = "row " + std::to_string(i) + ": ";
        if (HasNull(row.Location)) {
            violations.push_back(at + "name holds a null: " + Show(row.Location));
        }
        if (HasNull(row.Server)) {
            violations.push_back(at + "server holds a null: " + Show(row.Server));
        }
        if (row.Server.size() > kMaxServer) {
            violations.push_back(at + "server of " + std::to_string(row.Server.size()) +
                                 " characters");
        }
        if (i - 1 < expectedNames.size()) {
            const std::string& name = expectedNames[i - 1];
            if (row.Location != name) {
                violations.push_back(at + "name " + Show(row.Location) + ", the list says " +
                                     Show(name));
            }
            const std::string server = section.Find(name).value_or("").substr(0, kMaxServer);
            if (row.Server != server) {
                violations.push_back(at + "server " + Show(row.Server) + ", the file says " +
                                     Show(server));
            }
        }
    }

    // Values are asked for by name, in list order, with the catalogue's value buffer.
    std::vector<std::string> expectedKeys = expectedNames;
    expectedKeys.insert(expectedKeys.end(), expectedNames.begin(), expectedNames.end());
    if (run.valueRequestKeys != expectedKeys) {
        violations.push_back(std::to_string(run.valueRequestKeys.size()) +
                             " values asked for, expected one per name and pass (" +
                             std::to_string(expectedKeys.size()) + ")");
    }
    for (const std::uint32_t size : run.valueRequestSizes) {
        if (size != static_cast<std::uint32_t>(kSectionValueSize)) {
            violations.push_back("value requested with a buffer of " + std::to_string(size));
        }
    }

    // LoadLocations: the same rows, a fresh manual row; nothing changed when there are none.
    if (run.loaded != run.count) {
        violations.push_back("LoadLocations returned " + std::to_string(run.loaded) +
                             ", ReadIniSection " + std::to_string(run.count));
    }
    const auto same = [](const LocationEntry& a, const LocationEntry& b) {
        return a.Location == b.Location && a.Server == b.Server;
    };
    if (run.loaded < 1) {
        if (!std::equal(run.locations.begin(), run.locations.end(), run.locationsBefore.begin(),
                        run.locationsBefore.end(), same)) {
            violations.push_back("a load without entries changed the catalogue");
        }
    } else {
        if (run.locations.size() != static_cast<std::size_t>(run.loaded) + 1) {
            violations.push_back("catalogue of " + std::to_string(run.locations.size()) +
                                 " rows after loading " + std::to_string(run.loaded));
        } else if (!run.locations[0].Location.empty() || !run.locations[0].Server.empty()) {
            violations.push_back("manual row kept " + Show(run.locations[0].Server));
        }
        if (run.locations.size() == run.rows.size() &&
            !std::equal(run.locations.begin() + 1, run.locations.end(), run.rows.begin() + 1,
                        same)) {
            violations.push_back("catalogue rows differ from the section's rows");
        }
    }

    // SplitNameList on the whole store: the names with their nulls rebuild the store up to its
    // last null, and nothing after that null is a name.
    const std::vector<std::string> split = SplitNameList(store);
    std::string rebuilt;
    for (const std::string& name : split) {
        if (HasNull(name)) {
            violations.push_back("SplitNameList gave a name holding a null: " + Show(name));
        }
        rebuilt += name;
        rebuilt += '\0';
    }
    const std::size_t lastNull = store.rfind('\0');
    const std::string closed = lastNull == std::string::npos ? "" : store.substr(0, lastNull + 1);
    if (rebuilt != closed) {
        violations.push_back("SplitNameList gave " + std::to_string(split.size()) +
                             " names that do not rebuild the list up to its last null");
    }
    return violations;
}

Violations CheckCatalogue(const std::uint8_t* data, std::size_t size) {
    const std::string store(reinterpret_cast<const char*>(data), size);
    return CheckCatalogueRun(store, RunCatalogue(store));
}

// ---- Registry value data --------------------------------------------------------------------

RegDataCase ParseRegDataCase(const std::uint8_t* data, std::size_t size) {
    RegDataCase input;
    input.type = LittleEndianAt(data, size, 0);
    input.reportedSize = LittleEndianAt(data, size, 4);
    input.mode = static_cast<ExpandMode>((size > 8 ? data[8] : 0) % 4);
    input.lie = LittleEndianAt(data, size, 9);
    if (size > 13) {
        input.bytes.assign(reinterpret_cast<const char*>(data) + 13, size - 13);
    }
    return input;
}

std::string ExpandLikeTheSystem(const std::string& source) {
    std::string expanded;
    std::size_t at = 0;
    while (at < source.size()) {
        const std::size_t close = source[at] == '%' ? source.find('%', at + 1) : std::string::npos;
        if (close == std::string::npos) {
            expanded += source[at++];
            continue;
        }
        const auto found = Environment().find(Lower(source.substr(at + 1, close - at - 1)));
        expanded +=
            found != Environment().end() ? found->second : source.substr(at, close - at + 1);
        at = close + 1;
    }
    return expanded;
}

RegDataRun RunRegData(const RegDataCase& input) {
    RegDataRun run;

    const auto service = [&input](std::vector<ExpandCall>& calls) -> ExpandEnvironment {
        return [&input, &calls](const char* source, char* destination,
                                std::uint32_t size) -> std::uint32_t {
            calls.push_back({source, size});
            if (input.mode == ExpandMode::Fails) {
                return 0;
            }
            const std::string text = ExpandLikeTheSystem(source);
            const auto needed = static_cast<std::uint32_t>(text.size() + 1);
            if (needed <= size) {
                std::memcpy(destination, text.c_str(), needed);
            } else {
                // A cut expansion may fill the whole buffer, without a null.
                std::memcpy(destination, text.data(), size);
            }
            switch (input.mode) {
            case ExpandMode::OverCount:
                return needed + input.lie;
            case ExpandMode::AnyCount:
                return input.lie;
            default:
                return needed;
            }
        };
    };

    // As the reader fetches it: a zero-filled buffer of its fixed size holding at most the
    // reported number of bytes. On the heap, so that a read past its end is caught.
    std::vector<unsigned char> fetched(kRegDataBufferSize, 0);
    const std::size_t reported = std::min<std::size_t>(input.reportedSize, kRegDataBufferSize);
    std::copy_n(input.bytes.begin(), std::min(reported, input.bytes.size()), fetched.begin());
    run.zeroPadded.Data = std::string("stale");
    DecodeRegData(fetched.data(), input.reportedSize, input.type, run.zeroPadded,
                  service(run.calls));

    // The same with every byte past the reported size non-zero: none of them may count.
    std::vector<unsigned char> padded = fetched;
    for (std::size_t i = reported; i < padded.size(); ++i) {
        const auto byte = i < input.bytes.size() ? static_cast<unsigned char>(input.bytes[i]) : 0;
        padded[i] = byte != 0 ? byte : 'G';
    }
    run.garbagePadded.Data = std::string("stale");
    DecodeRegData(padded.data(), input.reportedSize, input.type, run.garbagePadded,
                  service(run.garbageCalls));
    return run;
}

Violations CheckRegDataRun(const RegDataCase& input, const RegDataRun& run) {
    Violations violations;
    const std::string visible = VisibleData(input);
    const RegValue& value = run.zeroPadded;

    if (value.Data != run.garbagePadded.Data) {
        violations.push_back("bytes past the reported size changed the value: " + Describe(value) +
                             " vs " + Describe(run.garbagePadded));
    }
    const auto sameCall = [](const ExpandCall& a, const ExpandCall& b) {
        return a.source == b.source && a.size == b.size;
    };
    if (!std::equal(run.calls.begin(), run.calls.end(), run.garbageCalls.begin(),
                    run.garbageCalls.end(), sameCall)) {
        violations.push_back("bytes past the reported size changed the expansion calls");
    }

    const std::string text = visible.substr(0, visible.find('\0'));
    switch (input.type) {
    case kRegSz:
        ExpectText(violations, value, text, "REG_SZ");
        break;
    case kRegExpandSz: {
        const std::string expanded = ExpandLikeTheSystem(text);
        const bool fits = expanded.size() + 1 <= kExpandMaximumSize;
        if (input.mode == ExpandMode::Honest) {
            ExpectText(violations, value, fits ? expanded : "", "REG_EXPAND_SZ");
        } else if (input.mode == ExpandMode::Fails) {
            ExpectText(violations, value, "", "REG_EXPAND_SZ, expansion failed");
        } else if (!value.IsText()) {
            violations.push_back("REG_EXPAND_SZ gave " + Describe(value));
        } else {
            // A count that lies can only lose text, never add any.
            const std::string got = value.Text();
            if (expanded.compare(0, got.size(), got) != 0 || got.size() > expanded.size()) {
                violations.push_back("REG_EXPAND_SZ with a lying count: " + Show(got) +
                                     " is no prefix of " + Show(expanded));
            }
            if (HasNull(got) || got.size() >= kExpandMaximumSize) {
                violations.push_back("REG_EXPAND_SZ with a lying count: " + Describe(value));
            }
        }
        if (run.calls.empty() || run.calls.size() > 2) {
            violations.push_back("expansion called " + std::to_string(run.calls.size()) + " times");
        }
        for (std::size_t i = 0; i < run.calls.size(); ++i) {
            const ExpandCall& call = run.calls[i];
            if (call.source != text) {
                violations.push_back("expansion of " + Show(call.source) + ", the value is " +
                                     Show(text));
            }
            const bool sizeOk =
                i == 0 ? call.size == kExpandBufferSize
                       : call.size > kExpandBufferSize && call.size <= kExpandMaximumSize;
            if (!sizeOk) {
                violations.push_back("expansion call " + std::to_string(i + 1) +
                                     " with a buffer of " + std::to_string(call.size));
            }
        }
        if (input.mode == ExpandMode::Honest) {
            const std::size_t needed = expanded.size() + 1;
            const std::size_t calls = needed > kExpandBufferSize && fits ? 2 : 1;
            if (run.calls.size() != calls) {
                violations.push_back("honest expansion of " + std::to_string(needed) +
                                     " characters called " + std::to_string(run.calls.size()) +
                                     " times");
            }
        }
        break;
    }
    case kRegMultiSz: {
        // Up to the first two nulls; past the data every byte is null.
        const std::string closed = visible + std::string(2, '\0');
        const std::string expected = visible.substr(0, closed.find(std::string(2, '\0')));
        ExpectText(violations, value, expected, "REG_MULTI_SZ");
        if (value.IsText() && value.Text().find(std::string(2, '\0')) != std::string::npos) {
            violations.push_back("REG_MULTI_SZ text holds two nulls in a row");
        }
        break;
    }
    case kRegDword:
    case kRegDwordBigEndian: {
        const std::int32_t expected = Integer(visible, input.type == kRegDwordBigEndian);
        if (value.IsText() || std::get<std::int32_t>(value.Data) != expected) {
            violations.push_back("type " + std::to_string(input.type) + ": expected integer " +
                                 std::to_string(expected) + ", got " + Describe(value));
        }
        break;
    }
    default:
        if (value.IsText() || std::get<std::int32_t>(value.Data) != 0) {
            violations.push_back("type " + std::to_string(input.type) +
                                 " is neither text nor integer, got " + Describe(value));
        }
        break;
    }
    if (input.type != kRegExpandSz && !run.calls.empty()) {
        violations.push_back("type " + std::to_string(input.type) + " called the expansion");
    }
    return violations;
}

Violations CheckRegData(const std::uint8_t* data, std::size_t size) {
    const RegDataCase input = ParseRegDataCase(data, size);
    return CheckRegDataRun(input, RunRegData(input));
}

// ---- Outlook's open command -----------------------------------------------------------------

Violations CheckProgramPart(const std::string& command, const std::string& program) {
    Violations violations;
    const std::string marker = kOutlookArgumentMarker;
    if (command.compare(0, program.size(), program) != 0 || program.size() > command.size()) {
        violations.push_back("program " + Show(program) + " is no prefix of " + Show(command));
    }
    if (program.find(marker) != std::string::npos) {
        violations.push_back("program " + Show(program) + " holds the argument marker");
    }
    if (command.find(marker) == std::string::npos && program != command) {
        violations.push_back("no marker, yet the program " + Show(program) + " differs from " +
                             Show(command));
    }
    if (program.size() < command.size() &&
        command.compare(program.size(), marker.size(), marker) != 0) {
        violations.push_back("program " + Show(program) + " does not end where a marker starts");
    }
    return violations;
}

Violations CheckOutlookCommand(const std::uint8_t* data, std::size_t size) {
    const std::string command(reinterpret_cast<const char*>(data), size);
    return CheckProgramPart(command, OutlookProgramFromCommand(command));
}

void AbortOnViolations(const Violations& violations, std::size_t size) {
    if (violations.empty()) {
        return;
    }
    std::string report = std::to_string(violations.size()) +
                         " invariant(s) broken by an input of " + std::to_string(size) +
                         " bytes:\n";
    for (const std::string& violation : violations) {
        report += "  " + violation + "\n";
    }
    std::fputs(report.c_str(), stderr);
    std::abort();
}

} // namespace fuzz
