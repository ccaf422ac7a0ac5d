#include "script/compiler/SNode.h"

#include "platform/BlockPool.h"
#include "script/runtime/execution/Opcode.h"

#include <utility>

namespace Vrel {

namespace {

// Hundreds of thousands of nodes for a long compile: a few hundred chunks
// instead of one allocation each.
using NodeBlocks = halvo::BlockPool<sizeof(SNode), 512>;

}  // namespace

void* SNode::operator new(size_t size) {
    if (!halvo::kPoolBlocks || size != sizeof(SNode)) return ::operator new(size);
    return NodeBlocks::Take();
}

void SNode::operator delete(void* block, size_t size) {
    if (!block) return;
    if (!halvo::kPoolBlocks || size != sizeof(SNode)) {
        ::operator delete(block);
        return;
    }
    NodeBlocks::Give(block);
}

// The members start as Clear leaves them.
SNode::SNode(const OpRow& row) { CopyRow(row); }

SNode::SNode(const SNode& other) {
    line = other.line;
    kind = other.kind;
    subKind = other.subKind;
    opcode = other.opcode;
    leftToRight = other.leftToRight;
    precedence = other.precedence;
    text = other.text;
    value = other.value;
}

SNode::~SNode() {
    value.SetNil();
    ReleaseLinksIteratively();
}

// Every row's values fit the narrower node fields.
void SNode::CopyRow(const OpRow& row) {
    kind = static_cast<int8_t>(row.kind);
    subKind = static_cast<int16_t>(row.subKind);
    opcode = static_cast<int16_t>(row.opcode);
    leftToRight = static_cast<int8_t>(row.leftToRight);
    precedence = static_cast<int16_t>(row.precedence);
    text = row.text;
}

halvo::AutoRef<SNode> SNode::MakeLabel(int32_t opcode, int32_t label) {
    OpRow row{OT_LABEL, 0, opcode, 1, -1, nullptr};
    halvo::AutoRef<SNode> node(new SNode(row));
    node->value.SetInt(label);
    return node;
}

halvo::AutoRef<SNode> SNode::MakeInstruction(int32_t opcode) {
    OpRow row{OT_NONE, 0, opcode, 1, -1, nullptr};
    return halvo::AutoRef<SNode>(new SNode(row));
}

void SNode::Clear() {
    ReleaseLinksIteratively();
    parent_ = nullptr;
    previous_ = nullptr;
    kind = 0;
    subKind = 0;
    text = nullptr;
    line = -1;
    precedence = -1;
    opcode = kNoOpcode;
}

// A link's reference handed out as a plain pointer, and back: the count
// goes up and down once on the way, so the node never passes through zero.
SNode* SNode::TakeLink(halvo::AutoRef<SNode>& link) {
    SNode* node = link.Get();
    if (!node) return nullptr;
    node->AddRef();
    link.Reset();
    return node;
}

void SNode::GiveLink(halvo::AutoRef<SNode>& link, SNode* node) {
    link = node;
    if (node) --node->refCount_;
}

// Every node reached here was a child of, or a sibling behind, a node that
// goes away: it is unlinked as it is released. The nodes still to release
// form one sibling chain: a node that nobody else holds puts its children in
// front of the chain before it goes, so it goes with nothing left to
// release, the stack stays flat and no list is needed. A node's value may own
// further nodes; their release runs on a chain of its own.
void SNode::ReleaseLinksIteratively() {
    if (!firstChild_ && !next_) return;
    if (firstChild_) {
        // Children first, then the siblings behind this node.
        LastChild()->next_ = std::move(next_);
        ReleaseChain(TakeLink(firstChild_));
    } else {
        ReleaseChain(TakeLink(next_));
    }
}

// chain holds one reference to its first node, and each node one to the
// next. A node nobody else holds goes without its destructor, which would
// find nothing to do: the references its links hold pass to the chain as
// they are, its children in front, and its block goes back at once. Trees
// are let go of by the hundred thousand; this is most of that cost.
void SNode::ReleaseChain(SNode* chain) {
    while (SNode* node = chain) {
        if (node->refCount_ > 1) {
            chain = TakeLink(node->next_);
            node->parent_ = nullptr;
            node->previous_ = nullptr;
            --node->refCount_;
            continue;
        }
        chain = node->next_.Get();
        if (SNode* child = node->firstChild_.Get()) {
            GiveLink(child->previous_->next_, chain);
            chain = child;
        }
        if (node->value.GetTag() == kTagObject) node->value.SetNil();
        SNode::operator delete(node, sizeof(SNode));
    }
}

void SNode::MoveToEnd(SNode* parent, SNode* node) {
    // A node that moves is held until its new list holds it.
    halvo::AutoRef<SNode> keep(node);
    node->Unlink();
    Append(parent, node);
}

void SNode::MoveRange(SNode* from, SNode* to, SNode* target) {
    if (!from || from == to || !target) return;
    SNode* parent = from->parent_;
    // The splice needs the range in a list and a target outside it: below
    // the range's list is where the range and everything under it sit.
    // Anything else moves node by node.
    bool splice = parent != nullptr;
    for (SNode* at = target; splice && at; at = at->parent_) splice = at != parent;
    if (!splice) {
        for (SNode* node = from; node && node != to;) {
            SNode* next = node->Next();
            AddChild(target, node);
            node = next;
        }
        return;
    }
    SNode* last = from;
    for (;;) {
        last->parent_ = target;
        SNode* next = last->next_.Get();
        if (!next || next == to) break;
        last = next;
    }
    SNode* first = parent->firstChild_.Get();
    SNode* before = from == first ? nullptr : from->previous_;
    halvo::AutoRef<SNode>& inLink = before ? before->next_ : parent->firstChild_;
    SNode* rest = TakeLink(last->next_);
    SNode* moved = TakeLink(inLink);
    GiveLink(inLink, rest);
    if (rest) rest->previous_ = before ? before : first->previous_;
    else if (before) first->previous_ = before;

    if (SNode* targetFirst = target->firstChild_.Get()) {
        SNode* targetLast = targetFirst->previous_;
        moved->previous_ = targetLast;
        targetFirst->previous_ = last;
        GiveLink(targetLast->next_, moved);
    } else {
        moved->previous_ = last;
        GiveLink(target->firstChild_, moved);
    }
}

void SNode::InsertAfter(SNode* parent, SNode* sibling, SNode* node) {
    if (!parent || !sibling || !node || sibling->parent_ != parent || sibling == node) return;
    halvo::AutoRef<SNode> keep(node);
    if (node->parent_) node->Unlink();
    node->parent_ = parent;
    node->previous_ = sibling;
    node->next_ = std::move(sibling->next_);
    if (node->next_) node->next_->previous_ = node;
    else parent->firstChild_->previous_ = node;
    sibling->next_ = node;
}

void SNode::Unlink() {
    SNode* parent = std::exchange(parent_, nullptr);
    if (!parent) return;
    halvo::AutoRef<SNode> keep(this);
    SNode* first = parent->firstChild_.Get();
    halvo::AutoRef<SNode> after = std::move(next_);
    // The first child's back link is the last child: it passes on as is.
    if (after) after->previous_ = previous_;
    else if (this != first) first->previous_ = previous_;
    if (this == first) parent->firstChild_ = std::move(after);
    else previous_->next_ = std::move(after);
    previous_ = nullptr;
}

void SNode::ReleaseChildrenBefore(SNode* child) {
    if (child && child->parent_ != this) return;
    if (child == firstChild_.Get()) return;
    SNode* last = LastChild();
    SNode* dropped = TakeLink(firstChild_);
    if (child) {
        firstChild_ = std::move(child->previous_->next_);
        child->previous_ = last;
    }
    // Each node is cut from the chain before it goes, so that a node someone
    // else still holds keeps no sibling behind it.
    ReleaseChain(dropped);
}

int SNode::ChildCount() const {
    int count = 0;
    for (const SNode* child = FirstChild(); child; child = child->Next()) ++count;
    return count;
}

halvo::AutoRef<SNode> SNode::Clone(bool deep) const {
    halvo::AutoRef<SNode> copy(new SNode(*this));
    if (!deep) return copy;
    struct Step {
        const SNode* source;
        SNode* target;
    };
    std::vector<Step> work{{this, copy.Get()}};
    while (!work.empty()) {
        Step step = work.back();
        work.pop_back();
        for (const SNode* child = step.source->FirstChild(); child; child = child->Next()) {
            halvo::AutoRef<SNode> childCopy(new SNode(*child));
            AddChild(step.target, childCopy.Get());
            if (child->FirstChild()) work.push_back({child, childCopy.Get()});
        }
    }
    return copy;
}

void SNode::AppendLine(std::string& out, const SNode& node, int indent) {
    out.append(static_cast<size_t>(indent), ' ');
    out += GetOpTypeName(node.kind);
    out += ' ';
    out += GetOpSubTypeName(node.subKind);
    out += " (";
    out += GetCommandName(static_cast<int>(node.opcode));
    out += ") ";
    if (node.text) out += node.text;
    std::string valueText = node.value.ToString();
    if (!valueText.empty()) {
        out += " (";
        out += valueText;
        out += ')';
    }
    out += '\n';
}

// Pre-order along an explicit stack of next-to-visit nodes, so that deep
// trees dump without deep recursion.
std::string SNode::DumpToString(const SNode* first, int indent) {
    std::string out;
    struct Step {
        const SNode* node;
        int indent;
    };
    std::vector<Step> work;
    if (first) work.push_back({first, indent});
    while (!work.empty()) {
        Step step = work.back();
        work.pop_back();
        AppendLine(out, *step.node, step.indent);
        if (step.node->Next()) work.push_back({step.node->Next(), step.indent});
        if (step.node->FirstChild()) work.push_back({step.node->FirstChild(), step.indent + 2});
    }
    return out;
}

void SNode::Dump(const SNode* first, FILE* file, int indent) {
    if (!file) return;
    std::string text = DumpToString(first, indent);
    std::fwrite(text.data(), 1, text.size(), file);
}

halvo::AutoRef<SNode> MakeTokenNode(int32_t kind, int32_t subKind, int32_t line) {
    const OpRow* row = FindToken(kind, subKind);
    if (!row) return {};
    halvo::AutoRef<SNode> node(new SNode(*row));
    node->line = line;
    return node;
}

}  // namespace Vrel
