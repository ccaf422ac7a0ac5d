#pragma once
// Decoding of one typed bytecode operand. Also reads line maps, which use
// the same encoding.

#include "script/runtime/values/Var.h"

#include <cstdint>

namespace Vrel {

class Vocabulary;

// Decodes the operand at offset into out and moves offset past it. An
// operand that does not fit in size bytes (or an inline text without its
// NUL) answers false and leaves offset and out as they were. Types that are
// no operand types take one byte and leave out as it was.
bool DecodeOperand(const uint8_t* bytes, uint32_t size, uint32_t& offset, Var& out, const Vocabulary* vocabulary);

}  // namespace Vrel
