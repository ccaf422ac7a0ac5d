// The author's guide in docs/ against the code it describes: the script
// functions the running game binds, the keys the mini-game readers take
// from their files and the data tree, and the elements and attributes of a
// scene description. A name added to the code without its line in the
// guide, or a line left for a name the code no longer has, fails here with
// the name.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "harness/HeadlessGame.h"
#include "script/runtime/execution/BinCode.h"
#include "script/runtime/machine/ScriptVM.h"
#include "support/SourceFiles.h"

namespace {

namespace fs = std::filesystem;
using Names = std::set<std::string>;

// ---- reading the guide ------------------------------------------------------------

struct Page {
    std::string name;
    std::string text;
};

std::vector<Page> GuidePages() {
    std::vector<Page> pages;
    for (const fs::directory_entry& entry : fs::directory_iterator(testsupport::SourceFolder("docs"))) {
        if (entry.path().extension() != ".md") continue;
        pages.push_back({entry.path().filename().string(), testsupport::ReadWholeFile(entry.path())});
    }
    std::sort(pages.begin(), pages.end(), [](const Page& a, const Page& b) { return a.name < b.name; });
    return pages;
}

Page GuidePage(const std::string& name) {
    return {name, testsupport::ReadWholeFile(testsupport::SourceFolder("docs/" + name))};
}

// The first captured group of every match in text.
std::vector<std::string> Captures(const std::string& text, const std::regex& pattern) {
    std::vector<std::string> found;
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
        found.push_back((*it)[1].str());
    return found;
}

// A function's row begins with its name and an opening bracket in code
// quotes: | `Transit(scene)` | ... Rows for module functions the game calls
// carry the module before a dot and so are not taken for bound functions.
const std::regex kFunctionRow(R"(\n\|\s*`([A-Za-z_][A-Za-z0-9_]*)\()");
// A key's row is one name in code quotes: | `stackposx` | ...
const std::regex kKeyRow(R"(\n\|\s*`([A-Za-z_][A-Za-z0-9_]*)`\s*\|)");
const std::regex kTreeKeyRow(R"(\n\|\s*`(\[PLAYER\]/Data/Minigames/[^`]*)`\s*\|)");
// The source files a section of the guide says it describes.
const std::regex kSourceMention(R"(((?:game|minigames)/(?:[a-z0-9]+/)?[A-Za-z0-9_]+\.(?:h|cpp)))");

// The page cut at its second-level headings; the text before the first
// heading is a section too.
std::vector<std::string> Sections(const std::string& text) {
    std::vector<std::string> sections;
    for (size_t start = 0;;) {
        const size_t end = text.find("\n## ", start);
        if (end == std::string::npos) {
            sections.push_back(text.substr(start));
            return sections;
        }
        sections.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

// ---- reading the code -------------------------------------------------------------

// The source without its comments and include lines, strings kept whole.
std::string WithoutComments(const std::string& source) {
    std::string kept;
    bool inString = false;
    for (size_t i = 0; i < source.size(); ++i) {
        const char c = source[i];
        if (inString) {
            kept += c;
            if (c == '\\' && i + 1 < source.size()) kept += source[++i];
            else if (c == '"') inString = false;
            continue;
        }
        if (c == '"') inString = true;
        if (c == '/' && i + 1 < source.size() && source[i + 1] == '/') {
            i = source.find('\n', i);
            if (i == std::string::npos) break;
            kept += '\n';
            continue;
        }
        if (c == '#' && (i == 0 || source[i - 1] == '\n')) {
            i = source.find('\n', i);
            if (i == std::string::npos) break;
            kept += '\n';
            continue;
        }
        kept += c;
    }
    return kept;
}

// The names a reader asks its XML for: every string literal that is one
// word, except the refusal reasons it returns.
Names ReaderKeys(const std::string& relativePath) {
    const std::string source = WithoutComments(testsupport::ReadWholeFile(testsupport::SourceFolder(relativePath)));
    static const std::regex literal(R"x((return\s+)?"([A-Za-z_][A-Za-z0-9_]*)")x");
    Names keys;
    for (std::sregex_iterator it(source.begin(), source.end(), literal), end; it != end; ++it)
        if (!(*it)[1].matched) keys.insert((*it)[2].str());
    return keys;
}

Names TreeKeys(const std::string& relativePath) {
    const std::string source = WithoutComments(testsupport::ReadWholeFile(testsupport::SourceFolder(relativePath)));
    static const std::regex literal(R"x("(\[PLAYER\]/Data/Minigames/[^"]*)")x");
    const std::vector<std::string> found = Captures(source, literal);
    return Names(found.begin(), found.end());
}

// The files below `folder`, its sub-folders too, whose names match.
std::vector<std::string> SourceFiles(const std::string& folder, const std::regex& name) {
    std::vector<std::string> files;
    const fs::path top = testsupport::SourceFolder(folder);
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(top)) {
        const std::string file = entry.path().filename().string();
        if (entry.is_regular_file() && std::regex_match(file, name))
            files.push_back(folder + "/" + fs::relative(entry.path(), top).generic_string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string Listed(const Names& names) {
    std::string text;
    for (const std::string& name : names) text += " " + name;
    return text;
}

Names Without(const Names& from, const Names& taken) {
    Names rest;
    std::set_difference(from.begin(), from.end(), taken.begin(), taken.end(), std::inserter(rest, rest.end()));
    return rest;
}

// ---- the key tables ---------------------------------------------------------------

// What the sections of one page say about the readers they name: the rows
// of each reader, and the rows of sections whose readers do not read them.
struct KeyTables {
    std::map<std::string, Names> rowsOfFile;  // reader file -> key rows of the sections naming it
    std::vector<std::string> strayRows;       // "page: key" rows no named reader reads
};

KeyTables ReadKeyTables(const Page& page, Names (*keysOf)(const std::string&), const std::regex& row) {
    KeyTables tables;
    for (const std::string& section : Sections(page.text)) {
        const std::vector<std::string> files = Captures(section, kSourceMention);
        if (files.empty()) continue;
        const std::vector<std::string> rows = Captures("\n" + section, row);
        Names read;
        for (const std::string& file : files) {
            const Names keys = keysOf(file);
            read.insert(keys.begin(), keys.end());
            tables.rowsOfFile[file].insert(rows.begin(), rows.end());
        }
        for (const std::string& key : rows)
            if (!read.count(key)) tables.strayRows.push_back(page.name + ": " + key);
    }
    return tables;
}

// Every key of every file in the section that names the file, and no row
// for a key none of the section's files reads.
void ExpectKeysDocumented(const Page& page, const std::vector<std::string>& files,
                          Names (*keysOf)(const std::string&), const std::regex& row) {
    const KeyTables tables = ReadKeyTables(page, keysOf, row);
    for (const std::string& file : files) {
        const Names keys = keysOf(file);
        if (keys.empty()) continue;
        const auto rows = tables.rowsOfFile.find(file);
        ASSERT_NE(rows, tables.rowsOfFile.end()) << file << " reads" << Listed(keys) << " but no section of docs/"
                                                 << page.name << " names the file";
        const Names missing = Without(keys, rows->second);
        EXPECT_TRUE(missing.empty()) << "docs/" << page.name << " lacks a row for what " << file
                                     << " reads:" << Listed(missing);
    }
    EXPECT_TRUE(tables.strayRows.empty()) << "rows for keys that the files named beside them do not read:"
                                          << Listed(Names(tables.strayRows.begin(), tables.strayRows.end()));
}

// ---- the tests --------------------------------------------------------------------

// The names bound in the script machine once the game has started: the
// core library's, the GUI's and the game's, as scripts see them.
Names BoundFunctions() {
    testsupport::HeadlessGame harness;
    EXPECT_TRUE(harness.Start());
    Names names;
    const Vrel::Var* bind = Vrel::ScriptVM::Global().GetRootModule()->GetMember("~bind");
    Vrel::BinCode* binds = bind ? Vrel::ToBinCode(*bind) : nullptr;
    if (!binds) return names;
    for (const auto& [name, value] : binds->GetMembers().GetMembers())
        if (value.GetBind()) names.insert(name);
    // The test harness's own recorder is no function of the game.
    names.erase(testsupport::HeadlessGame::kRecordFunction);
    return names;
}

TEST(AuthorGuide, ListsEveryBoundScriptFunctionOnce) {
    const Names bound = BoundFunctions();
    ASSERT_GT(bound.size(), 150u) << "the game did not bind its functions";
    std::map<std::string, std::vector<std::string>> rows;
    for (const Page& page : GuidePages())
        for (const std::string& name : Captures(page.text, kFunctionRow)) rows[name].push_back(page.name);

    Names listed, twice;
    for (const auto& [name, pages] : rows) {
        listed.insert(name);
        if (pages.size() > 1) twice.insert(name);
    }
    EXPECT_TRUE(Without(bound, listed).empty())
        << "bound script functions without a row in docs/:" << Listed(Without(bound, listed));
    EXPECT_TRUE(Without(listed, bound).empty())
        << "rows in docs/ for functions nothing binds:" << Listed(Without(listed, bound));
    EXPECT_TRUE(twice.empty()) << "functions with more than one row in docs/:" << Listed(twice);
}

TEST(AuthorGuide, ListsEveryKeyTheMiniGameReadersTake) {
    const Page page = GuidePage("08-minigames.md");
    ASSERT_FALSE(page.text.empty());
    const std::vector<std::string> readers = SourceFiles("minigames", std::regex(R"(.*Config\.cpp)"));
    ASSERT_GE(readers.size(), 7u);
    ExpectKeysDocumented(page, readers, &ReaderKeys, kKeyRow);
}

TEST(AuthorGuide, ListsEveryDataTreeValueTheMiniGamesRead) {
    const Page page = GuidePage("08-minigames.md");
    ASSERT_FALSE(page.text.empty());
    const std::vector<std::string> files = SourceFiles("minigames", std::regex(R"(.*\.(h|cpp))"));
    ExpectKeysDocumented(page, files, &TreeKeys, kTreeKeyRow);
}

TEST(AuthorGuide, ListsEveryElementAndAttributeOfASceneDescription) {
    const Page page = GuidePage("03-scenes.md");
    ASSERT_FALSE(page.text.empty());
    ExpectKeysDocumented(page, {"game/scene/SceneFile.cpp"}, &ReaderKeys, kKeyRow);
}

// The checks above must see what they check: a reader's key literal, a
// data-tree literal and a row of each kind.
TEST(AuthorGuide, TheChecksSeeKeysAndRows) {
    const Names match3 = ReaderKeys("minigames/match3/Match3Config.cpp");
    EXPECT_TRUE(match3.count("stackposx"));
    EXPECT_TRUE(match3.count("tilecount"));
    EXPECT_FALSE(match3.count("no background file"));
    EXPECT_TRUE(TreeKeys("minigames/match3/MG_Match3.h").count("[PLAYER]/Data/Minigames/Match3/Config"));
    EXPECT_EQ(Captures("\n| `Transit(scene)` | x |\n| `help.Create()` | y |", kFunctionRow),
              std::vector<std::string>{"Transit"});
    EXPECT_EQ(Captures("\n| `countx` | x |\n| `Scenes/F/S.xml` | y |", kKeyRow), std::vector<std::string>{"countx"});
    EXPECT_EQ(WithoutComments("a // \"b\"\n#include \"c\"\n\"d // e\""), "a \n\n\"d // e\"");
}

}  // namespace
