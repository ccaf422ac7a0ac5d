#include "platform/Utf8.h"

namespace Utf8 {

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Bytes a sequence with this lead byte should have.
size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead < 0xC0) return 0;  // a continuation byte cannot start a sequence
    if (lead < 0xE0) return 2;
    if (lead < 0xF0) return 3;
    return 4;
}

}  // namespace

size_t Decode(const char* text, char16_t& unit) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    unsigned char lead = bytes[0];
    if (lead == 0) {
        unit = 0;
        return 0;
    }
    size_t length = SequenceLength(lead);
    if (length == 1) {
        unit = lead;
        return 1;
    }
    // A damaged sequence is replaced as one piece: the lead byte and the
    // continuation bytes that do follow it. A NUL stops it.
    size_t consumed = 1;
    while (consumed < length && IsContinuation(bytes[consumed])) ++consumed;
    if (length == 0 || consumed < length || length == 4) {
        unit = kReplacement;
        return consumed;
    }
    if (length == 2) {
        unit = static_cast<char16_t>((lead & 0x1F) << 6 | (bytes[1] & 0x3F));
    } else {
        unit = static_cast<char16_t>((lead & 0x0F) << 12 | (bytes[1] & 0x3F) << 6 | (bytes[2] & 0x3F));
    }
    // An over-long NUL would end the UTF-16 text early wherever it is used
    // as a terminated string.
    if (unit == 0) unit = kReplacement;
    return length;
}

size_t Length(const char* text, size_t* byteLength) {
    size_t units = 0, bytes = 0;
    if (text) {
        char16_t unit;
        while (size_t consumed = Decode(text + bytes, unit)) {
            bytes += consumed;
            ++units;
        }
    }
    if (byteLength) *byteLength = bytes;
    return units;
}

}  // namespace Utf8
