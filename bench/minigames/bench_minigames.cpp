// Mini-game loading: every configuration of the sample game, of the fuzz
// seeds (tests/fuzz/corpus/fuzz_config_*/) and of the folders named on the
// command line is read and its game set up (board laid, pieces cut and
// scattered, plates scrambled), as the screens do at load. Each load is
// timed (the best of a few runs, as the machine is shared) and its heap
// high mark taken; the last line gives the worst of each.
//
// Files are in the form the fuzz target of their kind reads. A file in a
// named folder whose name starts with a kind ("pipes-...") is loaded as that
// kind, any other as every kind.

#include "HeapPeak.h"

#include "minigames/match3/Match3Rules.h"
#include "minigames/pipes/PipesConfig.h"
#include "minigames/pipes/PipesRules.h"
#include "minigames/pushpuzzle/PushPuzzleRules.h"
#include "minigames/puzzle/PuzzleConfig.h"
#include "minigames/puzzle/PuzzleRules.h"
#include "minigames/senso/SensoRules.h"
#include "minigames/target/TargetConfig.h"
#include "minigames/target/TargetRules.h"
#include "minigames/wirepuzzle/WirePuzzleConfig.h"
#include "minigames/wirepuzzle/WirePuzzleRules.h"
#include "platform/TgaFile.h"
#include "platform/XmlUtil.h"
#include "platform/os/Random.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Best of this many runs per file: a shared machine adds noise, never
// takes it away.
constexpr int kRuns = 3;
constexpr uint32_t kSeed = 1;

// Null when the game was set up, else why not.
using Loader = const char* (*)(const std::string& bytes);

const char* Parsed(TiXmlDocument& document, const std::string& bytes) {
    std::string text = bytes;
    return XmlParseText(document, text.data()) ? nullptr : "not XML";
}

const char* LoadPipes(const std::string& bytes) {
    TiXmlDocument document;
    if (const char* why = Parsed(document, bytes)) return why;
    PipesConfig config;
    if (const char* why = ReadPipesConfig(document, config)) return why;
    return PipesRules(config, kSeed).GetRefusal();
}

const char* LoadMatch3(const std::string& bytes) {
    TiXmlDocument document;
    if (const char* why = Parsed(document, bytes)) return why;
    Match3Config config;
    if (const char* why = ReadMatch3Config(document, config)) return why;
    Match3Rules rules(config);
    return rules.IsReady() ? nullptr : "no start board";
}

const char* LoadWirePuzzle(const std::string& bytes) {
    TiXmlDocument document;
    if (const char* why = Parsed(document, bytes)) return why;
    WirePuzzleConfig config;
    if (const char* why = ReadWirePuzzleConfig(document, config)) return why;
    WirePuzzleRules rules(config);
    return nullptr;
}

int32_t IntOr(const TiXmlElement* root, const char* name, int32_t fallback) {
    return root && XmlGetAttributeString(root, name) ? XmlGetAttributeInt(root, name) : fallback;
}

// The settings come from the data tree in the game; the fuzz seeds carry
// them as root attributes, the sample's are its scene script's.
const char* LoadTarget(const std::string& bytes) {
    TiXmlDocument document;
    if (const char* why = Parsed(document, bytes)) return why;
    const TiXmlElement* root = document.FirstChildElement();
    TargetConfig config;
    config.delayMs = root && XmlGetAttributeString(root, "delay") ? XmlGetAttributeFloat(root, "delay") : 170.0f;
    config.friendCount = IntOr(root, "friends", 2);
    config.enemyCount = IntOr(root, "enemies", 1);
    if (const char* why = ReadTargetConfig(document, config)) return why;
    TargetRules rules(config, {64, 64}, false);
    return nullptr;
}

// Two bytes of sequence lengths, then the XML.
const char* LoadSenso(const std::string& bytes) {
    if (bytes.size() < 2) return "too short";
    SensoConfig config;
    config.minLength = static_cast<int8_t>(bytes[0]);
    config.maxLength = static_cast<int8_t>(bytes[1]);
    TiXmlDocument document;
    if (const char* why = Parsed(document, bytes.substr(2))) return why;
    if (const char* why = ReadSensoConfig(document, config)) return why;
    SensoRules rules(config);
    return rules.IsReady() ? nullptr : "no sequence";
}

