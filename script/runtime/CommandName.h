#pragma once
// Printable names of the bytecode opcodes, for listings and messages.

#include <cstdint>

namespace Vrel {

// "(unknown en_Command)" for a number that names no instruction.
const char* GetCommandName(uint32_t opcode);

}  // namespace Vrel
