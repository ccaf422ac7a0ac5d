// The operator table, node links, copies, dumps and release of long chains.

#include "script/compiler/SNode.h"
#include "script/runtime/values/VarString.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

using namespace Vrel;
using halvo::AutoRef;

TEST(OpTable, HasItsRowsAndFindsByKindAndSubKind) {
    int rows = 0;
    while (OpTable[rows].text) ++rows;
    EXPECT_EQ(rows, kOpTableRows);
    EXPECT_STREQ(FindToken(OT_BINARY, 0)->text, "*");
    EXPECT_STREQ(FindToken(0, OST_ASSIGN)->text, "=");
    EXPECT_EQ(FindToken(OT_LABEL, 0), nullptr);
    EXPECT_STREQ(FindTokenByKind(OT_REM)->text, "rem");
    EXPECT_STREQ(GetOpTypeName(OT_ASSIGN), "=");
    EXPECT_STREQ(GetOpTypeName(99), "(unknown en_OpType)");
    EXPECT_STREQ(GetOpSubTypeName(OST_MEMBER), "(unknown en_OpSubType)");
    EXPECT_STREQ(GetOpSubTypeName(177), "l-or");
}

// FindToken answers from an index; it must give the first matching row of the
// table for every pair, including pairs no row has and out-of-range values.
TEST(OpTable, FindTokenGivesTheFirstMatchingRowForEveryPair) {
    auto search = [](int32_t kind, int32_t subKind) -> const OpRow* {
        for (const OpRow* row = OpTable; row->text; ++row)
            if ((kind == 0 || row->kind == kind) && (subKind == 0 || row->subKind == subKind)) return row;
        return nullptr;
    };
    for (int32_t kind = -2; kind < 40; ++kind)
        for (int32_t subKind = -2; subKind < 300; ++subKind)
            ASSERT_EQ(FindToken(kind, subKind), search(kind, subKind)) << kind << " " << subKind;
    EXPECT_EQ(FindToken(1000, 0), nullptr);
    EXPECT_EQ(FindToken(OT_BINARY, 100000), nullptr);
}

TEST(SNodeDump, ValueTokenIsOneLine) {
    AutoRef<SNode> token = MakeTokenNode(OT_VALUE, 0, 3);
    token->value.SetInt(42);
    EXPECT_EQ(SNode::DumpToString(token.Get(), 0), "value  () d (42)\n");
    AutoRef<SNode> label = SNode::MakeLabel(0x0C, 7);
    EXPECT_EQ(SNode::DumpToString(label.Get(), 2), "  label  (label)  (7)\n");
}

TEST(SNodeLinks, MovingANodeKeepsBothListsIntact) {
    AutoRef<SNode> first = MakeTokenNode(OT_CHUNK, 0, 1);
    AutoRef<SNode> second = MakeTokenNode(OT_CHUNK, 0, 1);
    AutoRef<SNode> a = MakeTokenNode(OT_NAME, 0, 1), b = MakeTokenNode(OT_NAME, 0, 1),
                   c = MakeTokenNode(OT_NAME, 0, 1);
    for (SNode* node : {a.Get(), b.Get(), c.Get()}) SNode::AddChild(first.Get(), node);
    SNode::AddChild(second.Get(), b.Get());
    EXPECT_EQ(first->ChildCount(), 2);
    EXPECT_EQ(first->FirstChild(), a.Get());
    EXPECT_EQ(a->Next(), c.Get());
    EXPECT_EQ(c->Previous(), a.Get());
    EXPECT_EQ(first->LastChild(), c.Get());
    EXPECT_EQ(b->Parent(), second.Get());
    SNode::InsertAfter(second.Get(), b.Get(), c.Get());
    EXPECT_EQ(second->LastChild(), c.Get());
    EXPECT_EQ(first->LastChild(), a.Get());
    SNode::InsertAfter(first.Get(), b.Get(), a.Get());  // b is not first's child
    EXPECT_EQ(a->Parent(), first.Get());
}