int32_t Field(const std::string& bytes, size_t at) {
    int16_t value = 0;
    if (at + sizeof value <= bytes.size()) std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

// The grid size, the background's and the picture's sides, the picture's
// bits per pixel.
const char* LoadPushPuzzle(const std::string& bytes) {
    if (bytes.empty()) return "too short";
    PushPuzzleConfig config;
    config.gridSize = static_cast<int8_t>(bytes[0]);
    config.backgroundWidth = Field(bytes, 1);
    config.backgroundHeight = Field(bytes, 3);
    config.pictureWidth = Field(bytes, 5);
    config.pictureHeight = Field(bytes, 7);
    config.pictureBitsPerPixel = bytes.size() > 9 ? static_cast<uint8_t>(bytes[9]) : 32;
    if (const char* why = ReadPushPuzzleConfig(config)) return why;
    PushPuzzleRules rules(config);
    return rules.IsReady() ? nullptr : "not shuffled";
}

// The mask picture, cut from a grey picture of its size.
const char* LoadPuzzle(const std::string& bytes) {
    Point2i maskSize;
    int32_t maskBits = 0;
    std::unique_ptr<uint8_t[]> mask =
        LoadTGAFromMemory(&maskSize, &maskBits, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    if (!mask) return "not a TGA picture";
    const size_t pixels = maskSize.x > 0 && maskSize.y > 0 ? static_cast<size_t>(maskSize.x) * maskSize.y : 0;
    std::vector<uint8_t> picture(pixels * 4, 0x80);
    PuzzleConfig config;
    config.picture = "picture";
    config.mask = "mask";
    SetPuzzleScreen(config, {1920, 1080}, 1080);
    if (const char* why = ReadPuzzleConfig({maskSize, 32, picture.data()}, {maskSize, maskBits, mask.get()}, config)) {
        return why;
    }
    PuzzleRules rules(config);
    return nullptr;
}

struct Kind {
    const char* name;  // as in fuzz_config_<name>
    Loader load;
};

constexpr Kind kKinds[] = {
    {"pipes", LoadPipes},   {"match3", LoadMatch3},         {"wirepuzzle", LoadWirePuzzle},
    {"target", LoadTarget}, {"senso", LoadSenso},           {"pushpuzzle", LoadPushPuzzle},
    {"puzzle", LoadPuzzle},
};

const Kind* KindNamed(const std::string& name) {
    for (const Kind& kind : kKinds) {
        if (name == kind.name) return &kind;
    }
    return nullptr;
}

struct Input {
    std::string label;
    std::string bytes;
    const Kind* kind;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string Le16(int32_t value) { return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)}; }

// The sample's folders, with the settings its scene script gives them.
void AddSample(const fs::path& root, std::vector<Input>& inputs) {
    const fs::path games = root / "data/Data/Shared/MiniGames";
    auto add = [&](const char* label, std::string bytes, const char* kind) {
        inputs.push_back({std::string("sample ") + label, std::move(bytes), KindNamed(kind)});
    };
    add("Rohre/sample.xml", ReadFile(games / "Rohre/sample.xml"), "pipes");
    add("Match3/Sample.xml", ReadFile(games / "Match3/Sample.xml"), "match3");
    add("Draehte/sample.xml", ReadFile(games / "Draehte/sample.xml"), "wirepuzzle");
    add("Zielscheiben/sample.xml", ReadFile(games / "Zielscheiben/sample.xml"), "target");
    add("Abfolge/Sample.xml", std::string{3, 5} + ReadFile(games / "Abfolge/Sample.xml"), "senso");
    add("Puzzle/sample_mask.tga", ReadFile(games / "Puzzle/sample_mask.tga"), "puzzle");
    Point2i size;
    int32_t bits = 0;
    const std::string picture = ReadFile(games / "Mosaik/Sample.tga");
    if (LoadTGAFromMemory(&size, &bits, reinterpret_cast<const uint8_t*>(picture.data()), picture.size())) {
        // The background is the sample's 1920 x 1080 board.
        add("Mosaik/Sample.tga", std::string(1, 3) + Le16(1920) + Le16(1080) + Le16(size.x) + Le16(size.y) +
                                     std::string(1, static_cast<char>(bits)),
            "pushpuzzle");
    }
}

std::vector<fs::path> FilesOf(const fs::path& folder) {
    std::vector<fs::path> files;
    if (!fs::is_directory(folder)) return files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

void AddCorpora(const fs::path& root, std::vector<Input>& inputs) {
    for (const Kind& kind : kKinds) {
        const fs::path folder = root / "tests/fuzz/corpus" / (std::string("fuzz_config_") + kind.name);
        for (const fs::path& file : FilesOf(folder)) {
            inputs.push_back({"corpus " + file.filename().string(), ReadFile(file), &kind});
        }
    }
}

// A file named after a kind is that kind; any other is tried as each.
void AddFolder(const fs::path& folder, std::vector<Input>& inputs) {
    for (const fs::path& file : FilesOf(folder)) {
        const std::string name = file.filename().string();
        const std::string bytes = ReadFile(file);
        const Kind* named = nullptr;
        for (const Kind& kind : kKinds) {
            const size_t length = std::strlen(kind.name);
            if (name.compare(0, length, kind.name) == 0 && (name.size() == length || !std::isalnum(name[length]))) {
                named = &kind;
            }
        }
        for (const Kind& kind : kKinds) {
            if (!named || named == &kind) inputs.push_back({name, bytes, &kind});
        }
    }
}

struct Measure {
    double ms = 1e30;
    uint64_t peakBytes = 0;
    const char* why = nullptr;
};

Measure Load(const Input& input) {
    Measure measure;
    for (int run = 0; run < kRuns; ++run) {
        os::SeedRand(kSeed);
        bench::ResetHeapPeak();
        const auto start = std::chrono::steady_clock::now();
        measure.why = input.kind->load(input.bytes);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        measure.ms = std::min(measure.ms, ms);
        measure.peakBytes = std::max(measure.peakBytes, bench::HeapPeakSinceReset());
    }
    return measure;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_minigames ROOT [FOLDER...]\n");
        return 2;
    }
    const fs::path root = argv[1];
    std::vector<Input> inputs;
    AddSample(root, inputs);
    AddCorpora(root, inputs);
    for (int i = 2; i < argc; ++i) AddFolder(argv[i], inputs);

    double worstMs = 0;
    uint64_t worstPeak = 0;
    std::printf("%-11s %-36s %9s %10s  %s\n", "kind", "configuration", "load ms", "peak KB", "result");
    for (const Input& input : inputs) {
        const Measure m = Load(input);
        std::printf("%-11s %-36s %9.3f %10.1f  %s\n", input.kind->name, input.label.c_str(), m.ms,
                    static_cast<double>(m.peakBytes) / 1024.0, m.why ? m.why : "loaded");
        worstMs = std::max(worstMs, m.ms);
        worstPeak = std::max(worstPeak, m.peakBytes);
    }
    std::printf("minigames: load %.1f peak %.1f\n", worstMs, static_cast<double>(worstPeak) / (1024.0 * 1024.0));
    return 0;
}
