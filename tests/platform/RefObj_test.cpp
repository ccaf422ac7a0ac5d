#include "platform/ClassRecord.h"
#include "platform/RefObj.h"

#include <gtest/gtest.h>

namespace {

using halvo::AutoRef;
using halvo::RefObj;
using halvo::WeakRef;

struct Counted : RefObj {
    explicit Counted(int* deaths) : deaths(deaths) {}
    ~Counted() override { ++*deaths; }
    int* deaths;
    AutoRef<Counted> next;
};

TEST(AutoRef, SelfAssignmentKeepsCountAndObject) {
    int deaths = 0;
    AutoRef<Counted> ref(new Counted(&deaths));
    ref = ref.Get();
    ref = ref;
    EXPECT_EQ(ref->GetRefCount(), 1);
    EXPECT_EQ(deaths, 0);
}

TEST(AutoRef, NewObjectOwnedOnlyByTheReplacedOneSurvives) {
    int deaths = 0;
    AutoRef<Counted> ref(new Counted(&deaths));
    Counted* inner = new Counted(&deaths);
    ref->next = inner;  // inner's only owner is the object about to be replaced
    ref = inner;
    EXPECT_EQ(deaths, 1);
    ASSERT_EQ(ref.Get(), inner);
    EXPECT_EQ(inner->GetRefCount(), 1);
}

TEST(AutoRef, ResetClearsTheSlotSoASecondReleaseIsHarmless) {
    int deaths = 0;
    AutoRef<Counted> ref(new Counted(&deaths));
    ref.Reset();
    ref.Reset();
    EXPECT_FALSE(ref);
    EXPECT_EQ(deaths, 1);
}

TEST(AutoRef, ObjectReleasedWithoutEverBeingHeldIsDestroyed) {
    int deaths = 0;
    (new Counted(&deaths))->Release();
    EXPECT_EQ(deaths, 1);
}

TEST(AutoRef, RangeAssignAddsTheNewOnesAndReleasesTheOld) {
    int deaths = 0;
    AutoRef<Counted> kept(new Counted(&deaths));
    AutoRef<Counted> target[3] = {new Counted(&deaths), kept, nullptr};
    Counted* inner = new Counted(&deaths);
    target[0]->next = inner;  // owned only by the element it replaces
    const AutoRef<Counted> source[3] = {inner, kept, kept};
    halvo::RefPtrRangeAssign(target, source, 3);
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(inner->GetRefCount(), 2);
    EXPECT_EQ(kept->GetRefCount(), 5);
    EXPECT_EQ(target[2].Get(), kept.Get());
}

TEST(AutoRefVector, ClearReleasesFirstToLastAndFreesStorage) {
    std::vector<int> order;
    struct Tagged : RefObj {
        Tagged(std::vector<int>* o, int t) : order(o), tag(t) {}
        ~Tagged() override { order->push_back(tag); }
        std::vector<int>* order;
        int tag;
    };
    halvo::AutoRefVector<Tagged> list;
    for (int i = 0; i < 3; ++i) list.emplace_back(new Tagged(&order, i));
    list.Clear();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(list.capacity(), 0u);
}

TEST(WeakRef, ReadsNullAfterDeathAndNextObjectGetsAFreshBlock) {
    int deaths = 0;
    AutoRef<Counted> strong(new Counted(&deaths));
    WeakRef<Counted> weak(strong.Get());
    halvo::WeakRefBlock* first = strong->PeekWeakBlock();
    strong.Reset();
    EXPECT_EQ(weak.Get(), nullptr);

    AutoRef<Counted> other(new Counted(&deaths));
    WeakRef<Counted> weak2(other.Get());
    EXPECT_EQ(weak2.Get(), other.Get());
    EXPECT_NE(other->PeekWeakBlock(), nullptr);
    (void)first;
}

TEST(WeakRef, LastWeakReferenceDetachesBlockFromLivingObject) {
    int deaths = 0;
    AutoRef<Counted> strong(new Counted(&deaths));
    {
        WeakRef<Counted> a(strong.Get());
        WeakRef<Counted> b(a);
        EXPECT_EQ(strong->PeekWeakBlock()->weakCount, 2u);
    }
    EXPECT_EQ(strong->PeekWeakBlock(), nullptr);
    WeakRef<Counted> again(strong.Get());
    EXPECT_EQ(again.Get(), strong.Get());
    EXPECT_EQ(strong->GetRefCount(), 1);
}

TEST(WeakRef, EqualityTreatsDeadAndNullAlike) {
    int deaths = 0;
    WeakRef<Counted> none1, none2;
    EXPECT_TRUE(WeakRef<Counted>::Equals(none1, none2));
    WeakRef<Counted> dead;
    {
        AutoRef<Counted> strong(new Counted(&deaths));
        dead = strong.Get();
        EXPECT_FALSE(WeakRef<Counted>::Equals(dead, none1));
    }
    EXPECT_TRUE(WeakRef<Counted>::Equals(dead, none1));
}

TEST(WeakRef, AssignSameObjectKeepsCountAndNullToNullStaysNull) {
    int deaths = 0;
    AutoRef<Counted> strong(new Counted(&deaths));
    WeakRef<Counted> weak(strong.Get());
    weak.Assign(strong.Get());
    EXPECT_EQ(strong->PeekWeakBlock()->weakCount, 1u);
    WeakRef<Counted> empty;
    empty.Assign(nullptr);
    EXPECT_EQ(empty.Get(), nullptr);
}

// A small family of classes to exercise the records.
struct Base : RefObj {
    static const ClassRecord kClassRecord;
    virtual const ClassRecord* GetClassInfo() const { return &kClassRecord; }
    int Answer() const { return 42; }
};
struct Middle : Base {
    static const ClassRecord kClassRecord;
    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
};
struct Leaf : Middle {
    static const ClassRecord kClassRecord;
    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
};
struct Sibling : Base {
    static const ClassRecord kClassRecord;
    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
};
const ClassRecord Base::kClassRecord{"GameScreen", nullptr, nullptr};
const ClassRecord Middle::kClassRecord{"SceneScreen", &Base::kClassRecord, nullptr};
const ClassRecord Leaf::kClassRecord{"AdventureScreen", &Middle::kClassRecord,
                                     [] () -> RefObj* { return new Leaf; }};
const ClassRecord Sibling::kClassRecord{"MapScreen", &Base::kClassRecord, nullptr};

AutoRef<Base> MakeTemp() { return AutoRef<Base>(new Leaf); }

TEST(ClassRecord, ClassIsKindOfItselfAndItsAncestorsOnly) {
    AutoRef<Base> leaf(new Leaf);
    EXPECT_EQ(ClassRecord::Cast(leaf, &Leaf::kClassRecord), leaf.Get());
    EXPECT_EQ(ClassRecord::Cast(leaf, &Middle::kClassRecord), leaf.Get());
    EXPECT_EQ(ClassRecord::Cast(leaf, &Base::kClassRecord), leaf.Get());
    EXPECT_EQ(ClassRecord::Cast(leaf, &Sibling::kClassRecord), nullptr);
    EXPECT_EQ(CastTo<Middle>(leaf), leaf.Get());
}

TEST(ClassRecord, CastingAHeldReferenceLeavesTheCountUnchanged) {
    AutoRef<Base> leaf(new Leaf);
    ClassRecord::Cast(leaf, &Base::kClassRecord);
    EXPECT_EQ(leaf->GetRefCount(), 1);
}

TEST(ClassRecord, CastOfATemporaryOwnerStaysValidForTheFullExpression) {
    EXPECT_EQ(ClassRecord::Cast(MakeTemp(), &Base::kClassRecord)->Answer(), 42);
}

TEST(ClassRecord, NullAndDeadReferencesCastToNull) {
    AutoRef<Base> none;
    EXPECT_EQ(ClassRecord::Cast(none, &Base::kClassRecord), nullptr);
    WeakRef<Base> weak;
    {
        AutoRef<Base> leaf(new Leaf);
        weak = leaf.Get();
    }
    EXPECT_EQ(ClassRecord::CastWeak(weak, &Base::kClassRecord), nullptr);
}

TEST(ClassRecord, NameTestWalksTheChainCaseSensitively) {
    EXPECT_TRUE(ClassRecord::IsKindOfName(&Leaf::kClassRecord, "GameScreen"));
    EXPECT_FALSE(ClassRecord::IsKindOfName(&Leaf::kClassRecord, "gamescreen"));
    EXPECT_FALSE(ClassRecord::IsKindOfName(&Sibling::kClassRecord, "SceneScreen"));
    EXPECT_FALSE(ClassRecord::IsKindOfName(nullptr, "GameScreen"));
}

TEST(ClassRecord, FactoryMakesADefaultInstance) {
    AutoRef<RefObj> made(Leaf::kClassRecord.factory());
    EXPECT_EQ(static_cast<Leaf*>(made.Get())->GetClassInfo(), &Leaf::kClassRecord);
}

}  // namespace
