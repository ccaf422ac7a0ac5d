#include "script/runtime/values/Op.h"

#include "script/runtime/execution/Opcode.h"
#include "script/runtime/values/VarArray.h"
#include "script/runtime/values/VarExtension.h"
#include "script/runtime/values/VarString.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <cmath>

namespace Vrel::Op {

namespace {

enum class Kind { Add, Sub, Mul, Div, Mod, And, Or, Xor, Less, LessEqual, Equal };

Var& EmptyOperand() {
    // Reset on each use: nothing a caller does to it can last.
    static Var empty;
    empty.Clear();
    empty.SetAutoFlag(false);
    empty.SetConstFlag(false);
    return empty;
}

bool Dispatch(Kind kind, VarExtension& object, Var& a, const Var& b) {
    // The operator may replace the slot that owns the object.
    halvo::AutoRef<VarExtension> hold(&object);
    switch (kind) {
        case Kind::Add: return object.OpAdd(a, b);
        case Kind::Sub: return object.OpSub(a, b);
        case Kind::Mul: return object.OpMul(a, b);
        case Kind::Div: return object.OpDiv(a, b);
        case Kind::Mod: return object.OpMod(a, b);
        case Kind::And: return object.OpAnd(a, b);
        case Kind::Or: return object.OpOr(a, b);
        case Kind::Xor: return object.OpXor(a, b);
        case Kind::Less: return object.OpLess(a, b);
        case Kind::LessEqual: return object.OpLessEqual(a, b);
        case Kind::Equal: return object.OpEqual(a, b);
    }
    return false;
}

uint32_t U(int32_t v) { return static_cast<uint32_t>(v); }
int32_t S(uint32_t v) { return static_cast<int32_t>(v); }

bool IntResult(Kind kind, Var& a, int32_t x, int32_t y) {
    switch (kind) {
        case Kind::Add: a.SetInt(S(U(x) + U(y))); return true;
        case Kind::Sub: a.SetInt(S(U(x) - U(y))); return true;
        case Kind::Mul: a.SetInt(S(U(x) * U(y))); return true;
        case Kind::Div:
            if (y == 0) return false;
            a.SetInt(x == INT_MIN && y == -1 ? INT_MIN : x / y);
            return true;
        case Kind::Mod:
            if (y == 0) return false;
            a.SetInt(y == -1 ? 0 : x % y);
            return true;
        case Kind::And: a.SetInt(x & y); return true;
        case Kind::Or: a.SetInt(x | y); return true;
        case Kind::Xor: a.SetInt(x ^ y); return true;
        case Kind::Less: a.SetBool(x < y); return true;
        case Kind::LessEqual: a.SetBool(x <= y); return true;
        case Kind::Equal: a.SetBool(x == y); return true;
    }
    return false;
}

bool FloatResult(Kind kind, Var& a, float x, float y) {
    switch (kind) {
        case Kind::Add: a.SetFloat(x + y); return true;
        case Kind::Sub: a.SetFloat(x - y); return true;
        case Kind::Mul: a.SetFloat(x * y); return true;
        case Kind::Div: a.SetFloat(x / y); return true;
        case Kind::Mod: a.SetFloat(std::fmod(x, y)); return true;
        case Kind::Less: a.SetBool(x < y); return true;
        case Kind::LessEqual: a.SetBool(x <= y); return true;
        case Kind::Equal: a.SetBool(x == y); return true;
        default: return false;
    }
}

// Arithmetic and bitwise operators of the bool rank work on the stored bytes
// directly; comparisons convert.
bool BoolResult(Kind kind, Var& a, const Var& left, const Var& right) {
    bool x = false, y = false;
    left.ToBool(x);
    right.ToBool(y);
    switch (kind) {
        case Kind::Add:
        case Kind::Or: a.SetBool(x || y); return true;
        case Kind::Sub:
        case Kind::And: a.SetBool(x && y); return true;
        case Kind::Xor: a.SetBool(x != y); return true;
        case Kind::Less: a.SetBool(x < y); return true;
        case Kind::LessEqual: a.SetBool(x <= y); return true;
        case Kind::Equal: a.SetBool(x == y); return true;
        default: return false;
    }
}

bool NilResult(Kind kind, Var& a) {
    switch (kind) {
        case Kind::Less: a.SetBool(false); return true;
        case Kind::LessEqual:
        case Kind::Equal: a.SetBool(true); return true;
        default: return false;
    }
}

bool OtherEqual(Var& a, const Var& left, const Var& right) {
    if (left.GetTag() != kTagStringConst) {
        a.SetBool(false);
        return true;
    }
    const char* x = left.GetCString();
    const char* y = right.GetCString();
    a.SetBool(!x || !y ? x == y : std::strcmp(x, y) == 0);
    return true;
}

bool Binary(Kind kind, Var& a, const Var& bValue) {
    // The common case first: two plain numbers of one kind.
    if (a.GetTag() == kTagInt && bValue.GetTag() == kTagInt) return IntResult(kind, a, a.RawInt(), bValue.RawInt());
    if (a.GetTag() == kTagFloat && bValue.GetTag() == kTagFloat)
        return FloatResult(kind, a, a.RawFloat(), bValue.RawFloat());

    Var& left = Operand(a);
    const Var& right = Operand(bValue);
    if (kind == Kind::Add && left.GetTag() == kTagStringConst) {
        halvo::AutoRef<VarString> text(new VarString(left.GetStringConst()));
        left.SetObject(text.Get());
    }
    if (left.GetTag() == kTagObject) {
        VarExtension* object = left.GetObject();
        if (!object) {
            if (kind != Kind::Equal) return false;
            bool nil = right.IsNil();
            a.SetBool(nil);
            return true;
        }
        return Dispatch(kind, *object, a, right);
    }
    switch (std::max(OperandRank(left.GetTag()), OperandRank(right.GetTag()))) {
        case 0: return NilResult(kind, a);
        case 1: return BoolResult(kind, a, left, right);
        case 2: {
            int x = 0, y = 0;
            left.ToInt(x);
            right.ToInt(y);
            return IntResult(kind, a, x, y);
        }
        case 3: {
            float x = 0.0f, y = 0.0f;
            left.ToFloat(x);
            right.ToFloat(y);
            return FloatResult(kind, a, x, y);
        }
        default:
            if (kind == Kind::Equal) return OtherEqual(a, left, right);
            return false;
    }
}

bool Negated(Var& a) {
    bool value = false;
    a.ToBool(value);
    a.SetBool(!value);
    return true;
}

bool IntOperands(const Var& a, const Var& b, int32_t& x, int32_t& y) {
    const Var& left = a.Followed();
    const Var& right = b.Followed();
    if (left.GetTag() != kTagInt || right.GetTag() != kTagInt) return false;
    x = left.RawInt();
    y = right.RawInt();
    return true;
}

}  // namespace

Var& Operand(Var& value) {
    Var& reached = value.Followed();
    VarArray* array = reached.GetTag() == kTagObject ? ToVarArray(reached) : nullptr;
    if (!array || array->GetCount() > 1) return reached;
    if (array->GetCount() == 0) return EmptyOperand();
    return *array->GetOrAddAt(0);
}

const Var& Operand(const Var& value) { return Operand(const_cast<Var&>(value)); }

bool Add(Var& a, const Var& b) { return Binary(Kind::Add, a, b); }
bool Sub(Var& a, const Var& b) { return Binary(Kind::Sub, a, b); }
bool Mul(Var& a, const Var& b) { return Binary(Kind::Mul, a, b); }
bool Div(Var& a, const Var& b) { return Binary(Kind::Div, a, b); }
bool Mod(Var& a, const Var& b) { return Binary(Kind::Mod, a, b); }
bool And(Var& a, const Var& b) { return Binary(Kind::And, a, b); }
bool Or(Var& a, const Var& b) { return Binary(Kind::Or, a, b); }
bool Xor(Var& a, const Var& b) { return Binary(Kind::Xor, a, b); }
bool Less(Var& a, const Var& b) { return Binary(Kind::Less, a, b); }
bool LessEqual(Var& a, const Var& b) { return Binary(Kind::LessEqual, a, b); }
bool Equal(Var& a, const Var& b) { return Binary(Kind::Equal, a, b); }

bool NotEqual(Var& a, const Var& b) { return Equal(a, b) && Negated(a); }
bool GreaterEqual(Var& a, const Var& b) { return Less(a, b) && Negated(a); }
bool Greater(Var& a, const Var& b) { return LessEqual(a, b) && Negated(a); }

bool ShiftLeft(Var& a, const Var& b) {
    int32_t x = 0, y = 0;
    if (!IntOperands(a, b, x, y)) return false;
    a.SetInt(S(U(x) << (U(y) & 31)));
    return true;
}

bool ShiftRight(Var& a, const Var& b) {
    int32_t x = 0, y = 0;
    if (!IntOperands(a, b, x, y)) return false;
    a.SetInt(x >> (U(y) & 31));
    return true;
}

bool LogicalAnd(Var& a, const Var& b) {
    bool x = false;
    a.ToBool(x);
    bool y = false;
    if (x) b.ToBool(y);
    a.SetBool(x && y);
    return true;
}

bool LogicalOr(Var& a, const Var& b) {
    bool x = false;
    a.ToBool(x);
    bool y = false;
    if (!x) b.ToBool(y);
    a.SetBool(x || y);
    return true;
}

bool Not(Var& a) { return Negated(a); }

bool ApplyBinary(int opcode, Var& a, const Var& b) {
    switch (opcode) {
        case kOpMul: return Mul(a, b);
        case kOpDiv: return Div(a, b);
        case kOpMod: return Mod(a, b);
        case kOpAdd: return Add(a, b);
        case kOpSub: return Sub(a, b);
        case kOpShiftLeft: return ShiftLeft(a, b);
        case kOpShiftRight: return ShiftRight(a, b);
        case kOpLessEqual: return LessEqual(a, b);
        case kOpLess: return Less(a, b);
        case kOpGreaterEqual: return GreaterEqual(a, b);
        case kOpGreater: return Greater(a, b);
        case kOpEqual: return Equal(a, b);
        case kOpNotEqual: return NotEqual(a, b);
        case kOpBitAnd: return And(a, b);
        case kOpBitXor: return Xor(a, b);
        case kOpBitOr: return Or(a, b);
        case kOpLogicalAnd: return LogicalAnd(a, b);
        case kOpLogicalOr: return LogicalOr(a, b);
        default: return false;
    }
}

bool Negate(Var& a) {
    if (a.GetTag() == kTagInt) {
        a.SetInt(S(0u - U(a.RawInt())));
        return true;
    }
    if (a.GetTag() == kTagFloat) {
        a.SetFloat(-a.RawFloat());
        return true;
    }
    return false;
}

}  // namespace Vrel::Op
