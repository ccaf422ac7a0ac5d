// Saved-file loading: the worst player file ("data0.xml") and game data
// ("gamedata.xml") within each bound of platform/DataTreeBounds.h (most
// attributes on one element and the most look-ups among them, with long
// names alike but for their ends; most attributes; most elements; the
// largest file, in one value and spread over every attribute; the deepest
// nesting), each loaded at start-up through DataTree::Load. Each load is
// timed (the best of a few runs) in wall-clock and processor time, with its
// heap high mark; the last line gives the worst processor time, as a shared
// machine stretches the wall-clock time several fold, and the worst high
// mark. Two files past the bounds (200,000 attributes on one element, 50 MB
// of empty elements) show how quickly they are refused. Then the setters as
// scripts call them, each checked against the same bounds: one value set
// again and again (a counter), and new values, each a key of its own; the
// last line gives the time of one call of each.

#include "HeapPeak.h"

#include "platform/DataTree.h"
#include "platform/DataTreeBounds.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Best of this many runs per file: a shared machine adds noise, never
// takes it away.
constexpr int kRuns = 3;
// Attribute names as long as a path segment may be, alike but for their
// last digits: the parser's look-ups compare them to the end.
constexpr size_t kNameLength = DataTree::kMaxSegment - 1;

constexpr const char* kDeclaration = "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n";
// The declaration and the root count among the elements.
constexpr int64_t kFrameElements = 2;

std::string Document(const std::string& body) { return kDeclaration + std::string("<root>") + body + "</root>\n"; }

void AppendName(std::string& body, int64_t number, bool longName) {
    const std::string digits = std::to_string(number);
    body += 'a';
    if (longName) body.append(kNameLength - 1 - digits.size(), 'x');
    body += digits;
}

// `count` attributes, `perElement` on each element, with long names or
// short ones and values of `valueLength` bytes.
std::string Attributes(int64_t count, int64_t perElement, bool longNames, size_t valueLength) {
    std::string body;
    const std::string value(valueLength, 'v');
    for (int64_t n = 0; n < count; ++n) {
        if (n % perElement == 0) body += n ? "/>\n<e" : "<e";
        body += ' ';
        AppendName(body, n % perElement, longNames);
        body.append("=\"").append(value).append("\"");
    }
    return body + "/>\n";
}

std::string Elements(int64_t count) {
    std::string body;
    for (int64_t n = 0; n < count; ++n) body += "<e/>";
    return body;
}

std::string Nested(int depth) {
    std::string body;
    for (int level = 1; level < depth; ++level) body += "<e>";
    for (int level = 1; level < depth; ++level) body += "</e>";
    return body;
}

struct Case {
    const char* what;
    std::string bytes;
    bool accepted;
};

