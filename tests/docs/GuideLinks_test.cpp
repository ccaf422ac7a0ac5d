// The links of the author's guide and the README: every relative link must
// reach its page or file, and a link to a heading must find that heading
// under the anchor a Markdown viewer gives it. A page renamed, a heading
// reworded or a sample file moved leaves links that lead nowhere; this test
// names each one with the page it stands on.

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "support/SourceFiles.h"

namespace {

namespace fs = std::filesystem;

struct Link {
    int line = 0;
    std::string target;
};

// The lines of a page, those inside fenced code blocks left empty; with
// `blankCode` the code spans are emptied too, so that an example such as
// `a[i](x)` is not taken for a link. Line i + 1 of the page is entry i.
std::vector<std::string> ProseLines(const std::string& page, bool blankCode) {
    static const std::regex codeSpan("(`+)[\\s\\S]*?\\1");
    std::vector<std::string> lines;
    bool fenced = false;
    size_t start = 0;
    while (start < page.size()) {
        size_t end = page.find('\n', start);
        if (end == std::string::npos) end = page.size();
        std::string line = page.substr(start, end - start);
        start = end + 1;
        if (line.rfind("```", 0) == 0) {
            fenced = !fenced;
            line.clear();
        }
        if (fenced) line.clear();
        lines.push_back(blankCode ? std::regex_replace(line, codeSpan, "``") : line);
    }
    return lines;
}

// Inline links and pictures: [text](target) and ![text](target "title").
std::vector<Link> Links(const std::string& page) {
    static const std::regex link(R"(\]\(\s*<?([^)\s>]+)>?(?:\s+"[^"]*")?\s*\))");
    std::vector<Link> links;
    const std::vector<std::string> lines = ProseLines(page, true);
    for (size_t i = 0; i < lines.size(); ++i) {
        for (std::sregex_iterator it(lines[i].begin(), lines[i].end(), link), end; it != end; ++it)
            links.push_back({static_cast<int>(i) + 1, (*it)[1].str()});
    }
    return links;
}

// The anchor a heading gets: lower case, letters, digits, blanks, '-' and
// '_' kept (bytes of non-ASCII letters too), everything else dropped,
// blanks turned into '-'.
std::string Slug(const std::string& heading) {
    std::string slug;
    for (const char c : heading) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == ' ') slug += '-';
        else if (std::isalnum(byte) || c == '-' || c == '_' || byte >= 0x80) slug += static_cast<char>(std::tolower(byte));
    }
    return slug;
}

// The anchors of a page's headings; a heading that repeats an earlier one's
// anchor gets "-1", "-2", ... after it.
std::set<std::string> Anchors(const std::string& page) {
    static const std::regex heading(R"(^#{1,6}\s+(.*?)\s*#*\s*$)");
    std::set<std::string> anchors;
    std::map<std::string, int> seen;
    for (const std::string& line : ProseLines(page, false)) {
        std::smatch match;
        if (!std::regex_match(line, match, heading)) continue;
        // A code span's text counts, its backticks do not.
        const std::string base = Slug(match[1].str());
        const int count = seen[base]++;
        anchors.insert(count == 0 ? base : base + "-" + std::to_string(count));
    }
    return anchors;
}

bool IsExternal(const std::string& target) {
    static const std::regex scheme(R"(^[A-Za-z][A-Za-z0-9+.-]*:)");
    return std::regex_search(target, scheme);
}

// Why the link from `page` (a path in the source tree) leads nowhere; empty
// when it reaches its file and heading.
std::string Broken(const fs::path& page, const std::string& target) {
    const size_t hash = target.find('#');
    const std::string file = target.substr(0, hash);
    const std::string anchor = hash == std::string::npos ? std::string() : target.substr(hash + 1);
    const fs::path reached = file.empty() ? page : page.parent_path() / file;
    std::error_code error;
    if (!fs::exists(reached, error)) return "no file " + reached.lexically_normal().generic_string();
    if (anchor.empty()) return {};
    if (reached.extension() != ".md" || fs::is_directory(reached, error)) return "an anchor into no page";
    if (!Anchors(testsupport::ReadWholeFile(reached)).count(anchor)) return "no heading #" + anchor;
    return {};
}

// The guide's pages and the README, as paths in the source tree.
std::vector<fs::path> LinkedPages() {
    std::vector<fs::path> pages = {testsupport::SourceFolder("README.md")};
    for (const fs::directory_entry& entry : fs::directory_iterator(testsupport::SourceFolder("docs")))
        if (entry.path().extension() == ".md") pages.push_back(entry.path());
    return pages;
}

TEST(GuideLinks, EveryRelativeLinkReachesItsPageFileAndHeading) {
    const std::vector<fs::path> pages = LinkedPages();
    ASSERT_GE(pages.size(), 13u) << "the guide's pages are not where the test looks";
    int checked = 0, toHeadings = 0;
    std::vector<std::string> broken;
    for (const fs::path& page : pages) {
        for (const Link& link : Links(testsupport::ReadWholeFile(page))) {
            if (IsExternal(link.target)) continue;
            ++checked;
            if (link.target.find('#') != std::string::npos) ++toHeadings;
            const std::string why = Broken(page, link.target);
            if (!why.empty())
                broken.push_back(page.filename().string() + ":" + std::to_string(link.line) + " (" + link.target +
                                 "): " + why);
        }
    }
    // The pages link each other and the README shows pictures: a reader
    // that found none would prove nothing.
    EXPECT_GT(checked, 50);
    EXPECT_GT(toHeadings, 5);
    std::string list;
    for (const std::string& entry : broken) list += "\n  " + entry;
    EXPECT_TRUE(broken.empty()) << "links that lead nowhere:" << list;
}

// The reader above must see what a viewer sees: links outside code only,
// and anchors as a viewer spells them.
TEST(GuideLinks, TheCheckFindsLinksAndAnchorsAsAViewerDoes) {
    const std::string page =
        "# Title\n"
        "See [one](a.md#x-y) and ![pic](images/p.png \"the title\").\n"
        "Code: `[not](a link)` and ``[nor](this ` one)``.\n"
        "```\n"
        "[inside](fence.md)\n"
        "```\n"
        "## The sliding picture (`Mosaik`)\n"
        "## Where messages go\n"
        "## Where messages go\n";
    const std::vector<Link> links = Links(page);
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(links[0].target, "a.md#x-y");
    EXPECT_EQ(links[0].line, 2);
    EXPECT_EQ(links[1].target, "images/p.png");
    EXPECT_EQ(Anchors(page), (std::set<std::string>{"title", "the-sliding-picture-mosaik", "where-messages-go",
                                                    "where-messages-go-1"}));
    EXPECT_TRUE(IsExternal("https://example.org/page"));
    EXPECT_FALSE(IsExternal("docs/README.md#kept-true-by-tests"));

    // A broken link of each kind is named.
    const fs::path guide = testsupport::SourceFolder("docs/README.md");
    EXPECT_EQ(Broken(guide, "01-data-folders.md"), "");
    EXPECT_EQ(Broken(guide, "#kept-true-by-tests"), "");
    EXPECT_NE(Broken(guide, "01-data-folder.md"), "");
    EXPECT_NE(Broken(guide, "01-data-folders.md#no-such-heading"), "");
    EXPECT_NE(Broken(guide, "images/no-such-picture.png"), "");
}

}  // namespace
