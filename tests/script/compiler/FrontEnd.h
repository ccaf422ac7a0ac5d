#pragma once
// Runs the lexer and the parser over a text and collects what they report.

#include "script/compiler/CompileContext.h"
#include "script/compiler/Lexer.h"
#include "script/compiler/Parser.h"
#include "script/runtime/machine/ScriptVM.h"

#include <pthread.h>

#include <string>
#include <vector>

namespace Vrel::Testing {

struct FrontEndResult {
    bool lexed = false;
    bool parsed = false;
    std::string tokens;          // dump of the token list
    std::string tree;            // dump of the syntax tree
    std::vector<std::string> messages;
};

// Source name "test.cis" unless given.
inline FrontEndResult RunFrontEnd(const std::string& text, const char* sourceName = "test.cis");

// Runs body on a thread with a 256 KB stack and waits for it.
inline void RunOnSmallStack(void (*body)(void*), void* argument);



namespace detail {

inline std::vector<std::string>* gMessages = nullptr;

inline void Collect(const char* text) {
    if (gMessages) gMessages->push_back(text);
}

}  // namespace detail

inline FrontEndResult RunFrontEnd(const std::string& text, const char* sourceName) {
    FrontEndResult result;
    ScriptVM& machine = ScriptVM::Global();
    auto previous = machine.GetSecondCallback();
    detail::gMessages = &result.messages;
    machine.SetSecondCallback(detail::Collect);
    {
        CompileContext context(sourceName, text.c_str());
        Lexer lexer(context);
        result.lexed = lexer.Tokenize();
        result.tokens = SNode::DumpToString(context.tokens ? context.tokens->FirstChild() : nullptr, 0);
        if (result.lexed) {
            Parser parser(context);
            result.parsed = parser.Parse();
            if (result.parsed) result.tree = SNode::DumpToString(context.tree->FirstChild(), 0);
        }
    }
    machine.SetSecondCallback(previous);
    detail::gMessages = nullptr;
    return result;
}

namespace detail {
struct ThreadCall {
    void (*body)(void*);
    void* argument;
};
inline void* ThreadMain(void* raw) {
    auto* call = static_cast<ThreadCall*>(raw);
    call->body(call->argument);
    return nullptr;
}
}  // namespace detail

inline void RunOnSmallStack(void (*body)(void*), void* argument) {
    constexpr size_t kStackSize = 256 * 1024;
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, kStackSize);
    detail::ThreadCall call{body, argument};
    pthread_t thread;
    if (pthread_create(&thread, &attributes, detail::ThreadMain, &call) == 0) pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

}  // namespace Vrel::Testing
