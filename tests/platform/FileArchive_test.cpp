#include "platform/ArchiveStream.h"
#include "platform/FileArchive.h"
#include "platform/FileManager.h"
#include "support/ArchiveWriter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using halvo::AutoRef;
using testsupport::ArchiveWriter;
using testsupport::TempFolder;

class FileArchiveTest : public ::testing::Test {
protected:
    // Writes the bytes as an archive file and opens it.
    bool OpenBytes(const std::string& bytes) {
        folder.WriteFile("a.tvk", bytes);
        return archive->Open((folder / "a.tvk").c_str());
    }
    bool OpenWriter() { return OpenBytes(writer.Build()); }
    // Reads the whole entry in pieces of `piece` bytes.
    std::string ReadAll(const char* name, size_t piece = 7) {
        ArchiveStream* stream = archive->OpenEntry(name);
        if (!stream) return "<missing>";
        std::string content;
        std::string buffer(piece, '\0');
        int32_t got;
        while ((got = stream->Read(buffer.data(), 1, piece)) > 0) content.append(buffer.data(), got);
        stream->Close();
        return got < 0 ? "<damaged>" : content;
    }

    TempFolder folder;
    ArchiveWriter writer;
    AutoRef<FileArchive> archive{new FileArchive};
};

std::string Pattern(size_t size, unsigned seed) {
    std::string text;
    for (size_t i = 0; i < size; ++i) text += static_cast<char>((i * 31 + seed * 7 + (i >> 5)) & 0xFF);
    return text;
}

TEST_F(FileArchiveTest, FindsEntriesIgnoringCaseAcrossManyNames) {
    // '[' and '_' lie between 'Z' and 'a': only a comparison that folds
    // letters before comparing keeps this order searchable.
    const char* special[] = {"Zeta.txt", "_under.txt", "[bracket].txt", "alpha.txt", "gui/Button.cbi"};
    for (const char* name : special) writer.Add(name, name);
    for (int i = 0; i < 300; ++i) writer.Add("file" + std::to_string(i) + ".dat", std::to_string(i));
    ASSERT_TRUE(OpenWriter());
    EXPECT_EQ(ReadAll("zeta.TXT"), "Zeta.txt");
    EXPECT_EQ(ReadAll("_UNDER.txt"), "_under.txt");
    EXPECT_EQ(ReadAll("[Bracket].txt"), "[bracket].txt");
    EXPECT_EQ(ReadAll("ALPHA.txt"), "alpha.txt");
    EXPECT_EQ(ReadAll("GUI/button.CBI"), "gui/Button.cbi");
    for (int i = 0; i < 300; i += 37) EXPECT_EQ(ReadAll(("FILE" + std::to_string(i) + ".DAT").c_str()), std::to_string(i));
    EXPECT_EQ(ReadAll("file300.dat"), "<missing>");
    EXPECT_EQ(ReadAll("alpha"), "<missing>");
}

TEST_F(FileArchiveTest, AcceptsVersionsUpToTheNewestKnown) {
    writer.Add("a", "x");
    writer.SetVersion(0x10001);
    EXPECT_TRUE(OpenWriter());
    writer.SetVersion(0x10002);
    EXPECT_FALSE(OpenWriter());
    EXPECT_FALSE(archive->IsOpen());
}

TEST_F(FileArchiveTest, RefusesDamagedHeaderAndDirectory) {
    writer.Add("first", "one");
    writer.Add("second", "two");
    const std::string good = writer.Build();
    const size_t namesStart = ArchiveWriter::EntryOffset(2);
    struct Damage {
        const char* what;
        std::string bytes;
    };
    auto patched = [&](size_t offset, uint32_t value) {
        std::string bytes = good;
        ArchiveWriter::PutLe32(bytes, offset, value);
        return bytes;
    };
    std::string unterminated = good;
    unterminated[namesStart + sizeof("first\0second") - 1] = 'x';  // the last NUL
    const Damage damages[] = {
        {"bad magic", patched(0, 0x31746164)},
        {"shorter than the header", good.substr(0, 12)},
        {"directory cut short", good.substr(0, ArchiveWriter::EntryOffset(1) + 4)},
        {"names block cut short", good.substr(0, namesStart + 3)},
        {"count beyond the file", patched(12, 0x7FFFFFFF)},
        {"names size beyond the file", patched(16, 0xFFFFFFF0)},
        {"name offset outside the names", patched(ArchiveWriter::EntryOffset(1) + 12, 13)},
        {"names not terminated", unterminated},
    };
    for (const Damage& damage : damages) {
        EXPECT_FALSE(OpenBytes(damage.bytes)) << damage.what;
        EXPECT_FALSE(archive->IsOpen()) << damage.what;
    }
    EXPECT_TRUE(OpenBytes(good));
}

