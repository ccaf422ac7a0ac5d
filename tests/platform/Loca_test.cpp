#include "platform/FileManager.h"
#include "platform/Loca.h"
#include "support/ArchiveWriter.h"
#include "support/GlobalDataRoot.h"
#include "support/LocaTableWriter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using testsupport::ArchiveWriter;
using testsupport::GlobalDataRoot;
using testsupport::LocaTableWriter;

void WriteTable(const char* code, const std::string& bytes) {
    GlobalDataRoot().WriteFile(std::string("loca/loca_") + code + ".bin", bytes);
    FileManager::Global().ResetDirectoryCaches();
}

std::u16string Translate(const Loca& loca, const char* text, int32_t* index = nullptr) {
    std::u16string out = u"stale";
    int32_t found = loca.Translate(text, out);
    if (index) *index = found;
    return out;
}

TEST(Loca, HashKeysAndPlainKeysFindTheSameEntry) {
    LocaTableWriter writer;
    writer.Add("menu_start", "Start \xC3\xA4");
    writer.Add("menu_quit", "");
    WriteTable("keys", writer.Build());
    Loca loca;
    ASSERT_TRUE(loca.Load("keys"));
    int32_t plain = -2, hash = -2, more = -2;
    EXPECT_EQ(Translate(loca, "menu_start", &plain), u"Start \u00E4");
    EXPECT_EQ(Translate(loca, "#menu_start", &hash), u"Start \u00E4");
    EXPECT_EQ(Translate(loca, "#menu_start and more words", &more), u"Start \u00E4");
    EXPECT_GE(plain, 0);
    EXPECT_EQ(plain, hash);
    EXPECT_EQ(plain, more);
    EXPECT_EQ(Translate(loca, "#menu_start\xE4junk"), u"Start \u00E4");
    EXPECT_EQ(Translate(loca, "#menu_quit"), u"");
}

TEST(Loca, MissingTextsShowThemselves) {
    Loca loca;
    int32_t index = 0;
    EXPECT_EQ(Translate(loca, "#no_such_key more", &index), u"no_such_key");
    EXPECT_EQ(index, -1);
    EXPECT_EQ(Translate(loca, "K\xE4se", &index), u"K\u00E4se");
    EXPECT_EQ(index, -1);
    EXPECT_EQ(Translate(loca, nullptr, &index), u"");
    EXPECT_EQ(loca.Find("anything"), -1);
}

TEST(Loca, FindsEveryKeyInTablesOfManySizes) {
    for (int count : {1, 2, 3, 1000}) {
        LocaTableWriter writer;
        std::vector<std::string> keys;
        for (int i = 0; i < count; ++i) {
            // Every third key starts with a byte of 0x80 or above, which a
            // signed comparison would sort before the plain ones.
            std::string key = (i % 3 == 0 ? "\xC3key" : "key") + std::to_string(i);
            keys.push_back(key);
            writer.Add(key, "v" + std::to_string(i));
        }
        WriteTable("many", writer.Build());
        Loca loca;
        ASSERT_TRUE(loca.Load("many")) << count;
        EXPECT_EQ(loca.GetKeyCount(), uint32_t(count));
        for (int i = 0; i < count; ++i) {
            std::u16string out;
            ASSERT_GE(loca.Translate(keys[i].c_str(), out), 0) << count << " keys, key " << i;
            EXPECT_EQ(out, WidenBytes("v" + std::to_string(i)));
        }
        EXPECT_EQ(loca.Find("key"), -1);
        EXPECT_EQ(loca.Find("zzz"), -1);
        EXPECT_EQ(loca.Find(""), -1);
    }
}

TEST(Loca, DamagedTableIsRefusedAndTheOldOneKept) {
    LocaTableWriter writer;
    writer.Add("greeting", "hello");
    const std::string good = writer.Build();
    WriteTable("good", good);
    Loca loca;
    ASSERT_TRUE(loca.Load("good"));

    auto patched = [&](size_t offset, uint32_t value) {
        std::string bytes = good;
        ArchiveWriter::PutLe32(bytes, offset, value);
        return bytes;
    };
    const uint32_t index = static_cast<uint32_t>(good.size() - 8);
    const std::string damaged[] = {
        good.substr(0, 15),
        patched(4, 2),                                    // index runs past the end
        patched(4, 0x20000000),                           // 8N overflows 32 bits
        patched(12, 0xFFFFFFF8),                          // index offset past the end
        patched(index, static_cast<uint32_t>(good.size())),      // key offset at the end
        patched(index + 4, 0xFFFFFFFF),                   // value offset past the end
    };
    for (size_t i = 0; i < std::size(damaged); ++i) {
        WriteTable("bad", damaged[i]);
        EXPECT_FALSE(loca.Load("bad")) << "damage " << i;
        EXPECT_EQ(Translate(loca, "#greeting"), u"hello") << "damage " << i;
        EXPECT_EQ(loca.GetLanguageCode(), "good");
    }
}

TEST(Loca, FailedLoadKeepsTheLanguageCode) {
    Loca loca;
    EXPECT_FALSE(loca.Load("klingon"));
    EXPECT_EQ(loca.GetLanguageCode(), "");
    LocaTableWriter writer;
    writer.Add("k", "v");
    WriteTable("english", writer.Build());
    ASSERT_TRUE(loca.Load("english"));
    EXPECT_FALSE(loca.Load("klingon"));
    EXPECT_EQ(loca.GetLanguageCode(), "english");
    EXPECT_EQ(Translate(loca, "#k"), u"v");
    EXPECT_FALSE(loca.Load("100%s"));
}

TEST(Loca, LastTextEndsAtTheEndOfTheFile) {
    // The value offset points at the last byte, which is not a NUL: the
    // terminator that loading adds must end it.
    std::string bytes(16, '\0');
    bytes += "key";
    bytes += '\0';
    uint32_t index = static_cast<uint32_t>(bytes.size());
    bytes.resize(bytes.size() + 8);
    bytes += 'Z';
    ArchiveWriter::PutLe32(bytes, index, 16);
    ArchiveWriter::PutLe32(bytes, index + 4, index + 8);
    ArchiveWriter::PutLe32(bytes, 4, 1);
    ArchiveWriter::PutLe32(bytes, 12, index);
    WriteTable("edge", bytes);
    Loca loca;
    ASSERT_TRUE(loca.Load("edge"));
    EXPECT_EQ(Translate(loca, "key"), u"Z");
}

}  // namespace
