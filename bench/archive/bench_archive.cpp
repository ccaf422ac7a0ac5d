// Archive reading speed: every entry of a generated archive (about 200 MB
// unpacked, text and binary) through FileManager::LoadFile, against zlib's
// uncompress of the same packed data from memory in the same run.

#include "platform/FileManager.h"

#include <zlib.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr size_t kEntryCount = 100;
constexpr size_t kEntrySize = 2 * 1024 * 1024;
constexpr int kRounds = 3;

struct Entry {
    std::string name;
    std::string packed;
    size_t size;
};

std::string TextContent(std::mt19937& random, size_t size) {
    static const char* words[] = {"the ", "hidden ", "object ", "scene ", "lantern ", "map ",
                                  "key ", "door\n", "<item x=\"12\" y=\"40\"/>\n", "Tobin ", "Maren "};
    std::string text;
    while (text.size() < size) text += words[random() % std::size(words)];
    text.resize(size);
    return text;
}

std::string BinaryContent(std::mt19937& random, size_t size) {
    // Pixel-like rows: smooth gradients with noise, the way image data packs.
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(((i / 4) % 256 + (i / 4096)) + (random() % 8));
    }
    return bytes;
}

std::vector<Entry> MakeEntries() {
    std::mt19937 random(1234);
    std::vector<Entry> entries;
    for (size_t i = 0; i < kEntryCount; ++i) {
        std::string content = i % 2 ? BinaryContent(random, kEntrySize) : TextContent(random, kEntrySize);
        uLongf packedSize = compressBound(content.size());
        std::string packed(packedSize, '\0');
        compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                  reinterpret_cast<const Bytef*>(content.data()), content.size(), 6);
        packed.resize(packedSize);
        char name[32];
        std::snprintf(name, sizeof name, "entry%03zu.dat", i);
        entries.push_back({name, std::move(packed), content.size()});
    }
    return entries;
}

void PutLe32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>(value >> (8 * i));
}

void WriteArchive(const std::string& path, const std::vector<Entry>& entries) {
    std::string names, header;
    std::vector<uint32_t> nameOffsets;
    for (const Entry& entry : entries) {
        nameOffsets.push_back(static_cast<uint32_t>(names.size()));
        names += entry.name + '\0';
    }
    PutLe32(header, 0x32746164);
    PutLe32(header, 0x10001);
    PutLe32(header, 0);
    PutLe32(header, static_cast<uint32_t>(entries.size()));
    PutLe32(header, static_cast<uint32_t>(names.size()));
    uint64_t offset = 20 + 16 * entries.size() + names.size();
    for (size_t i = 0; i < entries.size(); ++i) {
        PutLe32(header, static_cast<uint32_t>(offset));
        PutLe32(header, static_cast<uint32_t>(entries[i].packed.size()));
        PutLe32(header, static_cast<uint32_t>(entries[i].size));
        PutLe32(header, nameOffsets[i]);
        offset += entries[i].packed.size();
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << header << names;
    for (const Entry& entry : entries) out << entry.packed;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double ReadThroughFileManager(FileManager& files, const std::vector<Entry>& entries) {
    auto start = std::chrono::steady_clock::now();
    for (const Entry& entry : entries) {
        uint32_t size = 0;
        char* data = files.LoadFile(&size, "packed/%s", entry.name.c_str());
        if (!data || size != entry.size) {
            std::fprintf(stderr, "bench_archive: %s did not load\n", entry.name.c_str());
            std::exit(1);
        }
        std::free(data);
    }
    return Seconds(start);
}

double ReadWithZlib(const std::vector<Entry>& entries) {
    auto start = std::chrono::steady_clock::now();
    for (const Entry& entry : entries) {
        char* data = static_cast<char*>(std::malloc(entry.size + 1));
        uLongf size = entry.size;
        if (uncompress(reinterpret_cast<Bytef*>(data), &size,
                       reinterpret_cast<const Bytef*>(entry.packed.data()), entry.packed.size()) != Z_OK) {
            std::exit(1);
        }
        data[size] = 0;
        std::free(data);
    }
    return Seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
    std::string work = argc > 1 ? argv[1] : ".";
    std::filesystem::create_directories(work + "/Data");
    std::vector<Entry> entries = MakeEntries();
    WriteArchive(work + "/Data/packed.tvk", entries);
    double megabytes = double(kEntryCount * kEntrySize) / (1024.0 * 1024.0);

    FileManager files;
    files.AddRoot((work + "/Data").c_str());
    double ours = 1e9, zlib = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        ours = std::min(ours, ReadThroughFileManager(files, entries));
        zlib = std::min(zlib, ReadWithZlib(entries));
    }
    std::printf("%-28s %10s\n", "reader", "MB/s");
    std::printf("%-28s %10.1f\n", "FileManager::LoadFile", megabytes / ours);
    std::printf("%-28s %10.1f\n", "zlib uncompress (memory)", megabytes / zlib);
    std::printf("archive: ratio %.3f\n", zlib / ours);
    std::filesystem::remove(work + "/Data/packed.tvk");
    return 0;
}
