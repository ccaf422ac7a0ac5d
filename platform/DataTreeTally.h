#pragma once
// Internal to the data tree: what a saved document comes to in its file,
// counted as the bounds of DataTreeBounds.h count a file. Kept for each
// saved document as it changes, so that a change that would take its file
// past a bound is refused where it is made, not at every save after it;
// and counted once for a document read from a file, so that one that would
// print past the bounds is refused at load rather than at its first save.

#include <tinyxml.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace DataTree::detail {

struct Tally {
    // Every node but the document itself: elements, texts, comments,
    // declarations; the bound of elements holds them all.
    int64_t nodes = 0;
    int64_t attributes = 0;
    int64_t mostOnElement = 0;
    // The parser's look-ups among the attributes of each element.
    int64_t lookups = 0;
    // Levels of elements, the deepest element's own among them.
    int64_t depth = 0;
    // As the printer writes the document: exactly for what it has met,
    // at most a few bytes more after changes, never fewer.
    int64_t bytes = 0;
};

// A saved document and its tally; `document` is null until it is counted.
struct CountedDocument {
    const TiXmlDocument* document = nullptr;
    Tally tally;
};

Tally CountDocument(const TiXmlDocument& document);

// Empty within every bound; otherwise the bound passed, worded as the
// bounds pass words it ("more attributes than 100000").
std::string PassedBound(const Tally& tally);

// The setters' guards, for the elements of the saved documents (any other
// element is free): false, changing nothing, with one line on the log that
// names `key` and the bound, when the change would take its file past a
// bound. KeepAttribute sets the attribute itself, so that it is looked up
// once; without a key the line names the element and the attribute.
bool MayAddElement(const TiXmlElement& parent, const std::string& name, std::string_view key);
bool KeepAttribute(TiXmlElement& element, const std::string& name, const char* value, std::string_view key);

// After a change the tallies do not follow (a removal, a document
// replaced): each is counted again when next needed.
void ForgetTallies();

}  // namespace DataTree::detail
