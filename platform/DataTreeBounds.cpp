// The one pass over a saved file's bytes that counts its markup as the
// parser will read it, before the parser builds anything.

#include "platform/DataTreeBounds.h"

#include <algorithm>
#include <cstdio>

namespace DataTree {

namespace {

bool IsSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool IsBlank(std::string_view run) {
    for (char c : run)
        if (!IsSpace(static_cast<unsigned char>(c))) return false;
    return true;
}

// As the parser reads names: any byte from 127 up may be part of one.
bool IsNameStart(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 127;
}

bool IsNameChar(unsigned char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == ':';
}

// The bytes the parser takes at once at a byte that leads a UTF-8 sequence
// (0xC0, 0xC1 and from 0xF5 up lead none).
int SequenceLength(unsigned char c) {
    if (c >= 0xF0) return c <= 0xF4 ? 4 : 1;
    return c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 1;
}

// Where a value or text ends: what the parser must not take as part of a
// character.
bool EndsText(char c) { return c == '"' || c == '\'' || c == '<'; }

// The parser takes a whole UTF-8 sequence at its lead byte, whatever bytes
// follow. Where one of them ends a value or a text (a Latin-1 letter just
// before a closing quote), it would read past that end and the file
// otherwise than this pass, or not at all.
bool HidesMarkup(std::string_view text) {
    for (size_t at = 0; at < text.size(); ++at) {
        const int length = SequenceLength(static_cast<unsigned char>(text[at]));
        for (int next = 1; next < length; ++next)
            if (at + next >= text.size() || EndsText(text[at + next])) return true;
    }
    return false;
}

std::string Passes(const char* what, int64_t bound) {
    char why[96];
    std::snprintf(why, sizeof why, "more %s than %lld", what, static_cast<long long>(bound));
    return why;
}

// Counts the markup from '<' to '<' and the text between. The parser reads
// comments, character data and unknown markup ("<!DOCTYPE ...>") to their
// ends without looking inside, and quoted attribute values to their quotes;
// this pass does the same, so it skips nothing the parser builds.
class MarkupCount {
public:
    explicit MarkupCount(std::string_view text) : text_(text) {}

    std::string Run() {
        while (why_.empty() && at_ < text_.size()) {
            const size_t markup = std::min(text_.find('<', at_), text_.size());
            Text(text_.substr(at_, markup - at_));
            at_ = markup;
            if (why_.empty() && at_ < text_.size()) Markup();
        }
        return why_;
    }

private:
    bool Starts(std::string_view with) const { return text_.substr(at_, with.size()) == with; }
    char At(size_t offset) const { return at_ + offset < text_.size() ? text_[at_ + offset] : '\0'; }
    void SkipSpace() {
        while (at_ < text_.size() && IsSpace(static_cast<unsigned char>(text_[at_]))) ++at_;
    }
    void SkipPast(std::string_view end, size_t from) {
        size_t found = text_.find(end, at_ + from);
        at_ = found == std::string_view::npos ? text_.size() : found + end.size();
    }
    void Refuse(std::string why) { why_ = std::move(why); }

    void Markup() {
        if (At(1) == '/') return EndTag();
        if (!Counted()) return;
        if (Starts("<!--")) return SkipPast("-->", 4);
        if (Starts("<![CDATA[")) return SkipPast("]]>", 9);
        if (At(1) == '?') return Instruction();
        if (IsNameStart(static_cast<unsigned char>(At(1)))) return StartTag();
        SkipPast(">", 1);  // unknown markup, read to its first '>'
    }

    // The parser makes a node of each run of text inside an element, one cut
    // off by the end of the text too, but none of a run of blanks (the
    // game's indenting) nor of text outside every element (where it stops).
    void Text(std::string_view run) {
        if (depth_ > 0 && !IsBlank(run)) Counted();
    }

    bool Counted() {
        if (++elements_ > kMaxElements) Refuse(Passes("elements", kMaxElements));
        return why_.empty();
    }