// The children of parent, walked forwards, and the same walked backwards from
// the last child; both must name expected, and each child its parent.
void ExpectChildren(SNode* parent, const std::vector<SNode*>& expected) {
    std::vector<SNode*> forwards, backwards;
    for (SNode* child = parent->FirstChild(); child; child = child->Next()) {
        EXPECT_EQ(child->Parent(), parent);
        forwards.push_back(child);
    }
    for (SNode* child = parent->LastChild(); child; child = child->Previous()) backwards.insert(backwards.begin(), child);
    EXPECT_EQ(forwards, expected);
    EXPECT_EQ(backwards, expected);
}

// The first child's back link doubles as the parent's last-child link: every
// way a list changes at either end must keep both walks whole.
TEST(SNodeLinks, BothEndsStayRightWhateverChanges) {
    AutoRef<SNode> root = MakeTokenNode(OT_CHUNK, 0, 1);
    std::vector<AutoRef<SNode>> held;
    for (int i = 0; i < 5; ++i) held.push_back(MakeTokenNode(OT_NAME, 0, i));
    SNode *a = held[0].Get(), *b = held[1].Get(), *c = held[2].Get(), *d = held[3].Get(), *e = held[4].Get();
    SNode::AddChild(root.Get(), a);
    ExpectChildren(root.Get(), {a});
    EXPECT_EQ(a->Previous(), nullptr);
    for (SNode* node : {b, c, d}) SNode::AddChild(root.Get(), node);
    ExpectChildren(root.Get(), {a, b, c, d});

    a->Unlink();  // the first
    ExpectChildren(root.Get(), {b, c, d});
    EXPECT_EQ(a->Previous(), nullptr);
    d->Unlink();  // the last
    ExpectChildren(root.Get(), {b, c});
    SNode::InsertAfter(root.Get(), c, e);  // at the end
    ExpectChildren(root.Get(), {b, c, e});
    SNode::InsertAfter(root.Get(), b, a);  // in the middle
    ExpectChildren(root.Get(), {b, a, c, e});
    SNode::AddChild(root.Get(), b);  // the first moves to the end of its own list
    ExpectChildren(root.Get(), {a, c, e, b});
    SNode::AddChild(root.Get(), c);  // a middle one does too
    ExpectChildren(root.Get(), {a, e, b, c});
    SNode::InsertAfter(root.Get(), c, a);  // the first goes behind the last
    ExpectChildren(root.Get(), {e, b, c, a});

    root->ReleaseChildrenBefore(c);
    ExpectChildren(root.Get(), {c, a});
    SNode::AddChild(root.Get(), d);
    ExpectChildren(root.Get(), {c, a, d});
    for (SNode* node : {c, a, d}) node->Unlink();
    ExpectChildren(root.Get(), {});
    SNode::AddChild(root.Get(), e);
    ExpectChildren(root.Get(), {e});

    // A held child of a released parent keeps its own children whole.
    AutoRef<SNode> middle = MakeTokenNode(OT_EXP, 0, 1);
    SNode::AddChild(root.Get(), middle.Get());
    for (SNode* node : {a, b, c}) SNode::AddChild(middle.Get(), node);
    root.Reset();
    EXPECT_EQ(middle->Parent(), nullptr);
    EXPECT_EQ(middle->Previous(), nullptr);
    ExpectChildren(middle.Get(), {a, b, c});
    AutoRef<SNode> copy = middle->Clone(true);
    ASSERT_EQ(copy->ChildCount(), 3);
    EXPECT_EQ(copy->LastChild()->line, c->line);
    EXPECT_EQ(copy->LastChild()->Previous(), copy->FirstChild()->Next());
}

