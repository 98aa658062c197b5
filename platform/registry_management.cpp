#include "platform/registry_management.h"

#include <algorithm>

namespace {

// Raw value data as the zero-filled fetch buffer holds it: reads stop at the reported size
// and at the buffer's end, and every byte past them is a null byte.
class RawData {
  public:
    RawData(const unsigned char* data, std::uint32_t size)
        : data_(data),
          size_(data == nullptr ? 0 : std::min<std::size_t>(size, kRegDataBufferSize)) {}

    unsigned char operator[](std::size_t index) const { return index < size_ ? data_[index] : 0; }

    std::string Chars(std::size_t count) const {
        count = std::min(count, size_);
        return count == 0 ? std::string()
                          : std::string(reinterpret_cast<const char*>(data_), count);
    }

    std::string UpToFirstNull() const {
        std::size_t end = 0;
        while (end < size_ && data_[end] != 0) {
            ++end;
        }
        return Chars(end);
    }

    // Up to, not including, the first two consecutive nulls. Past the data every byte is
    // null, so data that holds no such pair is taken whole, less a final single null.
    std::string UpToFirstDoubleNull() const {
        std::size_t end = 0;
        while ((*this)[end] != 0 || (*this)[end + 1] != 0) {
            ++end;
        }
        return Chars(end);
    }

    std::int32_t LittleEndian() const {
        return static_cast<std::int32_t>(Byte(0) | Byte(1) << 8 | Byte(2) << 16 | Byte(3) << 24);
    }

    std::int32_t BigEndian() const {
        return static_cast<std::int32_t>(Byte(0) << 24 | Byte(1) << 16 | Byte(2) << 8 | Byte(3));
    }

  private:
    std::uint32_t Byte(std::size_t index) const { return (*this)[index]; }

    const unsigned char* data_;
    std::size_t size_;
};

// The expanded text without its null. An expansion that does not fit the usual buffer is
// done once more into the size the service asks for, so it is never returned cut short.
std::string ExpandText(const std::string& source, const ExpandEnvironment& expand) {
    std::uint32_t size = static_cast<std::uint32_t>(kExpandBufferSize);
    std::string buffer(size, '\0');
    std::uint32_t stored = expand(source.c_str(), buffer.data(), size);
    if (stored > size && stored <= kExpandMaximumSize) {
        size = stored;
        buffer.assign(size, '\0');
        stored = expand(source.c_str(), buffer.data(), size);
    }
    if (stored == 0 || stored > size) {
        return {};
    }
    // The count includes the null; the text also ends at the first null should the count be
    // larger than what was really stored.
    buffer.resize(stored - 1);
    return buffer.substr(0, buffer.find('\0'));
}

} // namespace

std::string RegValue::Text() const {
    if (const auto* text = std::get_if<std::string>(&Data)) {
        return *text;
    }
    return std::to_string(std::get<std::int32_t>(Data));
}

void DecodeRegData(const unsigned char* data, std::uint32_t size, std::uint32_t type, RegValue& out,
                   const ExpandEnvironment& expand) {
    out.Data = std::int32_t{0};
    const RawData raw(data, size);
    switch (type) {
    case kRegSz:
        // The size counts the terminating null. Text ends there: data stored without one
        // keeps its last character, and padding after it is not part of the text.
        out.Data = raw.UpToFirstNull();
        break;
    case kRegExpandSz:
        out.Data = ExpandText(raw.UpToFirstNull(), expand);
        break;
    case kRegDword:
        out.Data = raw.LittleEndian();
        break;
    case kRegDwordBigEndian:
        out.Data = raw.BigEndian();
        break;
    case kRegMultiSz:
        out.Data = raw.UpToFirstDoubleNull();
        break;
    default:
        break;
    }
}
