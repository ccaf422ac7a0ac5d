#pragma once
// Script values in the data tree. The tree itself lives below the script
// runtime and knows only texts, so the script-value operations join its
// namespace from here: DataTree::SetVar / GetVar read and write the typed
// text form through DataTree's string access.
//
// Stored forms: "~i_%d" integer, "~f_%f" float (also a reference to a
// number), "~b_1"/"~b_0" bool, "~s_" text of bytes below 0x80, "~u_" UTF-8
// of unicode text or of 8-bit text with a byte of 0x80 and above, and
// "(invalid)" for values without a text. Booleans read back as the floats
// 1.0 and 0.0; any unprefixed text reads back as a new string.

#include "platform/DataTree.h"
#include "script/runtime/values/Var.h"

#include <string>

namespace DataTree {

// False when the path resolves to nothing.
bool SetVar(const char* path, const Vrel::Var& value);
// False, with `out` unchanged, when the element or attribute is missing.
bool GetVar(const char* path, Vrel::Var& out);

void EncodeValue(const Vrel::Var& value, std::string& out);
// Texts are copied: the value stays valid whatever happens to the tree.
void DecodeValue(const char* stored, Vrel::Var& out);

}  // namespace DataTree
