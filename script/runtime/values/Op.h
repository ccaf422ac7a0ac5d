#pragma once
// The script operators on values. a is the left operand's slot and receives
// the result; b is only read. Each answers whether the operation applied;
// the caller reports failures.

#include "script/runtime/values/Var.h"

namespace Vrel::Op {

// A one-element array stands for its element, an empty one for nil.
Var& Operand(Var& value);
const Var& Operand(const Var& value);

bool Add(Var& a, const Var& b);
bool Sub(Var& a, const Var& b);
bool Mul(Var& a, const Var& b);
bool Div(Var& a, const Var& b);
bool Mod(Var& a, const Var& b);
bool And(Var& a, const Var& b);
bool Or(Var& a, const Var& b);
bool Xor(Var& a, const Var& b);
bool Less(Var& a, const Var& b);
bool LessEqual(Var& a, const Var& b);
bool Equal(Var& a, const Var& b);
bool NotEqual(Var& a, const Var& b);
bool Greater(Var& a, const Var& b);
bool GreaterEqual(Var& a, const Var& b);
bool ShiftLeft(Var& a, const Var& b);
bool ShiftRight(Var& a, const Var& b);
bool LogicalAnd(Var& a, const Var& b);
bool LogicalOr(Var& a, const Var& b);
bool Not(Var& a);
// The binary operator of a bytecode opcode (multiply to logical or); false
// for any other opcode.
bool ApplyBinary(int opcode, Var& a, const Var& b);
bool Negate(Var& a);

}  // namespace Vrel::Op