// A run of siblings moves in one splice: from the front, the middle or up to
// the end, onto a target that is empty or has children, in a list or not.
// A target below the run's own list takes the node-by-node way, and ends
// where that always left it.
TEST(SNodeLinks, MovingARunOfSiblingsKeepsEveryListWhole) {
    struct Case {
        int from;
        int to;  // -1: to the end
        std::vector<int> left;
        std::vector<int> moved;
    };
    const std::vector<Case> cases = {
        {0, 2, {2, 3, 4}, {0, 1}},    {1, 3, {0, 3, 4}, {1, 2}}, {2, -1, {0, 1}, {2, 3, 4}},
        {0, -1, {}, {0, 1, 2, 3, 4}}, {4, -1, {0, 1, 2, 3}, {4}}, {3, 4, {0, 1, 2, 4}, {3}},
    };
    for (const Case& test : cases) {
        for (int targetKind = 0; targetKind < 3; ++targetKind) {
            AutoRef<SNode> root = MakeTokenNode(OT_CHUNK, 0, 1);
            std::vector<AutoRef<SNode>> held;
            for (int i = 0; i < 6; ++i) held.push_back(MakeTokenNode(OT_NAME, 0, i));
            for (int i = 0; i < 5; ++i) SNode::AddChild(root.Get(), held[i].Get());
            AutoRef<SNode> target = MakeTokenNode(OT_VAL, 0, -1);
            AutoRef<SNode> elsewhere = MakeTokenNode(OT_CHUNK, 0, 1);
            std::vector<SNode*> expectedMoved;
            // 1: the target already has a child; 2: it sits in another list.
            if (targetKind >= 1) {
                SNode::AddChild(target.Get(), held[5].Get());
                expectedMoved.push_back(held[5].Get());
            }
            if (targetKind == 2) SNode::AddChild(elsewhere.Get(), target.Get());
            SNode::MoveRange(held[test.from].Get(), test.to < 0 ? nullptr : held[test.to].Get(), target.Get());
            std::vector<SNode*> expectedLeft;
            for (int i : test.left) expectedLeft.push_back(held[i].Get());
            for (int i : test.moved) expectedMoved.push_back(held[i].Get());
            ExpectChildren(root.Get(), expectedLeft);
            ExpectChildren(target.Get(), expectedMoved);
            if (targetKind == 2) ExpectChildren(elsewhere.Get(), {target.Get()});
        }
    }

    // The target inside the run's list, and a run without a list.
    AutoRef<SNode> root = MakeTokenNode(OT_CHUNK, 0, 1);
    std::vector<AutoRef<SNode>> held;
    for (int i = 0; i < 4; ++i) held.push_back(MakeTokenNode(OT_NAME, 0, i));
    SNode *a = held[0].Get(), *b = held[1].Get(), *c = held[2].Get(), *d = held[3].Get();
    for (SNode* node : {a, b, c}) SNode::AddChild(root.Get(), node);
    SNode::MoveRange(a, b, c);
    ExpectChildren(root.Get(), {b, c});
    ExpectChildren(c, {a});
    SNode::MoveRange(b, c, root.Get());
    ExpectChildren(root.Get(), {c, b});
    SNode::MoveRange(d, nullptr, a);
    ExpectChildren(a, {d});
    SNode::MoveRange(nullptr, nullptr, a);
    SNode::MoveRange(b, b, a);
    SNode::MoveRange(b, nullptr, nullptr);
    ExpectChildren(root.Get(), {c, b});
}

TEST(SNodeCopies, ClearKeepsValueAndDeepCloneCopiesChildren) {
    AutoRef<SNode> node = MakeTokenNode(OT_BINARY, OST_ASSIGN, 4);
    node->value.SetInt(5);
    node->Clear();
    EXPECT_EQ(node->value.RawInt(), 5);
    EXPECT_EQ(node->leftToRight, 0);
    EXPECT_EQ(node->opcode, kNoOpcode);
    AutoRef<SNode> root = MakeTokenNode(OT_EXP, 0, 1);
    SNode* level = root.Get();
    for (int i = 0; i < 100000; ++i) {
        AutoRef<SNode> child = MakeTokenNode(OT_VAL, 0, -1);
        SNode::AddChild(level, child.Get());
        level = child.Get();
    }
    AutoRef<SNode> copy = root->Clone(true);
    int depth = 0;
    for (SNode* at = copy.Get(); at->FirstChild(); at = at->FirstChild()) ++depth;
    EXPECT_EQ(depth, 100000);
}

TEST(SNodeRelease, LongChainsGoWithoutRecursionAndHeldNodesSurviveUnlinked) {
    AutoRef<SNode> root = MakeTokenNode(OT_REM, 0, 1);
    AutoRef<SNode> held;
    for (int i = 0; i < 1000000; ++i) {
        AutoRef<SNode> token = MakeTokenNode(OT_NAME, 0, 1);
        SNode::AddChild(root.Get(), token.Get());
        if (i == 10) held = token;
    }
    AutoRef<SNode> child = MakeTokenNode(OT_NAME, 0, 1);
    SNode::AddChild(held.Get(), child.Get());
    root.Reset();
    EXPECT_EQ(held->Parent(), nullptr);
    EXPECT_EQ(held->Next(), nullptr);
    EXPECT_EQ(held->Previous(), nullptr);
    EXPECT_EQ(held->FirstChild(), child.Get());
}

