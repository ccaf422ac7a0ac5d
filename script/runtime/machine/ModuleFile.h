#pragma once
// The value and member encodings of compiled module files (".bincode").
// The reader trusts nothing: lengths are checked against what is left,
// nesting is bounded, and values that would carry addresses come back nil.

#include <cstdint>

namespace Vrel {

class BinCode;
class ScriptIO;
class Var;
class t_Named;

// A variable table may hold at most this many slots in a file: the table
// needs room for two more within its 16-bit count.
constexpr int kMaxFileSlots = 32765;

void WriteValue(ScriptIO& stream, const Var& value);
// Reads one value into value; fresh tells whether an object body was read
// for it (not a reference to an object read before). False on a broken file.
bool ReadValue(ScriptIO& stream, Var& value, bool* fresh = nullptr);

void WriteMembers(ScriptIO& stream, const t_Named& members);
// Reads a members body into members. A module read for one of them gets
// owner as its parent; "~p" members in the file are ignored.
bool ReadMembers(ScriptIO& stream, t_Named& members, BinCode* owner);

// Breaks the links among the objects a failed read left behind, so that the
// cycles a file can describe do not keep them alive.
void DiscardReadObjects(ScriptIO& stream);

}  // namespace Vrel
