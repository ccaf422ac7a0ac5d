#pragma once
// Flattens the instruction nodes of one code body into bytecode, resolves
// label numbers into code positions, builds the line map and stores both
// into the context's target code object.

#include "script/compiler/CompileContext.h"

#include <cstdint>
#include <map>
#include <vector>

namespace Vrel {

class Assembler {
public:
    // Code and line-map buffers start with this much room.
    static constexpr size_t kInitialReserve = 1024;

    struct LabelEntry {
        int32_t position = -1;
        std::vector<uint32_t> patches;
    };

    // Prologue, "paramcpy", code root, "stop", into context.target. On
    // failure nothing is stored and the target keeps what it had.
    bool Assemble(CompileContext& context);
    // Writes node after its children (post-order, walked without recursion).
    bool EmitInstruction(CompileContext& context, SNode* node);

    const std::vector<uint8_t>& GetCode() const { return code_; }
    const std::vector<uint8_t>& GetLineMap() const { return lineMap_; }

private:
    bool EmitOne(CompileContext& context, SNode* node);
    bool PlaceLabel(CompileContext& context, SNode* node);
    void RecordLine(int32_t line);
    bool ResolveLabels(CompileContext& context);

    struct Step {
        SNode* node;
        SNode* nextChild;
    };

    std::map<int32_t, LabelEntry> labels_;
    // The post-order walk's stack, kept between the statements of a body.
    std::vector<Step> work_;
    // The target's string table, looked up at the first operand that needs
    // one: most bodies hold no text, and assembling changes no member.
    Vocabulary* StringTable(const CompileContext& context);
    Vocabulary* vocabulary_ = nullptr;
    bool vocabularyKnown_ = false;
    std::vector<uint8_t> code_;
    std::vector<uint8_t> lineMap_;
    int32_t lastLine_ = -1;
};

// Writes the listing of a function body, "Temp/<name>_asm.txt" under the
// working directory, replacing an earlier one. Nothing happens when the
// file cannot be opened (no "Temp" folder).
void WriteListing(const char* functionName, const SNode* codeRoot);

}  // namespace Vrel
