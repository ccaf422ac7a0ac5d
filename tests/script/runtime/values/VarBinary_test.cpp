#include "script/runtime/execution/BinCode.h"
#include "script/runtime/execution/MapFile.h"
#include "script/runtime/execution/Opcode.h"
#include "script/runtime/values/VarBinary.h"
#include "tests/script/runtime/ValueTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Vrel;
using namespace valuetest;

namespace {

class VarBinaryTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureTypes(); }
};

TEST_F(VarBinaryTest, BytesAreAPrivateCopyOfTheGivenLength) {
    std::vector<uint8_t> source(1000);
    for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i * 7);
    halvo::AutoRef<VarBinary> code(VarBinary::Make(source.data(), static_cast<uint32_t>(source.size())));
    const std::vector<uint8_t> kept = source;
    source.assign(source.size(), 0);
    ASSERT_EQ(code->GetSize(), 1000u);
    EXPECT_EQ(std::vector<uint8_t>(code->GetBytes(), code->GetBytes() + code->GetSize()), kept);
    EXPECT_TRUE(code->HoldsBytes(kept.data(), 1000));
    EXPECT_FALSE(code->HoldsBytes(kept.data(), 999));
    EXPECT_FALSE(code->HoldsBytes(source.data(), 1000));
    EXPECT_FALSE(code->HoldsBytes(nullptr, 1000));
}

TEST_F(VarBinaryTest, EmptyOrMissingBytesMakeEmptyCode) {
    const uint8_t byte = 9;
    halvo::AutoRef<VarBinary> none(VarBinary::Make(nullptr, 5));
    EXPECT_EQ(none->GetSize(), 0u);
    EXPECT_EQ(none->GetBytes(), nullptr);
    EXPECT_TRUE(none->HoldsBytes(nullptr, 0));
    halvo::AutoRef<VarBinary> empty(VarBinary::Make(&byte, 0));
    EXPECT_EQ(empty->GetSize(), 0u);
    EXPECT_TRUE(empty->HoldsBytes(&byte, 0));
    halvo::AutoRef<VarBinary> made(static_cast<VarBinary*>(VarBinary::Create()));
    EXPECT_EQ(made->GetSize(), 0u);
}

TEST_F(VarBinaryTest, StoringCodeKeepsEqualBytesOnlyWhileNobodyElseHoldsThem) {
    halvo::AutoRef<BinCode> function(new BinCode);
    const uint8_t first[] = {1, 2, 3};
    const uint8_t other[] = {1, 2, 4};
    function->SetCode(sizeof first, first);
    VarBinary* stored = function->GetCode();
    ASSERT_NE(stored, nullptr);
    function->SetCode(sizeof first, first);
    EXPECT_EQ(function->GetCode(), stored);
    function->SetCode(sizeof other, other);
    ASSERT_NE(function->GetCode(), nullptr);
    EXPECT_TRUE(function->GetCode()->HoldsBytes(other, sizeof other));
    halvo::AutoRef<VarBinary> held(function->GetCode());
    function->SetCode(sizeof other, other);
    EXPECT_NE(function->GetCode(), held.Get());
    EXPECT_TRUE(held->HoldsBytes(other, sizeof other));
    function->SetCode(0, other);
    EXPECT_EQ(function->GetCode(), nullptr);
}

TEST_F(VarBinaryTest, LineMapRefilledPastItsRoomKeepsEveryByte) {
    // A map made short and refilled with a longer one moves its bytes out
    // of the room it was made with; refilled short again, it reads right.
    const uint8_t shortMap[] = {kOperandInlineText, 'b', 0};
    std::vector<uint8_t> longMap = {kOperandInlineText};
    for (int i = 0; i < 200; ++i) longMap.push_back(static_cast<uint8_t>('a' + i % 26));
    longMap.push_back(0);
    halvo::AutoRef<BinCode> function(new BinCode);
    function->SetMapFile(shortMap, sizeof shortMap);
    MapFile* map = function->GetMapFile();
    function->SetMapFile(longMap.data(), static_cast<uint32_t>(longMap.size()));
    ASSERT_EQ(function->GetMapFile(), map);
    ASSERT_EQ(map->GetSize(), longMap.size());
    EXPECT_EQ(std::vector<uint8_t>(map->GetBytes(), map->GetBytes() + map->GetSize()), longMap);
    EXPECT_EQ(std::string(function->GetSourceName()).size(), 200u);
    function->SetMapFile(shortMap, sizeof shortMap);
    EXPECT_STREQ(function->GetSourceName(), "b");
    halvo::AutoRef<MapFile> fromNothing(MapFile::Make(nullptr, 40));
    EXPECT_EQ(fromNothing->GetSize(), 0u);
    EXPECT_EQ(fromNothing->GetBytes(), nullptr);
    EXPECT_EQ(fromNothing->GetLine(0), -1);
    fromNothing->Replace(shortMap, sizeof shortMap);
    EXPECT_STREQ(fromNothing->GetSourceName(), "b");
}

}  // namespace