// The parser drops used-up tokens and the generator finished statements
// from the front of their lists: the rest of the list stays whole, a node held
// elsewhere survives cut off, and a node of another list changes nothing.
TEST(SNodeRelease, FrontOfAListGoesAndTheRestStays) {
    AutoRef<SNode> root = MakeTokenNode(OT_REM, 0, 1);
    std::vector<SNode*> nodes;
    AutoRef<SNode> held;
    for (int i = 0; i < 6; ++i) {
        AutoRef<SNode> token = MakeTokenNode(OT_NAME, 0, i);
        SNode::AddChild(root.Get(), token.Get());
        nodes.push_back(token.Get());
        if (i == 1) held = token;
    }
    AutoRef<SNode> grandchild = MakeTokenNode(OT_NAME, 0, 9);
    SNode::AddChild(held.Get(), grandchild.Get());

    AutoRef<SNode> stranger = MakeTokenNode(OT_NAME, 0, 1);
    root->ReleaseChildrenBefore(stranger.Get());
    EXPECT_EQ(root->ChildCount(), 6);
    root->ReleaseChildrenBefore(nodes[0]);
    EXPECT_EQ(root->ChildCount(), 6);

    root->ReleaseChildrenBefore(nodes[3]);
    EXPECT_EQ(root->ChildCount(), 3);
    EXPECT_EQ(root->FirstChild(), nodes[3]);
    EXPECT_EQ(nodes[3]->Previous(), nullptr);
    EXPECT_EQ(root->LastChild(), nodes[5]);
    EXPECT_EQ(held->Parent(), nullptr);
    EXPECT_EQ(held->Next(), nullptr);
    EXPECT_EQ(held->FirstChild(), grandchild.Get());

    AutoRef<SNode> appended = MakeTokenNode(OT_NAME, 0, 7);
    SNode::AddChild(root.Get(), appended.Get());
    root->ReleaseChildrenBefore(nullptr);
    EXPECT_EQ(root->FirstChild(), nullptr);
    EXPECT_EQ(root->LastChild(), nullptr);
    EXPECT_EQ(appended->Parent(), nullptr);
    SNode::AddChild(root.Get(), appended.Get());
    EXPECT_EQ(root->ChildCount(), 1);
}

// Dropped nodes give their blocks straight back: one whose value holds an
// object still lets the object go, and a node held elsewhere deep inside a
// dropped subtree keeps its own children, wherever the release starts.
TEST(SNodeRelease, DroppedValuesAreLetGoAndHeldNodesInsideKeepTheirChildren) {
    for (int start = 0; start < 2; ++start) {
        AutoRef<SNode> root = MakeTokenNode(OT_REM, 0, 1);
        AutoRef<SNode> statement = MakeTokenNode(OT_EXP, 0, 1);
        SNode::AddChild(root.Get(), statement.Get());
        AutoRef<SNode> rest = MakeTokenNode(OT_EXP, 0, 2);
        SNode::AddChild(root.Get(), rest.Get());
        AutoRef<VarString> text(new VarString("kept"));
        AutoRef<SNode> holder = MakeTokenNode(OT_VALUE, 0, 1);
        holder->value.SetObject(text.Get());
        SNode::AddChild(statement.Get(), holder.Get());
        AutoRef<SNode> inner = MakeTokenNode(OT_VAL, 0, 1);
        SNode::AddChild(statement.Get(), inner.Get());
        AutoRef<SNode> held = MakeTokenNode(OT_NAME, 0, 1);
        SNode::AddChild(inner.Get(), held.Get());
        AutoRef<SNode> behindHeld = MakeTokenNode(OT_NAME, 0, 1);
        SNode::AddChild(inner.Get(), behindHeld.Get());
        AutoRef<SNode> grandchild = MakeTokenNode(OT_NAME, 0, 3);
        SNode::AddChild(held.Get(), grandchild.Get());
        holder.Reset();
        inner.Reset();
        behindHeld.Reset();
        statement.Reset();
        rest.Reset();
        EXPECT_EQ(text->GetRefCount(), 2);

        if (start == 0) root->ReleaseChildrenBefore(root->LastChild());
        else root.Reset();
        EXPECT_EQ(text->GetRefCount(), 1);
        EXPECT_EQ(held->Parent(), nullptr);
        EXPECT_EQ(held->Next(), nullptr);
        EXPECT_EQ(held->FirstChild(), grandchild.Get());
        EXPECT_EQ(grandchild->Parent(), held.Get());
        if (start == 0) {
            ASSERT_EQ(root->ChildCount(), 1);
            EXPECT_EQ(root->FirstChild()->line, 2);
        }
    }
}