TEST_F(FileArchiveTest, NegativeCountOrEmptyNamesMeanNoEntries) {
    std::string bytes = ArchiveWriter().Build();
    EXPECT_TRUE(OpenBytes(bytes));
    EXPECT_EQ(archive->GetEntryCount(), 0u);
    ArchiveWriter::PutLe32(bytes, 12, 0xFFFFFFFF);
    EXPECT_TRUE(OpenBytes(bytes));
    EXPECT_EQ(archive->GetEntryCount(), 0u);
    EXPECT_EQ(archive->OpenEntry(""), nullptr);
}

TEST_F(FileArchiveTest, RefusesEntriesWithImpossibleSizes) {
    writer.AddPacked("huge", ArchiveWriter::Compress("tiny"), 0xFFFFFFFF);
    writer.AddPacked("ratio", ArchiveWriter::Compress("tiny"), 100000);
    writer.Add("offset", "data");
    std::string bytes = writer.Build();
    // Sorted: huge, offset, ratio. Move the data of "offset" past the end.
    ArchiveWriter::PutLe32(bytes, ArchiveWriter::EntryOffset(1), static_cast<uint32_t>(bytes.size() + 1));
    ASSERT_TRUE(OpenBytes(bytes));
    EXPECT_EQ(archive->OpenEntry("huge"), nullptr);
    EXPECT_EQ(archive->OpenEntry("ratio"), nullptr);
    EXPECT_EQ(archive->OpenEntry("offset"), nullptr);
    EXPECT_EQ(archive->GetOpenStreamCount(), 0);
}

TEST_F(FileArchiveTest, TwoEntriesReadAlternately) {
    const std::string first = Pattern(300000, 1), second = Pattern(250000, 2);
    writer.Add("first", first);
    writer.Add("second", second);
    ASSERT_TRUE(OpenWriter());
    ArchiveStream* a = archive->OpenEntry("first");
    ArchiveStream* b = archive->OpenEntry("second");
    ASSERT_TRUE(a && b);
    std::string gotA, gotB, piece(50000, '\0');
    int32_t got;
    while (true) {
        bool any = false;
        if ((got = a->Read(piece.data(), 1, piece.size())) > 0) gotA.append(piece.data(), got), any = true;
        if ((got = b->Read(piece.data(), 1, piece.size())) > 0) gotB.append(piece.data(), got), any = true;
        if (!any) break;
    }
    a->Close();
    b->Close();
    EXPECT_TRUE(gotA == first);
    EXPECT_TRUE(gotB == second);
}

TEST_F(FileArchiveTest, ReadAtTheEndGivesZero) {
    writer.Add("e", "12345");
    ASSERT_TRUE(OpenWriter());
    ArchiveStream* stream = archive->OpenEntry("e");
    ASSERT_NE(stream, nullptr);
    char buffer[16];
    EXPECT_EQ(stream->Read(buffer, 1, 5), 5);
    EXPECT_EQ(stream->Read(buffer, 1, 5), 0);
    EXPECT_EQ(stream->Read(buffer, 1, 5), 0);
    stream->Close();
}

TEST_F(FileArchiveTest, CloseWithStreamOpenIsRefused) {
    writer.Add("e", "content");
    ASSERT_TRUE(OpenWriter());
    ArchiveStream* stream = archive->OpenEntry("e");
    ASSERT_NE(stream, nullptr);
    EXPECT_FALSE(archive->Close());
    EXPECT_TRUE(archive->IsOpen());
    EXPECT_EQ(ReadAll("e"), "content");
    stream->Close();
    EXPECT_TRUE(archive->Close());
}

