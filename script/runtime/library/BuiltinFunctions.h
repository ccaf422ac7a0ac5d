#pragma once
// The native functions of the core library, by group. Registered under
// their script names by RegisterBuiltins.

#include "script/runtime/execution/BinCode.h"
#include "script/runtime/library/FunctionAdapter.h"
#include "script/runtime/execution/Thread.h"

namespace Vrel {


namespace builtins {

// ---- the calling thread and other threads (BuiltinsThread.cpp) ----
void SetReturnValue(t_Interface& call);
bool Assert(t_Interface& call);
int AssertThrown(t_Interface& call);
int AssertCount(t_Interface& call);
void Debugout(t_Interface& call);
int DebugPC(t_Interface& call);
int DebugStackpos(t_Interface& call);
void Stop(t_Interface& call);
void Sleep(t_Interface& call);
void Pause(t_Interface& call);
Var ThreadGetCurrent(t_Interface& call);
Var ThreadCreate(t_Interface& call);
bool ThreadIsRunning(Var* value);
Var ThreadGetReturnValue(Var* value);
bool ThreadSetValue(Thread* thread, const char* name, Var* value);
Var ThreadGetValue(Thread* thread, const char* name);
void ThreadStop(Thread* thread, Var* value);
void ThreadSleep(Thread* thread, float time);
void ThreadResume(Thread* thread);

// ---- values (BuiltinsValue.cpp) ----
const char* TypeName(t_Interface& call);
Var GetMember(t_Interface& call);
bool HasMember(t_Interface& call);
bool IsNil(t_Interface& call);
Var ToStringValue(Var* value);
float ToFloatValue(Var* value);
int ToIntValue(Var* value);
bool ToBoolValue(Var* value);
bool SetSize(t_Interface& call);
int GetSize(t_Interface& call);

// ---- modules (BuiltinsModule.cpp) ----
bool Include(t_Interface& call);
bool IncludeAll(t_Interface& call);
Var GetGlobalVar(t_Interface& call);
BinCode* ModuleCreate(t_Interface& call);
bool ModuleRelease(t_Interface& call);
const char* ModuleGetName(BinCode* module);
BinCode* ModuleGet(t_Interface& call);
BinCode* ModuleGetThis(t_Interface& call);
BinCode* ModuleGetParent(const BinCode* module);
void ModuleSaveAll(t_Interface& call);
bool ModuleGetMember(t_Interface& call);

// ---- texts and numbers (BuiltinsText.cpp) ----
Var StrCat(const char* first, const char* second);
Var StrStr(const char* haystack, const char* needle);
int StrNCmp(const char* first, const char* second, int n);
Var SubStr(const char* text, int start, int length);
int StrLen(const char* text);
Var StrLwr(const char* text);
Var StrUpr(const char* text);
Var StrRev(const char* text);
float Sin(float degrees);
float Cos(float degrees);
// Code page 1252 case mapping of one byte.
unsigned char LowerCase1252(unsigned char c);
unsigned char UpperCase1252(unsigned char c);

}  // namespace builtins

}  // namespace Vrel
