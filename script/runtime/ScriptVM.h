#pragma once
// The script machine: where script messages leave, what fills the type
// registry, and the store that keeps texts alive that string constants
// point into.

#include "script/runtime/DebugHandler.h"

#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace Vrel {

class ScriptVM {
public:
    using MessageCallback = void (*)(const char* text);

    // Fills the type registry, so that objects stored before Initialize
    // already get their records.
    ScriptVM();
    ~ScriptVM();
    ScriptVM(const ScriptVM&) = delete;
    ScriptVM& operator=(const ScriptVM&) = delete;

    static ScriptVM& Global();

    // Adds the machine's own types to the registry; names already there
    // keep their records.
    static void FillTypeRegistry();
    // The callback Initialize installs: drops its text.
    static void IgnoreText(const char* text);

    void SetFirstCallback(MessageCallback callback) { firstCallback_ = callback; }
    void SetSecondCallback(MessageCallback callback) { secondCallback_ = callback; }
    MessageCallback GetFirstCallback() const { return firstCallback_; }
    MessageCallback GetSecondCallback() const { return secondCallback_; }
    void SetDebugHandler(std::unique_ptr<DebugHandler> handler) { debugHandler_ = std::move(handler); }
    DebugHandler* GetDebugHandler() const { return debugHandler_.get(); }

    // "%s(%d) : " with source and line, then the message, to Output. A null
    // or empty format reports nothing.
    void Error(const char* source, int line, const char* format, ...) __attribute__((format(printf, 4, 5)));
    // To the debug handler if any, else the second callback, else the first.
    void Output(const char* text);

    // A text block that string constants may point into; kept until the
    // machine goes.
    void RetainTextBlock(std::unique_ptr<char[]> block);
    // A copy of the text that lives as long as the machine; equal texts
    // share one copy.
    const char* InternText(std::string_view text);
    size_t RetainedBlockCount() const { return retainedBlocks_.size(); }

private:
    MessageCallback firstCallback_ = nullptr;
    MessageCallback secondCallback_ = nullptr;
    std::unique_ptr<DebugHandler> debugHandler_;
    std::vector<std::unique_ptr<char[]>> retainedBlocks_;
    std::set<std::string, std::less<>> internedTexts_;
};

}  // namespace Vrel