std::vector<Case> Cases() {
    using namespace DataTree;
    const int64_t perElement = kMaxAttributesPerElement;
    const int64_t fullElements = kMaxAttributeLookups / (perElement * (perElement - 1) / 2);
    // Each attribute " a<n>=\"...\"" takes its name, four bytes and its value.
    const size_t spreadValue = (kMaxFileSize - 4096) / kMaxAttributes - 12;
    std::string emptyElements;
    for (size_t n = 0; n < (size_t(50) << 20) / 4; ++n) emptyElements += "<e/>";
    return {
        {"attributes on one element", Document(Attributes(perElement, perElement, true, 1)), true},
        {"look-ups", Document(Attributes(fullElements * perElement, perElement, true, 1)), true},
        {"attributes", Document(Attributes(kMaxAttributes, 10, false, 1)), true},
        {"elements", Document(Elements(kMaxElements - kFrameElements)), true},
        {"size in one value", Document("<e a=\"" + std::string(kMaxFileSize - 4096, 'v') + "\"/>"), true},
        {"size in every attribute", Document(Attributes(kMaxAttributes, 10, false, spreadValue)), true},
        {"depth", Document(Nested(kMaxDepth)), true},
        {"200,000 attributes on one element", Document(Attributes(200000, 200000, false, 1)), false},
        {"50 MB of empty elements", Document(emptyElements), false},
    };
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A profile in slot 0, opened at start, so that its player file is read.
const char* kGameDataWithPlayer =
    "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<root><profiles><slot0 name=\"A\"><options /><stats /><logs />"
    "</slot0></profiles><global last_slot=\"0\" /><options /></root>\n";

struct Measure {
    double ms = 1e30;
    double cpuMs = 1e30;
    uint64_t peakBytes = 0;
    bool accepted = true;
};

Measure Load(const fs::path& user, const char* name, const std::string& bytes) {
    Measure measure;
    for (int run = 0; run < kRuns; ++run) {
        fs::remove_all(user);
        fs::create_directories(user);
        WriteFile(user / "gamedata.xml", kGameDataWithPlayer);
        WriteFile(user / name, bytes);
        DataTree::Init();
        bench::ResetHeapPeak();
        const auto start = std::chrono::steady_clock::now();
        const std::clock_t cpuStart = std::clock();
        DataTree::Load(user.string());
        const double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        measure.ms = std::min(measure.ms, ms);
        measure.cpuMs = std::min(measure.cpuMs, cpuMs);
        measure.peakBytes = std::max(measure.peakBytes, bench::HeapPeakSinceReset());
        measure.accepted = DataTree::TakeDamagedFile().empty();
        while (!DataTree::TakeDamagedFile().empty()) {
        }
    }
    DataTree::Init();
    return measure;
}

struct SetterTimes {
    double againNs = 1e30;
    double newNs = 1e30;
};

double NanosecondsSince(std::chrono::steady_clock::time_point start, int calls) {
    return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() / calls;
}

// In a player's game of a few hundred values; the new ones fill an element
// of their own up to its bound.
SetterTimes TimeSetters(const fs::path& user) {
    constexpr int kCallsAgain = 1000000;
    SetterTimes times;
    std::vector<std::string> newKeys;
    for (int64_t n = 0; n < DataTree::kMaxAttributesPerElement; ++n)
        newKeys.push_back("[PLAYER]/Data/Chapter/key" + std::to_string(n));
    for (int run = 0; run < kRuns; ++run) {
        fs::remove_all(user);
        fs::create_directories(user);
        WriteFile(user / "gamedata.xml", kGameDataWithPlayer);
        WriteFile(user / "data0.xml", Document(Attributes(300, 30, false, 8)));
        DataTree::Init();
        DataTree::Load(user.string());
        auto start = std::chrono::steady_clock::now();
        for (int n = 0; n < kCallsAgain; ++n) DataTree::SetInt("[PLAYER]/Data/counter", n);
        times.againNs = std::min(times.againNs, NanosecondsSince(start, kCallsAgain));
        start = std::chrono::steady_clock::now();
        for (const std::string& key : newKeys) DataTree::SetInt(key.c_str(), 1);
        times.newNs = std::min(times.newNs, NanosecondsSince(start, static_cast<int>(newKeys.size())));
    }
    DataTree::Init();
    return times;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_datatree USER_FOLDER\n");
        return 2;
    }
    const fs::path user = argv[1];
    double worstMs = 0;
    uint64_t worstPeak = 0;
    bool asExpected = true;
    std::vector<std::string> lines;
    for (const Case& file : Cases()) {
        for (const char* name : {"data0.xml", "gamedata.xml"}) {
            const Measure m = Load(user, name, file.bytes);
            char line[200];
            std::snprintf(line, sizeof line, "%-34s %-13s %8.1f %9.1f %9.1f %8.1f  %s", file.what, name,
                          static_cast<double>(file.bytes.size()) / (1024.0 * 1024.0), m.ms, m.cpuMs,
                          static_cast<double>(m.peakBytes) / (1024.0 * 1024.0), m.accepted ? "read" : "refused");
            lines.push_back(line);
            if (m.accepted != file.accepted) {
                lines.back() += file.accepted ? "  (should read)" : "  (should be refused)";
                asExpected = false;
            }
            if (file.accepted) {
                worstMs = std::max(worstMs, m.cpuMs);
                worstPeak = std::max(worstPeak, m.peakBytes);
            }
        }
    }
    const SetterTimes setters = TimeSetters(user);
    fs::remove_all(user);
    std::printf("%-34s %-13s %8s %9s %9s %8s  %s\n", "file", "as", "MB", "load ms", "cpu ms", "peak MB", "result");
    for (const std::string& line : lines) std::printf("%s\n", line.c_str());
    std::printf("setters: a value set again %.0f ns, a new value %.0f ns\n", setters.againNs, setters.newNs);
    std::printf("datatree: load %.1f peak %.1f set %.0f new %.0f\n", worstMs,
                static_cast<double>(worstPeak) / (1024.0 * 1024.0), setters.againNs, setters.newNs);
    return asExpected ? 0 : 1;
}
