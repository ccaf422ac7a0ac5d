#include "script/runtime/machine/ScriptVM.h"

#include "script/runtime/execution/BinCode.h"
#include "script/runtime/library/Builtins.h"
#include "script/runtime/execution/CallFrame.h"
#include "script/runtime/machine/FileIO.h"
#include "script/runtime/library/FileSearch.h"
#include "script/runtime/library/FunctionAdapter.h"
#include "script/runtime/machine/ModuleFile.h"
#include "script/runtime/execution/Thread.h"
#include "script/runtime/values/TypeRegistry.h"
#include "script/runtime/values/Var.h"
#include "script/runtime/values/VarArray.h"
#include "script/runtime/values/VarBinary.h"
#include "script/runtime/values/VarString.h"
#include "script/runtime/values/VarUnicode.h"
#include "script/runtime/values/t_Named.h"

#include <cstdarg>
#include <cstdio>

namespace Vrel {

namespace {

constexpr size_t kMaxNoticeLength = 512;

std::string FormatNotice(const char* format, const char* text) {
    char notice[kMaxNoticeLength];
    std::snprintf(notice, sizeof notice, format, TextOrUnknown(text));
    return notice;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The name a module is looked up by.
std::string ModuleKey(const char* name) {
    std::string key;
    for (size_t i = 0; name[i] && i < kMaxModuleNameLength; ++i) key += AsciiLower(name[i]);
    return key;
}

// The folder of the thread's running source, with its separator; empty
// when the source names none.
std::string SourceFolder(const Thread* thread) {
    std::string source = thread ? thread->GetSourceName() : "";
    size_t separator = source.find_last_of("/\\");
    return separator == std::string::npos ? std::string() : source.substr(0, separator + 1);
}

BinCode* NewModuleUnder(BinCode* parent) {
    auto* module = new BinCode;
    module->SetParent(parent);
    return module;
}

}  // namespace

ScriptVM::ScriptVM() : root_(new BinCode) { FillTypeRegistry(); }

ScriptVM::~ScriptVM() {
    scheduler_.Clear();
    root_.Reset();
}

ScriptVM& ScriptVM::Global() {
    static ScriptVM machine;
    return machine;
}

void ScriptVM::FillTypeRegistry() {
    TypeRegistry& registry = TypeRegistry::Global();
    registry.Add("void", kTagNil, nullptr);
    registry.Add("auto", kTagAuto, nullptr);
    registry.Add("int", kTagInt, nullptr);
    registry.Add("float", kTagFloat, nullptr);
    registry.Add("bool", kTagBool, nullptr);
    registry.Add("bind", kTagBind, nullptr);
    registry.Add("string", kTagObject, &VarString::kClassRecord);
    registry.Add("unicode", kTagObject, &VarUnicode::kClassRecord);
    registry.Add("array", kTagObject, &VarArray::kClassRecord);
    registry.Add("struct", kTagObject, &t_Named::kClassRecord);
    registry.Add("code", kTagObject, &VarBinary::kClassRecord);
    registry.Add("func", kTagObject, &BinCode::kClassRecord);
    registry.Add("thread", kTagObject, &Thread::kClassRecord);
}

void ScriptVM::IgnoreText(const char*) {}

void ScriptVM::Initialize(ICompiler* compiler) {
    // Threads still waiting from the run before (a game ended without a
    // shutdown) would wake inside the new one.
    scheduler_.Clear();
    firstCallback_ = &IgnoreText;
    secondCallback_ = &IgnoreText;
    compiler_.reset(compiler);
    FillTypeRegistry();
    // Before the game adds and overrides its own functions.
    RegisterBuiltins(*this);
}

void ScriptVM::Shutdown() {
    searchPaths_.clear();
    debugHandler_.reset();
    compiler_.reset();
    scheduler_.Clear();
    Release();
}

void ScriptVM::Release() {
    // The old root goes after the new one stands: releasing modules may run
    // destructors that look at the machine.
    halvo::AutoRef<BinCode> old = std::move(root_);
    root_ = new BinCode;
    uncompiledModules_.clear();
    old.Reset();
}

// ---- messages ---------------------------------------------------------------

void ScriptVM::Error(const char* source, int line, const char* format, ...) {
    if (!format || !*format) return;
    char prefix[512];
    std::snprintf(prefix, sizeof prefix, "%s(%d) : ", TextOrUnknown(source), line);
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(prefix);
    if (length > 0) {
        std::string message(static_cast<size_t>(length) + 1, '\0');
        std::vsnprintf(message.data(), message.size(), format, args);
        message.resize(static_cast<size_t>(length));
        text += message;
    }
    va_end(args);
    Output(text.c_str());
}

void ScriptVM::Output(const char* text) {
    if (!text) return;
    if (debugHandler_) {
        if (debugHandler_->IsErrorChannel())
            debugHandler_->OnError(text);
        else
            debugHandler_->OnWarning(text);
    } else if (secondCallback_) {
        secondCallback_(text);
    } else if (firstCallback_) {
        firstCallback_(text);
    }
}

void ScriptVM::Notify(const char* text) {
    if (text && firstCallback_) firstCallback_(text);
}

// ---- modules ----------------------------------------------------------------

bool ScriptVM::AddCFunction(const char* name, detail::function_adapter* adapter) {
    if (!name) return false;
    Var* bind = root_->GetMembers().GetOrAddMember("~bind");
    if (bind->IsNil()) {
        bind->SetObject(NewModuleUnder(root_.Get()));
        t_Named::MembersChanged();
    }
    BinCode* module = ToBinCode(*bind);
    if (!module) return false;
    Var* entry = module->GetMembers().GetOrAddMember(name);
    MakeEmpty(*entry);
    entry->SetBind(adapter);
    return true;
}

BinCode* ScriptVM::GetOrCreateModule(const char* name) {
    if (!name) return nullptr;
    if (Var* member = root_->GetMember(name)) return ToBinCode(*member);
    BinCode* module = NewModuleUnder(root_.Get());
    root_->GetMembers().GetOrAddMember(name)->SetObject(module);
    t_Named::MembersChanged();
    return module;
}

BinCode* ScriptVM::FindModule(const char* name) {
    if (!name) return nullptr;
    const std::string key = ModuleKey(name);
    Var* member = root_->GetMember(key.c_str());
    if (!member && FindScriptFile(key.c_str())) member = root_->GetMember(key.c_str());
    return member ? ToBinCode(*member) : nullptr;
}

BinCode* ScriptVM::GetGlobalObject(const char* name) const {
    Var* member = name ? root_->GetMember(name) : nullptr;
    return member ? ToBinCode(*member) : nullptr;
}

FunctionLookup ScriptVM::LookUpFunction(const char* module, const char* name) {
    BinCode* found = FindModule(module);
    Var* member = found && name ? found->GetMember(name) : nullptr;
    if (member && ToBinCode(*member)) return FunctionLookup::kFound;
    if (module && uncompiledModules_.count(ModuleKey(module))) return FunctionLookup::kModuleNotCompiled;
    return found ? FunctionLookup::kNoFunction : FunctionLookup::kNoModule;
}

bool ScriptVM::HasFunction(const char* module, const char* name) {
    return LookUpFunction(module, name) == FunctionLookup::kFound;
}

void ScriptVM::AddSearchPath(const char* directory, int kind) {
    if (directory) searchPaths_.push_back({directory, kind});
}

bool ScriptVM::FindScriptFile(const char* name) {
    if (!name) return false;
    for (const SearchPath& path : searchPaths_) {
        if (path.kind == kSearchCompiled) {
            if (LoadCompiledModule(path.directory + "/" + name + ".bincode", name)) return true;
            continue;
        }
        if (path.kind != kSearchSource || !compiler_) continue;
        std::string file = path.directory + "/" + name + ".cis";
        if (!EnterCompile(file.c_str())) return false;
        if (LeaveCompile(file.c_str(), compiler_->CompileFile(file.c_str())) == kCompileOk) return true;
    }
    return false;
}

bool ScriptVM::LoadCompiledModule(const std::string& path, const char* name) {
    FileIO file;
    if (!file.OpenRead(path.c_str())) return false;
    halvo::AutoRef<BinCode> module(BinCode::ReadObject(file));
    if (file.HasError() || !module) {
        DiscardReadObjects(file);
        return false;
    }
    module->SetParent(root_.Get());
    root_->GetMembers().GetOrAddMember(name)->SetObject(module.Get());
    t_Named::MembersChanged();
    return true;
}

void ScriptVM::SaveAllModules(const char* prefix) {
    if (!prefix) return;
    // Collected first: writing runs no script, but the list must not
    // depend on that.
    std::vector<std::pair<std::string, halvo::AutoRef<BinCode>>> modules;
    for (const auto& [name, value] : root_->GetMembers().GetMembers())
        if (name.empty() || name[0] != '~')
            if (BinCode* module = ToBinCode(value)) modules.emplace_back(name, module);
    for (const auto& [name, module] : modules) {
        std::string path = std::string(prefix) + name + ".bincode";
        FileIO file;
        if (!file.OpenWrite(path.c_str())) {
            Notify(FormatNotice("Unable to open file '%s'", path.c_str()).c_str());
            continue;
        }
        WriteObjectRef(file, module.Get());
        file.Close();
        if (file.HasError()) Notify(FormatNotice("Unable to write file '%s'", path.c_str()).c_str());
    }
}

bool ScriptVM::ReleaseModule(const char* name) {
    if (!name || name[0] == '~') return false;
    t_Named& members = root_->GetMembers();
    bool removed = members.RemoveMember(name);
    if (!removed) {
        std::string fromPath = ModuleNameFromPath(name);
        removed = !fromPath.empty() && fromPath[0] != '~' && members.RemoveMember(fromPath.c_str());
    }
    if (!removed) return false;
    uncompiledModules_.erase(ModuleKey(name));
    uncompiledModules_.erase(ModuleNameFromPath(name));
    ModulesChanged();
    return true;
}

std::string ScriptVM::ModuleNameFromPath(const char* path) {
    if (!path) return std::string();
    const char* start = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\') start = p + 1;
    std::string name;
    for (const char* p = start; *p && *p != '.'; ++p) name += AsciiLower(*p);
    return name.empty() ? "(memory)" : name;
}

void ScriptVM::ModulesChanged() {
    if (debugHandler_) debugHandler_->ModulesChanged();
}

void ScriptVM::NoteCompiled(const char* source, int result) {
    // A source that cannot be opened leaves the module as it was.
    if (result == kCompileCannotOpen) return;
    const std::string module = ModuleNameFromPath(source);
    if (result == kCompileOk)
        uncompiledModules_.erase(module);
    else
        uncompiledModules_.insert(module);
}

// ---- compiling --------------------------------------------------------------

bool ScriptVM::EnterCompile(const char* name) {
    if (compileNesting_ >= kMaxCompileNesting) {
        Error(name, -1, "Unable to compile %s, because maximal include nesting(%d) is reached", TextOrUnknown(name),
              kMaxCompileNesting);
        return false;
    }
    ++compileNesting_;
    return true;
}

int ScriptVM::LeaveCompile(const char* source, int result) {
    --compileNesting_;
    NoteCompiled(source, result);
    if (result == kCompileOk) ModulesChanged();
    return result;
}

bool ScriptVM::CompileFile(const char* path, bool report) {
    if (!path) return false;
    if (!compiler_) {
        if (report) {
            std::string notice = FormatNotice("trying to compile file %s without compiler linked in", path);
            Notify(notice.c_str());
            Error(path, -1, "%s", notice.c_str());
        }
        return false;
    }
    if (!EnterCompile(path)) return false;
    const int result = LeaveCompile(path, compiler_->CompileFile(path));
    if (result == kCompileOk) return true;
    if (result == kCompileCannotOpen && report) Error(path, -1, "Unable to open file");
    return false;
}

bool ScriptVM::CompileFileRelative(Thread* thread, const char* file) {
    if (!file) return false;
    std::string path = SourceFolder(thread);
    return CompileFile((path + file).c_str(), true);
}

bool ScriptVM::CompileFilesRelative(Thread* thread, const char* pattern) {
    if (!pattern) return false;
    std::string path = SourceFolder(thread);
    return CompileFiles(thread ? thread->GetCurrentFrame() : nullptr, (path + pattern).c_str());
}

bool ScriptVM::CompileFiles(CallFrame* frame, const char* pattern) {
    if (!pattern) return false;
    BinCode* function = frame ? frame->GetFunction() : nullptr;
    const char* source = function ? function->GetSourceName() : "(unknown)";
    const int line = frame ? frame->GetLine() : -1;
    std::vector<std::string> files = FindMatchingFiles(pattern);
    if (files.empty()) {
        Error(source, line, "Unable to load file %s", pattern);
        return false;
    }
    bool allLoaded = true;
    for (const std::string& file : files) {
        if (CompileFile(file.c_str(), true)) continue;
        Error(source, line, "Unable to load file %s", file.c_str());
        allLoaded = false;
    }
    return allLoaded;
}

bool ScriptVM::CompileBuffer(const char* text, const char* alias) {
    if (!compiler_) {
        std::string notice = FormatNotice("trying to compile buffer %s without compiler linked in", alias);
        Notify(notice.c_str());
        Error(TextOrUnknown(alias), -1, "%s", notice.c_str());
        return false;
    }
    Notify(FormatNotice("compile buffer, using file alias %s", alias).c_str());
    if (!EnterCompile(alias)) return false;
    return LeaveCompile(alias ? alias : "", compiler_->CompileBuffer(alias ? alias : "", text ? text : "")) ==
           kCompileOk;
}

int ScriptVM::Compile(const char* text, Thread* thread, Var& result) {
    // Without a compiler nothing can be read: the same answer as a source
    // that cannot be opened.
    if (!compiler_) return kCompileCannotOpen;
    if (!EnterCompile("(memory)")) return kCompileGeneratorFailed;
    int code = compiler_->Compile(text ? text : "", thread, result);
    --compileNesting_;
    if (code == kCompileOk) ModulesChanged();
    return code;
}

// ---- threads ----------------------------------------------------------------

bool ScriptVM::Update(float elapsed) { return scheduler_.Pass(elapsed, debugHandler_.get()); }

// ---- retained texts ---------------------------------------------------------

void ScriptVM::RetainTextBlock(std::unique_ptr<char[]> block) {
    if (block) retainedBlocks_.push_back(std::move(block));
}

const char* ScriptVM::InternText(std::string_view text) {
    auto it = internedTexts_.find(text);
    if (it == internedTexts_.end()) it = internedTexts_.emplace(text).first;
    return it->c_str();
}

}  // namespace Vrel
