#pragma once
// A straight run of bytecode compiled into register operations for the
// interpreter's quick loop. The value stack the bytecode would build is
// followed at compile time: constants, locals and looked-up variables stay
// where they are, computed numbers go to registers. Every operation that
// checks a value knows the stack the bytecode would hold at that point, so
// when a check fails the stack is rebuilt and the bytecode goes on from
// there, with nothing done twice.

#include "script/runtime/values/Var.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace Vrel {

class DecodedCode;
struct DecodedInstruction;
class FastBlock;

// Deeper stacks and longer runs stay with the bytecode.
constexpr int kMaxFastDepth = 48;
constexpr int kMaxFastOperations = 400;
// Locals a block can address; the variable numbers of the data model.
constexpr int kMaxFastLocal = 32767;
// Argument and return lists made inside a block.
constexpr int kMaxFastListCount = 64;

// Where an operand lives: the runner's registers, the frame's locals, the
// block's constants, or the variable a pointer register reached.
enum class FastBase : uint8_t { kRegister, kLocal, kConstant, kPointer };

enum class FastCode : uint8_t {
    kEndStatement,        // eoc: the stack, the kept values and the pins go
    kResolveName,         // pointer[dst] = the variable text a names (cache in data)
    kResolveMember,       // pointer[dst] = member b of the structure text a names
    kResolveLocalMember,  // pointer[dst] = member b of the structure in local a
    kResolveElement,      // pointer[dst] = element B of the array variable A
    kLoad,                // register[dst] = the number pointer[a] reaches
    // register[dst] = A op B on two ints or two floats; one code per
    // operator, in the order of the bytecode's operators.
    kMul,
    kDiv,
    kMod,
    kAdd,
    kSub,
    kShiftLeft,
    kShiftRight,
    kLessEqual,
    kLess,
    kGreaterEqual,
    kGreater,
    kEqual,
    kNotEqual,
    kBitAnd,
    kBitXor,
    kBitOr,
    kNegate,      // register[dst] = -A
    kNot,         // register[dst] = !A
    kComplement,  // register[dst] = ~A
    kPlus,        // register[dst] = A
    kAssign,      // variable A = B (`binary` holds the assignment opcode)
    kCompound,    // variable A op= B
    kPrefix,      // variable A += b (b is 1 or -1 as uint16 65535)
    kPostfix,     // register[dst] = variable A, then A += b
    kKeep,        // the value A joins the values the bytecode leaves behind
    // The stack so far goes to the frame (the items of exit), then a new
    // array of a elements on top: argument and return lists.
    kArrayCreate,
    // Element a of the array on top of the frame's stack = the value A, as
    // the stack slot holding A would copy it.
    kArrayAssign,
    // The native or script function pointer[a] reaches, on the list on top
    // of the frame's stack: its result goes to register dst and the b
    // values the list sent to the frame come back, when the run may go on
    // here; otherwise the bytecode goes on behind the call (exit2).
    kCall,
    kParamCopy,   // the numbers of the caller's list into the parameters
    // return A, a number, with the return list on top of the frame's stack:
    // the run of this frame ends here.
    kReturn,
    kSwitch,      // on to the case of the int A in the FastSwitch in data
    kJump,        // on to the link in data
    // Back to operation a of this block, with the operand in data current.
    kJumpInBlock,
    kSetOperand,  // the operand in data is current from here
    kBranch,      // on to the link in data when A is `binary` (1 true, 0 false)
    kLeave,       // hand over to the bytecode at exit
    // A comparison with the branch that takes its result: on to the link
    // in data when A cmp B is `binary`; dst is the comparison's register.
    kLessEqualBranch,
    kLessBranch,
    kGreaterEqualBranch,
    kGreaterBranch,
    kEqualBranch,
    kNotEqualBranch,
};
constexpr int kFastCodeCount = static_cast<int>(FastCode::kNotEqualBranch) + 1;

struct FastOp {
    FastCode code = FastCode::kLeave;
    uint8_t binary = 0;
    FastBase aBase = FastBase::kRegister;
    FastBase bBase = FastBase::kRegister;
    uint16_t dst = 0;
    uint16_t a = 0;
    uint16_t b = 0;
    // Where a failed check hands over to the bytecode.
    uint16_t exit = 0;
    uint16_t exit2 = 0;
    void* data = nullptr;
};

// One value of the stack the bytecode would hold.
struct FastItem {
    FastBase base = FastBase::kConstant;
    uint16_t index = 0;
};

// A hand-over point: the position the bytecode goes on at, its current
// operand (null: the one current when the block began) and the stack above
// the values kept before, as items[first, first + count).
struct FastExit {
    uint32_t pc = 0;
    const Var* operand = nullptr;
    uint32_t firstItem = 0;
    uint32_t itemCount = 0;
};

// A jump between blocks: the block at pc, compiled on first use (null when
// the bytecode there stays with the interpreter), and the operand current
// after the jump.
struct FastLink {
    uint32_t pc = 0;
    const Var* operand = nullptr;
    bool looked = false;
    FastBlock* block = nullptr;
};

// An int switch: its cases in ascending order, each with the link to the
// code behind its case value, and the link for no match.
struct FastSwitch {
    struct Case {
        int32_t value = 0;
        FastLink* link = nullptr;
    };
    std::vector<Case> cases;
    FastLink* fallback = nullptr;

    FastLink* Find(int32_t value) const {
        size_t low = 0, high = cases.size();
        while (low < high) {
            const size_t middle = low + (high - low) / 2;
            if (cases[middle].value < value) {
                low = middle + 1;
            } else {
                high = middle;
            }
        }
        return low < cases.size() && cases[low].value == value ? cases[low].link : fallback;
    }
};

class FastBlock {
public:
    // The block that begins at pc, or null when it would not compile one
    // operation.
    static std::unique_ptr<FastBlock> Build(DecodedCode& code, uint32_t pc);

    uint32_t GetStart() const { return start_; }
    const std::vector<FastOp>& GetOps() const { return ops_; }
    const Var* GetConstants() const { return constants_.data(); }
    const FastExit& GetExit(uint16_t index) const { return exits_[index]; }
    const FastItem* GetItems() const { return items_.data(); }
    // The locals the block addresses: a frame with fewer runs the bytecode.
    int GetLocalsNeeded() const { return localsNeeded_; }

private:
    friend class FastBlockBuilder;

    std::vector<FastOp> ops_;
    std::vector<Var> constants_;
    std::vector<FastItem> items_;
    std::vector<FastExit> exits_;
    std::deque<FastLink> links_;
    std::deque<FastSwitch> switches_;
    uint32_t start_ = 0;
    int localsNeeded_ = 0;
};

}  // namespace Vrel
