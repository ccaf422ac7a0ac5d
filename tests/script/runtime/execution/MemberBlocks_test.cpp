#include "script/runtime/execution/BinCode.h"
#include "script/runtime/values/t_Named.h"
#include "tests/script/runtime/ValueTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

#include <string>
#include <thread>
#include <vector>

using namespace Vrel;
using namespace valuetest;

namespace {

class MemberBlocksTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureTypes(); }
};

std::string NameOf(int i) { return "m" + std::to_string(i); }

void Fill(t_Named& members, int count) {
    for (int i = 0; i < count; ++i) members.GetOrAddMember(NameOf(i).c_str())->SetInt(i);
}

void ExpectFilled(t_Named& members, int count) {
    ASSERT_EQ(members.GetCount(), count);
    for (int i = 0; i < count; ++i) {
        Var* member = members.FindMember(NameOf(i).c_str());
        ASSERT_NE(member, nullptr) << i;
        EXPECT_EQ(member->RawInt(), i);
    }
}

TEST_F(MemberBlocksTest, ReleasedMembersServeNewOnesWithoutMixingValues) {
    // More members than one chunk holds, dropped and made again in another
    // order: a reused block must carry only its new member.
    halvo::AutoRef<t_Named> first(new t_Named);
    Fill(*first, 3000);
    for (int i = 0; i < 3000; i += 2) EXPECT_TRUE(first->RemoveMember(NameOf(i).c_str()));
    halvo::AutoRef<t_Named> second(new t_Named);
    Fill(*second, 2000);
    for (int i = 1; i < 3000; i += 2) EXPECT_EQ(first->FindMember(NameOf(i).c_str())->RawInt(), i);
    EXPECT_EQ(first->FindMember("m0"), nullptr);
    ExpectFilled(*second, 2000);
    first->ClearMembers();
    second->CopyMembers(*second);
    ExpectFilled(*second, 2000);
}

TEST_F(MemberBlocksTest, MembersPastTheSmallFirstChunkFillLargeOnesWhole) {
    // After the small first chunk come large ones: more members alive at
    // once than the first and a whole large chunk hold keep their values,
    // and the blocks serve again once released.
    constexpr int kMany = 25000;
    halvo::AutoRef<t_Named> many(new t_Named);
    Fill(*many, kMany);
    ExpectFilled(*many, kMany);
    many->ClearMembers();
    EXPECT_EQ(many->GetCount(), 0);
    Fill(*many, kMany / 2);
    ExpectFilled(*many, kMany / 2);
}

TEST_F(MemberBlocksTest, EachBlockSizeServesOnlyItsOwnSizes) {
    // Small, code-object-sized and larger requests live side by side; a
    // released block serves the next request of its size class, never
    // one that would not fit.
    std::vector<std::pair<unsigned char*, size_t>> taken;
    for (size_t bytes : {size_t{8}, size_t{96}, size_t{97}, size_t{200}, size_t{256}, size_t{257}, size_t{4000}}) {
        for (int i = 0; i < 3; ++i) {
            auto* block = static_cast<unsigned char*>(member_blocks::Take(bytes));
            std::memset(block, static_cast<int>(bytes & 0xFF), bytes);
            taken.emplace_back(block, bytes);
        }
    }
    for (auto& [block, bytes] : taken)
        for (size_t i = 0; i < bytes; ++i) ASSERT_EQ(block[i], static_cast<unsigned char>(bytes & 0xFF)) << bytes;
    for (auto& [block, bytes] : taken) member_blocks::Give(block, bytes);
    auto* big = static_cast<unsigned char*>(member_blocks::Take(256));
    std::memset(big, 1, 256);
    auto* small = static_cast<unsigned char*>(member_blocks::Take(96));
    std::memset(small, 2, 96);
    EXPECT_EQ(big[255], 1);
    member_blocks::Give(small, 96);
    member_blocks::Give(big, 256);
}

TEST_F(MemberBlocksTest, CodeObjectsFromBlocksKeepTheirLinksAcrossThreads) {
    // Code objects made on one thread and dropped on another: reused blocks
    // start clean, and a weak parent link sees its parent go.
    halvo::AutoRef<BinCode> parent(new BinCode);
    std::vector<halvo::AutoRef<BinCode>> made;
    std::thread maker([&] {
        for (int i = 0; i < 3000; ++i) {
            made.emplace_back(new BinCode);
            made.back()->SetParent(parent.Get());
            made.back()->SetParamCount(i % 7);
        }
    });
    maker.join();
    std::thread releaser([&] {
        for (size_t i = 0; i < made.size(); i += 2) made[i] = new BinCode;
    });
    releaser.join();
    for (size_t i = 0; i < made.size(); ++i) {
        EXPECT_EQ(made[i]->GetParent(), i % 2 == 1 ? parent.Get() : nullptr) << i;
        EXPECT_EQ(made[i]->GetParamCount(), i % 2 == 1 ? static_cast<int>(i % 7) : 0) << i;
    }
    parent.Reset();
    EXPECT_EQ(made[1]->GetParent(), nullptr);
}

TEST_F(MemberBlocksTest, LongNamesAndCopiesKeepTheirOwnStorage) {
    // A name past the in-place length lives outside the block; a copied
    // structure owns separate blocks, so changing one leaves the other.
    const std::string longName(300, 'q');
    halvo::AutoRef<t_Named> original(new t_Named);
    original->GetOrAddMember(longName.c_str())->SetInt(7);
    Fill(*original, 10);
    halvo::AutoRef<t_Named> copy(new t_Named);
    copy->CopyMembers(*original);
    original->GetOrAddMember(longName.c_str())->SetInt(8);
    original.Reset();
    ASSERT_NE(copy->FindMember(longName.c_str()), nullptr);
    EXPECT_EQ(copy->FindMember(longName.c_str())->RawInt(), 7);
    EXPECT_EQ(copy->GetCount(), 11);
}

TEST_F(MemberBlocksTest, MembersMadeOnOneThreadAreReleasedOnAnother) {
    // Blocks go back to the releasing thread; a thread that ends passes its
    // spare blocks on, and the structures made afterwards stay whole.
    std::vector<halvo::AutoRef<t_Named>> made;
    std::thread maker([&made] {
        for (int round = 0; round < 4; ++round) {
            halvo::AutoRef<t_Named> members(new t_Named);
            Fill(*members, 700);
            made.push_back(members);
        }
    });
    maker.join();
    for (auto& members : made) ExpectFilled(*members, 700);
    std::thread releaser([&made] {
        made.clear();
        halvo::AutoRef<t_Named> members(new t_Named);
        Fill(*members, 1500);
        ExpectFilled(*members, 1500);
    });
    releaser.join();
    halvo::AutoRef<t_Named> after(new t_Named);
    Fill(*after, 2500);
    ExpectFilled(*after, 2500);
}

}  // namespace