TEST_F(FileArchiveTest, StreamKeepsArchiveAlive) {
    writer.Add("e", "content");
    ASSERT_TRUE(OpenWriter());
    ArchiveStream* stream = archive->OpenEntry("e");
    archive.Reset();
    char buffer[7];
    EXPECT_EQ(stream->Read(buffer, 1, 7), 7);
    stream->Close();
}

TEST_F(FileArchiveTest, ShortEntryGivesShortCount) {
    writer.AddPacked("short", ArchiveWriter::Compress("abc"), 10);
    std::string packed = ArchiveWriter::Compress(Pattern(200000, 3));
    writer.AddPacked("truncated", packed.substr(0, packed.size() / 2), 200000);
    std::string bytes = writer.Build();
    // "truncated" is stored last: cutting the file ends its data early.
    ASSERT_TRUE(OpenBytes(bytes));
    ArchiveStream* stream = archive->OpenEntry("short");
    ASSERT_NE(stream, nullptr);
    char buffer[10];
    EXPECT_EQ(stream->Read(buffer, 1, 10), 3);
    EXPECT_EQ(stream->Read(buffer, 1, 10), 0);
    stream->Close();
    std::string truncated = ReadAll("truncated", 65536);
    EXPECT_GT(truncated.size(), 0u);
    EXPECT_LT(truncated.size(), 200000u);
}

TEST_F(FileArchiveTest, ItemCountsAreWholeItems) {
    writer.Add("seven", "1234567");
    ASSERT_TRUE(OpenWriter());
    ArchiveStream* stream = archive->OpenEntry("seven");
    char buffer[8];
    EXPECT_EQ(stream->Read(buffer, 2, 4), 3);
    stream->Close();
}

TEST_F(FileArchiveTest, CorruptStreamReportsError) {
    std::string packed = ArchiveWriter::Compress(Pattern(5000, 4));
    for (size_t i = 2; i < packed.size(); i += 3) packed[i] = static_cast<char>(packed[i] ^ 0x5A);
    writer.AddPacked("bad", packed, 5000);
    writer.AddPacked("notzlib", "plain text, no zlib header", 26);
    ASSERT_TRUE(OpenWriter());
    EXPECT_EQ(ReadAll("bad", 5000), "<damaged>");
    EXPECT_EQ(ReadAll("notzlib"), "<damaged>");
}

TEST_F(FileArchiveTest, NullBufferSkips) {
    const std::string content = Pattern(100000, 5);
    writer.Add("skip", content);
    ASSERT_TRUE(OpenWriter());
    ArchiveStream* stream = archive->OpenEntry("skip");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->Read(nullptr, 1000, 60), 60);
    std::string rest(50000, '\0');
    EXPECT_EQ(stream->Read(rest.data(), 1, rest.size()), 40000);
    EXPECT_TRUE(rest.substr(0, 40000) == content.substr(60000));
    stream->Close();
}

TEST(ArchiveThroughFileManager, ShortEntryIsNotLoaded) {
    TempFolder data;
    ArchiveWriter writer;
    writer.AddPacked("short.txt", ArchiveWriter::Compress("abc"), 10);
    writer.Add("ok.txt", "fine");
    data.WriteFile("Global/texts.tvk", writer.Build());
    FileManager files;
    files.AddRoot((data / "Global").c_str());
    uint32_t size = 5;
    EXPECT_EQ(files.LoadFile(&size, "texts/short.txt"), nullptr);
    EXPECT_EQ(size, 0u);
    char* loaded = files.LoadFile(&size, "texts/OK.txt");
    ASSERT_NE(loaded, nullptr);
    EXPECT_STREQ(loaded, "fine");
    std::free(loaded);

    FileHandle* handle = files.OpenFile("texts/ok.txt");
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->size, 4u);
    char buffer[4];
    EXPECT_EQ(FileManager::Read(handle, nullptr, 1, 2), 2);
    EXPECT_EQ(FileManager::Read(handle, buffer, 1, 4), 2);
    EXPECT_EQ(std::string(buffer, 2), "ne");
    FileManager::Close(handle);
}

}  // namespace