// Node memory is reused across compiles and threads: a tree made on a
// thread that has ended stays whole, and reused nodes start empty.
TEST(SNodeRelease, TreesOutliveTheThreadThatMadeThemAndReusedNodesStartEmpty) {
    AutoRef<SNode> root;
    std::thread maker([&root] {
        root = MakeTokenNode(OT_REM, 0, 7);
        for (int i = 0; i < 5000; ++i) {
            AutoRef<SNode> token = MakeTokenNode(OT_NAME, 0, i);
            token->value.SetInt(i);
            SNode::AddChild(root.Get(), token.Get());
        }
    });
    maker.join();
    ASSERT_EQ(root->ChildCount(), 5000);
    int expected = 0;
    for (SNode* child = root->FirstChild(); child; child = child->Next(), ++expected) {
        EXPECT_EQ(child->line, expected);
        EXPECT_EQ(child->value.AsInt(), expected);
    }
    root.Reset();
    std::vector<AutoRef<SNode>> fresh;
    for (int i = 0; i < 5000; ++i) {
        fresh.push_back(SNode::MakeInstruction(kNoOpcode));
        ASSERT_EQ(fresh.back()->line, -1);
        ASSERT_EQ(fresh.back()->FirstChild(), nullptr);
        ASSERT_EQ(fresh.back()->Parent(), nullptr);
        ASSERT_TRUE(fresh.back()->value.IsNil());
    }
}

// Threads that make and drop nodes at the same time, and end one after
// another, each handing their spare blocks to the next: no node is shared
// by two trees and none comes back with old contents.
TEST(SNodeRelease, ThreadsMakingAndDroppingNodesAtOnceKeepTheirTreesApart) {
    constexpr int kThreads = 4;
    constexpr int kRounds = 3;
    constexpr int kNodes = 3000;
    std::vector<AutoRef<SNode>> kept(kThreads * kRounds);
    std::vector<int> faults(kThreads, 0);
    for (int round = 0; round < kRounds; ++round) {
        std::vector<std::thread> workers;
        for (int t = 0; t < kThreads; ++t)
            workers.emplace_back([&, t, round] {
                const int tag = round * kThreads + t;
                AutoRef<SNode> dropped = MakeTokenNode(OT_REM, 0, -2);
                for (int i = 0; i < kNodes; ++i) {
                    AutoRef<SNode> token = SNode::MakeInstruction(kNoOpcode);
                    if (token->line != -1 || !token->value.IsNil()) ++faults[t];
                    token->value.SetInt(tag * kNodes + i);
                    SNode::AddChild(dropped.Get(), token.Get());
                }
                dropped.Reset();
                AutoRef<SNode> root = MakeTokenNode(OT_REM, 0, tag);
                for (int i = 0; i < kNodes; ++i) {
                    AutoRef<SNode> token = MakeTokenNode(OT_NAME, 0, i);
                    token->value.SetInt(tag * kNodes + i);
                    SNode::AddChild(root.Get(), token.Get());
                }
                kept[tag] = root;
            });
        for (std::thread& worker : workers) worker.join();
        // Half the trees go on this thread, made on the ones that ended.
        for (int t = 0; t < kThreads; t += 2) kept[round * kThreads + t].Reset();
    }
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(faults[t], 0);
    for (int tag = 0; tag < kThreads * kRounds; ++tag) {
        if (!kept[tag]) continue;
        ASSERT_EQ(kept[tag]->ChildCount(), kNodes);
        int i = 0;
        for (SNode* child = kept[tag]->FirstChild(); child; child = child->Next(), ++i) {
            ASSERT_EQ(child->line, i);
            ASSERT_EQ(child->value.AsInt(), tag * kNodes + i);
        }
    }
}

}  // namespace
