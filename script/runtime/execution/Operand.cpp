#include "script/runtime/execution/Operand.h"

#include "script/runtime/execution/Opcode.h"
#include "script/runtime/values/Vocabulary.h"

#include <cstdio>
#include <cstring>

namespace Vrel {

namespace {

uint32_t ReadLittleEndian(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// Data bytes behind the type byte; -1 for the inline text, whose length
// comes from its NUL.
int DataLength(uint8_t type) {
    switch (type) {
        case kTagBool: return 1;
        case 2: case 3: case 4: case 5: case 6: return 6 - type;
        case kTagFloat: case kTagPosition: case kTagStringConst: return 4;
        case kOperandInlineText: return -1;
        default: return 0;
    }
}

void SetPoolText(Var& out, const Vocabulary* vocabulary, int32_t offset) {
    if (vocabulary) {
        out.SetStringConst(vocabulary->GetText(offset));
        return;
    }
    char text[24];
    std::snprintf(text, sizeof text, "#%d", offset);
    out.SetString(text);
}

}  // namespace

bool DecodeOperand(const uint8_t* bytes, uint32_t size, uint32_t& offset, Var& out, const Vocabulary* vocabulary) {
    if (!bytes || offset >= size) return false;
    const uint8_t typeByte = bytes[offset];
    const uint8_t type = typeByte & kTagMask;
    const uint8_t* data = bytes + offset + 1;
    const uint32_t available = size - offset - 1;
    int length = DataLength(type);
    if (length < 0) {
        const void* end = std::memchr(data, 0, available);
        if (!end) return false;
        length = static_cast<int>(static_cast<const uint8_t*>(end) - data) + 1;
    }
    if (static_cast<uint32_t>(length) > available) return false;
    switch (type) {
        case kTagNil: out.SetNil(); break;
        case kTagBool: out.SetBool(data[0] != 0); break;
        case 2: case 3: case 4: case 5: out.SetInt(ReadPackedInt(data, 5 - type)); break;
        case 6: out.SetInt(0); break;
        case kTagFloat: {
            uint32_t bits = ReadLittleEndian(data);
            float value;
            std::memcpy(&value, &bits, sizeof value);
            out.SetFloat(value);
            break;
        }
        case kTagPosition: out.SetPosition(ReadLittleEndian(data)); break;
        case kTagStringConst: SetPoolText(out, vocabulary, static_cast<int32_t>(ReadLittleEndian(data))); break;
        case kTagIgnore: out.SetIgnore(); break;
        case kOperandInlineText: out.SetString(reinterpret_cast<const char*>(data)); break;
        default: break;  // not an operand type: the previous value stays
    }
    const bool isOperandType = type <= kTagPosition || type == kTagStringConst || type == kTagIgnore ||
                               type == kOperandInlineText;
    if (isOperandType) {
        out.SetAutoFlag(typeByte & kAutoFlag);
        out.SetConstFlag(false);
    }
    offset += 1 + static_cast<uint32_t>(length);
    return true;
}

}  // namespace Vrel
