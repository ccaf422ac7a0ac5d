#include "script/compiler/Assembler.h"

#include "script/compiler/HiGrammar.h"
#include "script/runtime/execution/Opcode.h"
#include "script/runtime/values/Vocabulary.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace Vrel {

namespace {

constexpr uint8_t kPositionOperand = kTagPosition;
constexpr uint32_t kPositionBytes = 4;

void WriteInt(std::vector<uint8_t>& buffer, int32_t value) { Var(value).WriteOperand(buffer, nullptr); }

}  // namespace

bool Assembler::Assemble(CompileContext& context) {
    labels_.clear();
    code_.clear();
    lineMap_.clear();
    code_.reserve(kInitialReserve);
    lineMap_.reserve(kInitialReserve);
    lastLine_ = -1;
    if (!context.target) return false;
    vocabulary_ = nullptr;
    vocabularyKnown_ = false;

    lineMap_.push_back(kOperandInlineText);
    lineMap_.insert(lineMap_.end(), context.sourceName.begin(), context.sourceName.end());
    lineMap_.push_back(0);

    if (context.parameterPrologue)
        for (SNode* child = context.parameterPrologue->FirstChild(); child; child = child->Next())
            if (!EmitInstruction(context, child)) return false;
    code_.push_back(kOpParamCopy);
    if (context.code)
        for (SNode* child = context.code->FirstChild(); child; child = child->Next())
            if (!EmitInstruction(context, child)) return false;
    code_.push_back(kOpStop);
    if (!ResolveLabels(context)) return false;

    context.target->SetCode(static_cast<uint32_t>(code_.size()), code_.data());
    context.target->SetMapFile(lineMap_.data(), static_cast<uint32_t>(lineMap_.size()));
    return true;
}

// Post-order along an explicit stack: nested blocks and expressions make
// instruction trees as deep as the syntax tree.
bool Assembler::EmitInstruction(CompileContext& context, SNode* node) {
    std::vector<Step>& work = work_;
    work.clear();
    work.push_back({node, node->FirstChild()});
    while (!work.empty()) {
        Step& step = work.back();
        if (SNode* child = step.nextChild) {
            step.nextChild = child->Next();
            work.push_back({child, child->FirstChild()});
            continue;
        }
        SNode* done = step.node;
        work.pop_back();
        if (!EmitOne(context, done)) return false;
    }
    return true;
}

bool Assembler::EmitOne(CompileContext& context, SNode* node) {
    const int32_t opcode = node->opcode;
    if (opcode == kOpNothing) return true;
    if (opcode == kOpLabel) return PlaceLabel(context, node);
    if (opcode == kOpLine) {
        RecordLine(node->value.AsInt());
        return true;
    }
    if (opcode != kOpLabelTab) code_.push_back(static_cast<uint8_t>(opcode));
    if (node->kind == OT_LABEL) {
        labels_[node->value.AsInt()].patches.push_back(static_cast<uint32_t>(code_.size() + 1));
        node->value.SetPosition(static_cast<uint32_t>(-1));
    }
    if (opcode < kOpFirstWithoutOperand) {
        // Only a text operand reads the table.
        const uint32_t tag = node->value.GetTag();
        Vocabulary* table = tag == kTagStringConst || tag == kTagObject ? StringTable(context) : nullptr;
        if (!node->value.WriteOperand(code_, table))
            HiGrammar::Error(context, node->line, "Unsupported type: reference");
    }
    return true;
}

Vocabulary* Assembler::StringTable(const CompileContext& context) {
    if (!vocabularyKnown_) {
        vocabulary_ = context.target ? context.target->GetVocabulary() : nullptr;
        vocabularyKnown_ = true;
    }
    return vocabulary_;
}

bool Assembler::PlaceLabel(CompileContext& context, SNode* node) {
    LabelEntry& entry = labels_[node->value.AsInt()];
    if (entry.position >= 0) {
        HiGrammar::Error(context, node->line, "duplicate label found %s", node->value.ToString().c_str());
        return false;
    }
    entry.position = static_cast<int32_t>(code_.size());
    return true;
}

void Assembler::RecordLine(int32_t line) {
    if (line == lastLine_) return;
    lastLine_ = line;
    WriteInt(lineMap_, line);
    WriteInt(lineMap_, static_cast<int32_t>(code_.size()));
}

bool Assembler::ResolveLabels(CompileContext& context) {
    for (const auto& [number, entry] : labels_) {
        if (entry.position < 0) {
            HiGrammar::Error(context, -1, "Fatal : Undeclared label found: '%d'", number);
            return false;
        }
        for (uint32_t offset : entry.patches) {
            // Only a jump node whose opcode carries no operand could point
            // past the code; such a patch would write out of bounds.
            if (offset + kPositionBytes > code_.size() || (code_[offset - 1] & kTagMask) != kPositionOperand) {
                HiGrammar::Error(context, -1, "Fatal : Label '%d' has no position operand to patch", number);
                return false;
            }
            const uint32_t position = static_cast<uint32_t>(entry.position);
            for (uint32_t i = 0; i < kPositionBytes; ++i)
                code_[offset + i] = static_cast<uint8_t>(position >> (8 * i));
        }
    }
    return true;
}

void WriteListing(const char* functionName, const SNode* codeRoot) {
    if (!functionName || !*functionName || std::strpbrk(functionName, "/\\") || !codeRoot) return;
    std::string path = std::string("Temp/") + functionName + "_asm.txt";
    FILE* file = std::fopen(path.c_str(), "w");
    if (!file) return;
    SNode::Dump(codeRoot, file, 0);
    std::fclose(file);
}

}  // namespace Vrel