    void EndTag() {
        if (--depth_ < 0) return Refuse("an end tag with no element open");
        SkipPast(">", 2);
    }

    bool SpaceAt(size_t at) const { return IsSpace(static_cast<unsigned char>(text_[at])); }

    // The parser reads the declaration's quoted values to their quotes and
    // any other instruction to its first '>'. Values that hold no blank,
    // quote or '>' end both readings at the same first '>'.
    void Instruction() {
        size_t end = text_.find('>', at_);
        if (end == std::string_view::npos) end = text_.size();
        for (size_t at = at_ + 2; at < end; ++at) {
            if (text_[at] != '"' && text_[at] != '\'') continue;
            at = ValueEnd(at, end);
            if (at == std::string_view::npos) return Refuse("a declaration the parser reads otherwise");
        }
        at_ = end + 1;
    }

    // The closing quote of an instruction's value whose opening quote is at
    // `at`: one that follows '=' and holds no blank or other quote before
    // `end`; npos for any other.
    size_t ValueEnd(size_t at, size_t end) const {
        size_t before = at;
        while (SpaceAt(before - 1)) --before;  // stops at the '?' at the latest
        if (text_[before - 1] != '=') return std::string_view::npos;
        for (size_t inside = at + 1; inside < end; ++inside) {
            if (text_[inside] == text_[at]) return inside;
            if (SpaceAt(inside) || text_[inside] == '"' || text_[inside] == '\'') break;
        }
        return std::string_view::npos;
    }

    // The parser builds the element one level below those open, whether its
    // tag stays open, closes itself or is cut off by the end of the text.
    void StartTag() {
        if (depth_ >= kMaxDepth) return Refuse(Passes("levels of elements", kMaxDepth));
        for (++at_; at_ < text_.size() && IsNameChar(static_cast<unsigned char>(text_[at_]));) ++at_;
        int64_t onElement = 0;
        while (why_.empty()) {
            SkipSpace();
            if (at_ >= text_.size()) return;
            if (text_[at_] == '/') {
                if (At(1) != '>') return Refuse("a tag the parser reads otherwise");
                at_ += 2;
                return;
            }
            if (text_[at_] == '>') {
                ++at_;
                ++depth_;
                return;
            }
            Attribute(++onElement);
        }
    }

    // The attribute at at_, the `number`th of its element.
    void Attribute(int64_t number) {
        const size_t name = at_;
        while (at_ < text_.size() && IsNameChar(static_cast<unsigned char>(text_[at_]))) ++at_;
        SkipSpace();
        if (at_ == name || At(0) != '=') return Refuse("a tag the parser reads otherwise");
        ++at_;
        SkipSpace();
        const char quote = At(0);
        const bool quoted = quote == '"' || quote == '\'';
        const size_t close = quoted ? text_.find(quote, at_ + 1) : std::string_view::npos;
        if (close == std::string_view::npos) return Refuse("an attribute value without its quotes");
        at_ = close + 1;
        lookups_ += number - 1;
        if (number > kMaxAttributesPerElement)
            return Refuse(Passes("attributes on one element", kMaxAttributesPerElement));
        if (++attributes_ > kMaxAttributes) return Refuse(Passes("attributes", kMaxAttributes));
        if (lookups_ > kMaxAttributeLookups) Refuse(Passes("attribute look-ups", kMaxAttributeLookups));
    }

    std::string_view text_;
    size_t at_ = 0;
    int64_t elements_ = 0;
    int64_t attributes_ = 0;
    int64_t lookups_ = 0;
    int depth_ = 0;
    std::string why_;
};

}  // namespace

std::string CheckBounds(std::string_view text) {
    if (text.size() > kMaxFileSize) return Passes("bytes", static_cast<int64_t>(kMaxFileSize));
    text = text.substr(0, text.find('\0'));
    if (HidesMarkup(text)) return "a byte the parser reads together with the quote or '<' behind it";
    return MarkupCount(text).Run();
}

}  // namespace DataTree
