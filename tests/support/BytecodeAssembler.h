#pragma once
// Test-only bytecode assembler: opcodes with typed operands, labels with
// jump patching, switch tables and line maps, so that the interpreter can be
// driven without the compiler. Never linked into the program.

#include "script/runtime/execution/BinCode.h"
#include "script/runtime/execution/Opcode.h"
#include "script/runtime/values/Var.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace bytecode {

using Label = int;

class Assembler {
public:
    // ---- raw encoding ----
    Assembler& Op(uint8_t opcode) {
        code_.push_back(opcode);
        return *this;
    }
    Assembler& Operand(uint8_t opcode, const Vrel::Var& value) {
        code_.push_back(opcode);
        value.WriteOperand(code_, nullptr);
        return *this;
    }
    Assembler& Int(uint8_t opcode, int value) { return Operand(opcode, Vrel::Var(value)); }
    Assembler& Float(uint8_t opcode, float value) { return Operand(opcode, Vrel::Var(value)); }
    Assembler& Bool(uint8_t opcode, bool value) { return Operand(opcode, Vrel::Var(value)); }
    Assembler& Nil(uint8_t opcode) { return Raw({opcode, 0}); }
    // An inline-text operand (type 16).
    Assembler& Text(uint8_t opcode, const char* text) { return Operand(opcode, Vrel::Var(text)); }
    // A string-table operand (type 11) with a pool offset.
    Assembler& Pool(uint8_t opcode, int32_t offset) {
        code_.push_back(opcode);
        code_.push_back(Vrel::kTagStringConst);
        AppendWord(static_cast<uint32_t>(offset));
        return *this;
    }
    Assembler& Position(uint8_t opcode, uint32_t position) {
        code_.push_back(opcode);
        code_.push_back(Vrel::kTagPosition);
        AppendWord(position);
        return *this;
    }
    Assembler& Raw(std::initializer_list<uint8_t> bytes) {
        code_.insert(code_.end(), bytes);
        return *this;
    }

    // ---- labels ----
    Label NewLabel() {
        labels_.push_back(kUnbound);
        return static_cast<Label>(labels_.size() - 1);
    }
    Assembler& Bind(Label label) {
        labels_[label] = static_cast<uint32_t>(code_.size());
        return *this;
    }
    Assembler& JumpTo(uint8_t opcode, Label label) {
        code_.push_back(opcode);
        EmitPositionOperand(label);
        return *this;
    }
    // "switch" with one table entry per label, in the order given (sorted by
    // case value, as the compiler writes them).
    Assembler& Switch(const std::vector<Label>& cases) {
        Int(Vrel::kOpSwitch, static_cast<int>(cases.size()));
        for (Label label : cases) EmitPositionOperand(label);
        return *this;
    }
    // The start of a case block: its label and the "data" instruction that
    // carries the case value.
    Assembler& Case(Label label, const Vrel::Var& value) {
        Bind(label);
        return Operand(Vrel::kOpData, value);
    }
    // The code from here on belongs to source line.
    Assembler& Line(int line) {
        lines_.emplace_back(line, static_cast<int>(code_.size()));
        return *this;
    }

    // ---- statement shapes ----
    Assembler& PushInt(int value) { return Int(Vrel::kOpPushValue, value); }
    Assembler& PushText(const char* text) { return Text(Vrel::kOpPushValue, text); }
    Assembler& Local(int slot) { return PushInt(slot).Int(Vrel::kOpPushVar, 0); }
    Assembler& Named(const char* name) { return PushText(name).Int(Vrel::kOpPushVar, Vrel::kPushByName); }
    // Arguments: Args(n), then for each i: push the value, ArgDone(i).
    Assembler& Args(int count) { return Int(Vrel::kOpArrayCreate, count); }
    Assembler& ArgDone(int index) { return Int(Vrel::kOpArrayAssign, index); }
    // name(arguments...) with the arguments as int constants.
    Assembler& CallNamed(const char* name, std::initializer_list<int> arguments = {}) {
        Args(static_cast<int>(arguments.size()));
        int i = 0;
        for (int value : arguments) PushInt(value).ArgDone(i++);
        return Named(name).Op(Vrel::kOpCall);
    }
    Assembler& Eoc() { return Op(Vrel::kOpEndOfStatement); }

    uint32_t Pos() const { return static_cast<uint32_t>(code_.size()); }

    // The code with every label patched; an unbound label stays -1.
    std::vector<uint8_t> Code() const {
        std::vector<uint8_t> code = code_;
        for (const auto& [at, label] : patches_) {
            uint32_t target = labels_[label];
            for (int i = 0; i < 4; ++i) code[at + i] = static_cast<uint8_t>(target >> (8 * i));
        }
        return code;
    }
    // A line map naming source, with the lines recorded by Line().
    std::vector<uint8_t> LineMap(const char* source) const {
        std::vector<uint8_t> map;
        Vrel::Var(source).WriteOperand(map, nullptr);
        for (const auto& [line, position] : lines_) {
            Vrel::Var(line).WriteOperand(map, nullptr);
            Vrel::Var(position).WriteOperand(map, nullptr);
        }
        return map;
    }
    bool HasLines() const { return !lines_.empty(); }

private:
    static constexpr uint32_t kUnbound = 0xFFFFFFFFu;

    void AppendWord(uint32_t word) {
        for (int i = 0; i < 4; ++i) code_.push_back(static_cast<uint8_t>(word >> (8 * i)));
    }
    void EmitPositionOperand(Label label) {
        code_.push_back(Vrel::kTagPosition);
        patches_.emplace_back(code_.size(), label);
        AppendWord(kUnbound);
    }

    std::vector<uint8_t> code_;
    std::vector<uint32_t> labels_;
    std::vector<std::pair<size_t, Label>> patches_;
    std::vector<std::pair<int, int>> lines_;
};

// A function made of the assembled code, stored as member name of parent
// (when given). Parameters are the first locals the test adds.
inline halvo::AutoRef<Vrel::BinCode> AddFunction(Vrel::BinCode* parent, const char* name, const Assembler& code,
                                                 const char* returnType = "void", int parameters = 0,
                                                 const char* source = "test.cis") {
    halvo::AutoRef<Vrel::BinCode> function(new Vrel::BinCode);
    if (parent) {
        function->SetParent(parent);
        parent->GetMembers().GetOrAddMember(name)->SetObject(function.Get());
    }
    std::vector<uint8_t> bytes = code.Code();
    function->SetCode(static_cast<uint32_t>(bytes.size()), bytes.data());
    if (code.HasLines() && source) {
        std::vector<uint8_t> map = code.LineMap(source);
        function->SetMapFile(map.data(), static_cast<uint32_t>(map.size()));
    }
    function->SetReturnType(returnType);
    function->SetParamCount(parameters);
    return function;
}

}  // namespace bytecode
