#pragma once
// One node type for every compiler stage: lexer tokens, syntax tree and
// instruction lists. A parent owns its first child and each node owns the
// sibling after it; the other links are plain pointers. A first child's
// back link names the last child, so that appending needs no link of its own.
//
// A long compile holds a couple of hundred thousand nodes at once, so a node
// is kept small: its own count instead of a counted base with a virtual
// destructor and a weak block nobody asks for, and the row fields in the
// narrowest types their values fit.

#include "platform/RefObj.h"
#include "script/compiler/OpTable.h"
#include "script/runtime/values/Var.h"

#include <cstdio>
#include <string>

namespace Vrel {

class SNode {
public:
    explicit SNode(const OpRow& row);
    // Copies row fields, line and value; links stay empty.
    SNode(const SNode& other);
    SNode& operator=(const SNode&) = delete;
    // Releases the whole subtree and sibling chain without recursing, so
    // that a list of a million tokens or a very deep tree cannot exhaust the
    // stack.
    ~SNode();

    // What halvo::AutoRef needs; counted on one thread only.
    void AddRef() { ++refCount_; }
    void Release() {
        if (--refCount_ < 1) delete this;
    }
    int32_t GetRefCount() const { return refCount_; }

    // A compile makes and drops hundreds of thousands of nodes: they come
    // from and go back to a per-thread list of spare blocks.
    static void* operator new(size_t size);
    static void operator delete(void* block, size_t size);

    static halvo::AutoRef<SNode> MakeLabel(int32_t opcode, int32_t label);
    static halvo::AutoRef<SNode> MakeInstruction(int32_t opcode);

    // Drops links and row fields; the value and the left-to-right flag stay.
    void Clear();

    static void AddChild(SNode* parent, SNode* node) {
        if (!parent || !node) return;
        if (node->parent_) {
            MoveToEnd(parent, node);
            return;
        }
        Append(parent, node);
    }
    // Moves from and the siblings behind it, up to to (or to the end when to
    // is null or not among them), behind target's last child, keeping their
    // order, in one splice instead of one unlink and append per node when
    // target is not below the range's parent.
    static void MoveRange(SNode* from, SNode* to, SNode* target);
    // Puts node right behind sibling when sibling's parent is parent.
    static void InsertAfter(SNode* parent, SNode* sibling, SNode* node);
    void Unlink();
    // Releases the children in front of child (all of them when child is
    // null), so that a long list can be let go of piece by piece as its
    // front is used up. Does nothing when child is not a child of this.
    void ReleaseChildrenBefore(SNode* child);
    int ChildCount() const;
    // Deep copies walk an explicit stack: an index expression under a
    // constant may be thousands of levels deep.
    halvo::AutoRef<SNode> Clone(bool deep) const;

    // One line per node from first along the siblings, children indented by
    // two more blanks.
    static void Dump(const SNode* first, FILE* file, int indent);
    static std::string DumpToString(const SNode* first, int indent);

    SNode* Parent() const { return parent_; }
    SNode* Previous() const { return !parent_ || parent_->firstChild_.Get() == this ? nullptr : previous_; }
    SNode* Next() const { return next_.Get(); }
    SNode* FirstChild() const { return firstChild_.Get(); }
    SNode* LastChild() const { return firstChild_ ? firstChild_->previous_ : nullptr; }

    bool Is(int32_t kind, int32_t subKind) const { return this->kind == kind && this->subKind == subKind; }
    bool IsKind(int32_t kind) const { return this->kind == kind; }

private:
    int32_t refCount_ = 0;

public:
    int32_t line = -1;
    // Sub kinds run to 177 and opcodes to 255; kinds and the flag are small.
    int16_t subKind = 0;
    int16_t opcode = kNoOpcode;
    int16_t precedence = -1;
    int8_t kind = 0;
    int8_t leftToRight = 1;
    const char* text = nullptr;
    Var value;

private:
    void CopyRow(const OpRow& row);
    void ReleaseLinksIteratively();
    static void ReleaseChain(SNode* chain);
    static SNode* TakeLink(halvo::AutoRef<SNode>& link);
    static void GiveLink(halvo::AutoRef<SNode>& link, SNode* node);
    // Links a node that has no parent behind parent's last child.
    static void Append(SNode* parent, SNode* node) {
        node->parent_ = parent;
        if (SNode* first = parent->firstChild_.Get()) {
            SNode* last = first->previous_;
            node->previous_ = last;
            first->previous_ = node;
            last->next_ = node;
        } else {
            node->previous_ = node;
            parent->firstChild_ = node;
        }
    }
    static void MoveToEnd(SNode* parent, SNode* node);
    static void AppendLine(std::string& out, const SNode& node, int indent);

    SNode* parent_ = nullptr;
    // The sibling in front; a first child's names the last child instead.
    SNode* previous_ = nullptr;
    halvo::AutoRef<SNode> firstChild_;
    halvo::AutoRef<SNode> next_;
};

// A new node from the row FindToken gives, with that line; null when no row
// matches.
static_assert(sizeof(SNode) <= 80, "a node stays ten words");

halvo::AutoRef<SNode> MakeTokenNode(int32_t kind, int32_t subKind, int32_t line);

}  // namespace Vrel
