#include "script/compiler/Compiler.h"

#include "script/compiler/CompileContext.h"
#include "script/compiler/HiGrammar.h"
#include "script/compiler/Lexer.h"
#include "script/compiler/Parser.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"
#include "script/runtime/values/VarString.h"

#include <sys/stat.h>

#include <cstdarg>
#include <cstdio>
#include <string>

namespace Vrel {

namespace {

// The whole file, or false when it is no regular file or cannot be read.
bool ReadSourceFile(const char* path, std::string& text) {
    struct stat info {};
    if (::stat(path, &info) != 0 || !S_ISREG(info.st_mode)) return false;
    if (info.st_size < 0 || info.st_size > Compiler::kMaxSourceBytes) return false;
    FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    text.assign(static_cast<size_t>(info.st_size), '\0');
    size_t read = text.empty() ? 0 : std::fread(text.data(), 1, text.size(), file);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return false;
    // A file that shrank since stat is taken as far as it was read.
    text.resize(read);
    return true;
}

bool ListingFolderExists() {
    struct stat info {};
    return ::stat("Temp", &info) == 0 && S_ISDIR(info.st_mode);
}

// Copies the calling frame's locals and its function's members into the
// module, so that the text sees them by name. The module's own string
// table and code stay; the parent link follows the caller's function.
void ShareCallerContext(BinCode& module, Thread& thread) {
    if (thread.GetDepth() >= kMaxCallDepth) return;
    CallFrame* frame = thread.GetCurrentFrame();
    if (!frame) return;
    module.GetVariables().CopyFrom(frame->GetLocals());
    BinCode* function = frame->GetFunction();
    if (!function || function == &module) return;
    for (const auto& [name, value] : function->GetMembers().GetMembers()) {
        if (name == "~v" || name == "~b") continue;
        module.GetMembers().GetOrAddMember(name.c_str())->Assign(value);
    }
    if (BinCode* parent = function->GetParent()) module.SetParent(parent);
}

}  // namespace

bool Compiler::Error(bool& errorFlag, const char* source, int line, const char* format, ...) {
    if (!format || !*format) return false;
    if (errorFlag) return true;
    errorFlag = true;
    char message[kMaxMessageLength];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    // The message may carry source text: it goes on only as an argument.
    ScriptVM::Global().Error(source ? source : "(null)", line, "%s", message);
    return true;
}

int Compiler::CompileFile(const char* path) {
    Var ignored;
    return CompileFileWithResult(path, ignored);
}

int Compiler::CompileFileWithResult(const char* path, Var& result) {
    if (!path) path = "";
    std::string text;
    if (!ReadSourceFile(path, text)) return kCompileCannotOpen;
    CompileContext context(path, text.c_str());
    int code = CompileModule(context, nullptr);
    if (code == kCompileOk) result = context.result;
    return code;
}

int Compiler::CompileBuffer(const char* alias, const char* text) {
    CompileContext context(alias ? alias : "", text ? text : "");
    return CompileModule(context, nullptr);
}

int Compiler::Compile(const char* text, Thread* thread, Var& result) {
    CompileContext context("", text ? text : "");
    context.moduleName.clear();
    int code = CompileModule(context, thread);
    if (code == kCompileOk) result = context.result;
    return code;
}

int Compiler::CompileModule(CompileContext& context, Thread* thread) {
    context.statementByStatement = true;
    context.target.Reset();
    if (nesting_ >= kMaxNesting) {
        ScriptVM::Global().Error(context.sourceName.c_str(), -1,
                                 "Unable to compile %s, because maximal include nesting(%d) is reached",
                                 context.sourceName.c_str(), kMaxNesting);
        return kCompileGeneratorFailed;
    }
    BinCode* target = SelectTarget(context);
    if (!target) return kCompileGeneratorFailed;
    if (nesting_ == 0) writesListings_ = ListingFolderExists();
    ++nesting_;
    inProgress_.insert(target);
    int code = RunStages(context, thread);
    inProgress_.erase(target);
    --nesting_;
    return code;
}

BinCode* Compiler::SelectTarget(CompileContext& context) {
    ScriptVM& vm = ScriptVM::Global();
    BinCode* root = vm.GetRootModule();
    if (context.moduleName.empty()) {
        context.target = new BinCode;
        context.target->SetParent(root);
        return context.target.Get();
    }
    Var* member = root->GetMembers().GetOrAddMember(context.moduleName.c_str());
    if (BinCode* existing = ToBinCode(*member)) {
        if (inProgress_.count(existing)) {
            vm.Error(context.sourceName.c_str(), -1, "Module '%s' is already being compiled",
                     context.moduleName.c_str());
            return nullptr;
        }
        context.target = existing;
        return existing;
    }
    halvo::AutoRef<BinCode> module(new BinCode);
    module->SetParent(root);
    MakeEmpty(*member);
    member->SetObject(module.Get());
    context.target = module;
    return module.Get();
}

int Compiler::RunStages(CompileContext& context, Thread* thread) {
    BinCode* target = context.target.Get();
    target->CreateVocabulary();
    if (thread) ShareCallerContext(*target, *thread);
    context.lines.clear();
    int code = kCompileOk;
    Lexer lexer(context);
    Parser parser(context);
    HiGrammar generator(*this);
    if (!lexer.Tokenize())
        code = kCompileLexerFailed;
    else if (!parser.Parse())
        code = kCompileParserFailed;
    else if (!generator.Generate(context))
        code = kCompileGeneratorFailed;
    else
        target->GetMembers().RemoveMember("~b");
    context.lines.clear();
    context.code.Reset();
    return code;
}

bool Compiler::RunCode(BinCode* code, Var& value) {
    MakeEmpty(value);
    ScriptVM& vm = ScriptVM::Global();
    halvo::AutoRef<Thread> thread(new Thread(vm));
    code->SetReturnType("auto");
    if (!Thread::CallFunction(vm, thread.Get(), code, false, nullptr, 0)) return false;
    // A thread left sleeping or waiting stops here for good: its timer is
    // no result.
    if (thread->GetState() != kThreadIdle) return true;
    const Var& returned = thread->GetValue();
    const char* text = returned.IsText() ? returned.GetCString() : nullptr;
    if (text)
        value.SetObject(new VarString(text));
    else
        value.Assign(returned.Followed());
    // The "auto" return type marks what it returns; the value itself is plain.
    value.SetAutoFlag(false);
    value.SetConstFlag(false);
    return true;
}

}  // namespace Vrel
