#include "script/runtime/execution/CallFrame.h"

#include "script/runtime/execution/Thread.h"
#include "script/runtime/values/TypeRegistry.h"
#include "script/runtime/values/VarArray.h"

#include <memory>
#include <unordered_set>

namespace Vrel {

namespace {

// A plain type name goes straight to the remembered look-up; array
// declarations ("#n:type") take the whole InitType.
void InitDeclared(Var& declared) {
    const char* text = declared.GetName();
    if (text && text[0] != '#')
        declared.InitTypeFromRecord(TypeRegistry::Global().FindDeclared(text));
    else
        declared.InitType(text);
}

// Struct locals may contain themselves; each is initialised once, and
// nesting beyond the cap is left as it stands.
void InitStructMembers(t_Named& structure, std::unordered_set<const t_Named*>& visited, int depth) {
    if (depth >= kMaxDeclarationDepth || !visited.insert(&structure).second) return;
    for (auto& [name, member] : structure.GetMembers()) {
        if (member.IsDeclaration()) InitDeclared(member.Followed());
        if (t_Named* inner = ToNamed(member)) InitStructMembers(*inner, visited, depth + 1);
    }
}

// A declaration the frame's own slot holds takes the record the function's
// table remembers for that slot; one reached through a reference is set up
// where it lives.
void InitLocal(Var& local, int number, VarTable& declarations) {
    if (local.GetTag() != kTagDeclaration) {
        if (local.IsDeclaration()) InitDeclared(local.Followed());
        return;
    }
    const char* text = local.GetName();
    if (text && text[0] != '#')
        local.InitTypeFromRecord(declarations.DeclaredRecord(number, text));
    else
        local.InitType(text);
}

void InitLocals(VarTable& locals, VarTable& declarations) {
    // Most functions have no struct locals: the set is made only for one.
    std::unique_ptr<std::unordered_set<const t_Named*>> visited;
    for (int i = 0; i < locals.GetCount(); ++i) {
        Var& local = *locals.At(i);
        InitLocal(local, i, declarations);
        if (local.Followed().GetTag() != kTagObject) continue;
        if (t_Named* structure = ToNamed(local)) {
            if (!visited) visited = std::make_unique<std::unordered_set<const t_Named*>>();
            InitStructMembers(*structure, *visited, 0);
        }
    }
}

}  // namespace

CallFrame::CallFrame(BinCode* function) { Open(function); }

CallFrame::~CallFrame() {
    Truncate(0);
    ReleasePins();
}

void CallFrame::Open(BinCode* function) {
    pc = 0;
    instructionStart = 0;
    reportedLine = -1;
    currentLine = -1;
    rangeStart = 0;
    rangeEnd = 0;
    enteredFromNative = false;
    entryLinePending = false;
    entryPc = 0;
    if (!function) {
        // The base frame: whatever a former call left goes.
        vocabulary_.Reset();
        code_.Reset();
        module_.Reset();
        function_.Reset();
        return;
    }
    function_ = function;
    const BinCode::RunParts& parts = function->GetRunParts();
    module_ = parts.outermost;
    code_ = parts.code;
    vocabulary_ = parts.vocabulary;
    // The copy shares the objects of the function's table: a local struct
    // is one object for every call of the function, and what one call
    // stores in it the next call sees. Locals of plain declared types are
    // made on the way; the rest take the whole initialisation.
    VarTable& variables = function->GetVariables();
    if (!locals_.ShareDeclaredFrom(variables)) InitLocals(locals_, variables);
}

void CallFrame::Close() {
    // What destroying the frame releases, in the same order.
    Truncate(0);
    if (pinCount_ > 0) ReleasePins();
    locals_.ReleaseValues();
    vocabulary_.Reset();
    code_.Reset();
    module_.Reset();
    function_.Reset();
}

int CallFrame::GetLine() const {
    MapFile* map = function_ ? function_->GetMapFile() : nullptr;
    return map ? map->GetLine(instructionStart) : -1;
}

Var* CallFrame::PushGrowing() {
    if (count_ >= kMaxStackValues) return nullptr;
    values_.emplace_back();
    return &values_[count_++];
}

void CallFrame::PinOfClass(VarExtension* container, const ClassRecord* cls) {
    const bool isArray = cls != &BinCode::kClassRecord &&
                         ClassRecord::IsKindOf(cls, &VarArray::kClassRecord);
    if (isArray) static_cast<VarArray*>(container)->PinStorage();
    if (pinCount_ == pins_.size()) pins_.emplace_back();
    Pinned& pin = pins_[pinCount_++];
    pin.container = container;
    pin.storagePinned = isArray;
}

void CallFrame::ReleasePins() {
    // Newest first: storage pinned last is let go first. The count drops
    // before the release, so a pin made while one is let go lands in a
    // place still to come.
    while (pinCount_ > 0) {
        Pinned& pin = pins_[--pinCount_];
        if (pin.storagePinned) static_cast<VarArray*>(pin.container.Get())->UnpinStorage();
        pin.container.Reset();
    }
}

}  // namespace Vrel
