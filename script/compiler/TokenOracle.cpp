#include "script/compiler/TokenOracle.h"

#include "script/compiler/Ascii.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

namespace Vrel {

namespace {

bool IsMatchedKind(int32_t kind, bool afterOperand) {
    switch (kind) {
        case OT_SYS:
        case OT_KEYWORD: return true;
        case OT_BINARY:
        case OT_POSTFIX: return afterOperand;
        case OT_PREFIX: return !afterOperand;
        default: return false;
    }
}

bool NeedsLookAhead(int32_t kind) { return kind == OT_BINARY || kind == OT_PREFIX || kind == OT_POSTFIX; }

bool StartsOperandRow(const OpRow& row) {
    return row.subKind == OST_OPEN_PAREN || row.subKind == OST_OPEN_BRACE || row.kind == OT_PREFIX;
}

using IndexedRow = TokenOracle::IndexedRow;

// The rows by the first byte of their text, each list in table order: a
// position is matched only against the rows that can begin there. Rows of
// kinds no text is ever matched as (the tree's own node names, most of them
// words) are left out, so that a name is not compared with them. 256 lists,
// built once.
const std::vector<IndexedRow>* RowsByFirstByte() {
    static const auto* index = [] {
        auto* rows = new std::array<std::vector<IndexedRow>, 256>;
        for (const OpRow* row = OpTable; row->text; ++row) {
            if (!*row->text) continue;
            const size_t length = std::strlen(row->text);
            const auto matchedWhen =
                static_cast<uint8_t>(IsMatchedKind(row->kind, false) | IsMatchedKind(row->kind, true) << 1);
            if (matchedWhen == 0) continue;
            (*rows)[static_cast<unsigned char>(*row->text)].push_back(
                {row, length, Ascii::IsWordChar(row->text[length - 1]), matchedWhen});
        }
        return rows;
    }();
    return index->data();
}

// Whether a row beginning with this byte may need a look ahead. Where none
// can (words, brackets, separators), the longest matching row is the answer
// and the memo tables need not be consulted.
const bool* LookAheadBytes() {
    static const auto* table = [] {
        auto* needs = new std::array<bool, 256>{};
        for (const OpRow* row = OpTable; row->text; ++row)
            if (*row->text && NeedsLookAhead(row->kind)) (*needs)[static_cast<unsigned char>(*row->text)] = true;
        return needs;
    }();
    return table->data();
}

// The text length of every table row, counted once.
const size_t* TextLengths() {
    static const auto* lengths = [] {
        auto* table = new std::vector<size_t>;
        for (const OpRow* row = OpTable; row->text; ++row) table->push_back(std::strlen(row->text));
        return table;
    }();
    return lengths->data();
}

}  // namespace

TokenOracle::TokenOracle(const char* text, size_t length)
    : text_(text), length_(length), rowsByFirstByte_(RowsByFirstByte()), mayNeedLookAhead_(LookAheadBytes()),
      textLengths_(TextLengths()) {}

void TokenOracle::SlideWindow(size_t pos) {
    if (pos < windowStart_) {
        // Asked behind the window: the answers are the text's alone, so they
        // are simply worked out again.
        rows_.clear();
        starts_.clear();
        windowStart_ = pos;
        return;
    }
    if (pos == windowStart_) return;
    const size_t behind = pos - windowStart_;
    const size_t covered = std::max(rows_.size() / 2, starts_.size() / 4);
    if (behind >= covered) {
        rows_.clear();
        starts_.clear();
    } else if (2 * behind >= covered) {
        rows_.erase(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(std::min(rows_.size(), 2 * behind)));
        starts_.erase(starts_.begin(),
                      starts_.begin() + static_cast<std::ptrdiff_t>(std::min(starts_.size(), 4 * behind)));
    } else {
        return;
    }
    windowStart_ = pos;
}

void TokenOracle::SetRowMemo(size_t pos, bool afterOperand, int8_t answer) {
    const size_t at = 2 * (pos - windowStart_) + afterOperand;
    if (at >= rows_.size()) rows_.resize(at + 1, 0);
    rows_[at] = answer;
}

void TokenOracle::SetStartsMemo(size_t pos, bool afterOperand, Reading reading, int8_t answer) {
    const size_t at = 4 * (pos - windowStart_) + 2 * reading + afterOperand;
    if (at >= starts_.size()) starts_.resize(at + 1, 0);
    starts_[at] = answer;
}

int8_t TokenOracle::RowMemo(size_t pos, bool afterOperand) const {
    const size_t at = 2 * (pos - windowStart_) + afterOperand;
    return at < rows_.size() ? rows_[at] : 0;
}

int8_t TokenOracle::StartsMemo(size_t pos, bool afterOperand, Reading reading) const {
    const size_t at = 4 * (pos - windowStart_) + 2 * reading + afterOperand;
    return at < starts_.size() ? starts_[at] : 0;
}

const OpRow* TokenOracle::RowAt(size_t pos, bool afterOperand) {
    if (pos >= length_) return nullptr;
    if (!mayNeedLookAhead_[static_cast<unsigned char>(text_[pos])]) return LongestMatch(pos, afterOperand);
    const OpRow* quick = nullptr;
    if (QuickRow(pos, afterOperand, quick)) return quick;
    SlideWindow(pos);
    Resolve({false, afterOperand, kCommentToEnd, pos});
    int8_t memo = RowMemo(pos, afterOperand);
    return memo >= 2 ? &OpTable[memo - 2] : nullptr;
}

void TokenOracle::Resolve(const Query& query) {
    work_.clear();
    work_.push_back(query);
    while (!work_.empty()) {
        Query top = work_.back();
        if (IsKnown(top)) {
            work_.pop_back();
            continue;
        }
        Query missing{};
        if (TryEvaluate(top, missing)) work_.pop_back();
        else work_.push_back(missing);
    }
}

bool TokenOracle::IsKnown(const Query& query) const {
    if (query.startsOperand) return StartsMemo(query.pos, query.afterOperand, query.reading) != 0;
    return RowMemo(query.pos, query.afterOperand) != 0;
}

bool TokenOracle::TryEvaluate(const Query& query, Query& missing) {
    if (query.startsOperand) return TryStartsOperand(query.pos, query.afterOperand, query.reading, missing);
    return TryRow(query.pos, query.afterOperand, missing);
}

// The entry comes from the index of the byte at pos, so its first byte
// matches already. The text ends in a zero byte: a comparison stops there.
bool TokenOracle::Matches(size_t pos, const IndexedRow& entry) const {
    const char* at = text_ + pos;
    const char* rowText = entry.row->text;
    for (size_t i = 1; i < entry.length; ++i)
        if (at[i] != rowText[i]) return false;
    return !entry.endsInWordChar || !Ascii::IsWordChar(at[entry.length]);
}

void TokenOracle::MatchCandidates(size_t pos, bool afterOperand, std::vector<Candidate>& out) const {
    out.clear();
    for (const IndexedRow& entry : rowsByFirstByte_[static_cast<unsigned char>(text_[pos])])
        if (entry.IsMatched(afterOperand) && Matches(pos, entry)) out.push_back({entry.row, entry.length});
}

// Choose with every candidate kept, without building the candidate list.
const OpRow* TokenOracle::LongestMatch(size_t pos, bool afterOperand) const {
    const OpRow* best = nullptr;
    size_t bestLength = 0;
    for (const IndexedRow& entry : rowsByFirstByte_[static_cast<unsigned char>(text_[pos])])
        if (entry.length > bestLength && entry.IsMatched(afterOperand) && Matches(pos, entry)) {
            best = entry.row;
            bestLength = entry.length;
        }
    return best;
}

bool TokenOracle::TryKeep(size_t pos, const std::vector<Candidate>& candidates, Reading reading,
                          std::vector<bool>& kept, Query& missing) {
    kept.assign(candidates.size(), true);
    for (size_t i = 0; i < candidates.size(); ++i) {
        const OpRow& row = *candidates[i].row;
        if (!NeedsLookAhead(row.kind)) continue;
        size_t behind = pos + candidates[i].length;
        bool operandBehind = row.kind == OT_POSTFIX;
        int8_t memo = StartsMemo(behind, operandBehind, reading);
        if (memo == 0) memo = QuickStartsOperand(behind, operandBehind);
        if (memo == 0) {
            missing = {true, operandBehind, reading, behind};
            return false;
        }
        bool startsOperand = memo == 2;
        kept[i] = row.kind == OT_POSTFIX ? !startsOperand : startsOperand;
    }
    return true;
}

// Longest kept candidate, the earlier row on equal length. Candidates come
// in row order, so a later one wins only when strictly longer.
static const OpRow* Choose(const std::vector<TokenOracle::Candidate>& candidates, const std::vector<bool>& kept) {
    const OpRow* best = nullptr;
    size_t bestLength = 0;
    for (size_t i = 0; i < candidates.size(); ++i) {
        if (!kept[i] || candidates[i].length <= bestLength) continue;
        best = candidates[i].row;
        bestLength = candidates[i].length;
    }
    return best;
}

bool TokenOracle::TryRow(size_t pos, bool afterOperand, Query& missing) {
    // Scratch lists of the oracle: TryRow runs to its end before the next.
    std::vector<Candidate>& candidates = candidates_;
    MatchCandidates(pos, afterOperand, candidates);
    std::vector<bool>& kept = kept_;
    if (!TryKeep(pos, candidates, kCommentToEnd, kept, missing)) return false;
    const OpRow* best = Choose(candidates, kept);
    if (!best && !candidates.empty()) {
        // Nothing fits when a line comment is taken to hide the rest of the
        // text: look again with the comment ending at its line, so that an
        // operand on the next line counts.
        if (!TryKeep(pos, candidates, kCommentToLineEnd, kept, missing)) return false;
        best = Choose(candidates, kept);
    }
    SetRowMemo(pos, afterOperand, static_cast<int8_t>(best ? (best - OpTable) + 2 : 1));
    return true;
}

// TryRow without the memo tables, for the common case where every look
// ahead a candidate needs is answered straight from the text. Such answers
// hold under both readings of a line comment, so the second reading could
// not change the choice. A candidate no longer than the best kept one so far
// cannot win and needs no look ahead; any other that QuickStartsOperand
// cannot answer leaves the choice to the memo tables.
bool TokenOracle::QuickRow(size_t pos, bool afterOperand, const OpRow*& best) const {
    best = nullptr;
    size_t bestLength = 0;
    for (const IndexedRow& entry : rowsByFirstByte_[static_cast<unsigned char>(text_[pos])]) {
        if (entry.length <= bestLength || !entry.IsMatched(afterOperand) || !Matches(pos, entry))
            continue;
        const OpRow& row = *entry.row;
        if (NeedsLookAhead(row.kind)) {
            const bool operandBehind = row.kind == OT_POSTFIX;
            const int8_t startsOperand = QuickStartsOperand(pos + entry.length, operandBehind);
            if (startsOperand == 0) return false;
            if ((startsOperand == 2) == operandBehind) continue;
        }
        best = &row;
        bestLength = entry.length;
    }
    return true;
}

// TryStartsOperand's first steps, for the common case: blanks, then a
// literal or a token that needs no look ahead. Comments (and a '*' that may
// end one) and operators leave the answer to the memo tables, where both
// readings of a line comment are told apart.
int8_t TokenOracle::QuickStartsOperand(size_t pos, bool afterOperand) const {
    size_t at = pos;
    while (at < length_ && (text_[at] == ' ' || Ascii::IsSkippable(text_[at]))) ++at;
    if (at >= length_) return 1;
    const char c = text_[at];
    if (c == '"' || Ascii::IsDigit(c)) return 2;
    if (c == '/' || c == '*' || mayNeedLookAhead_[static_cast<unsigned char>(c)]) return 0;
    if (const OpRow* row = LongestMatch(at, afterOperand)) return StartsOperandRow(*row) ? 2 : 1;
    return Ascii::IsWordStart(c) ? 2 : 0;
}

// Scans from pos over blanks, comments and stray bytes to the next token, on
// a private comment state, and tells whether that token starts an operand.
bool TokenOracle::TryStartsOperand(size_t pos, bool afterOperand, Reading reading, Query& missing) {
    int commentDepth = 0;
    bool inLineComment = false;
    bool answer = false;
    size_t at = pos;
    while (at < length_) {
        char c = text_[at];
        if (inLineComment) {
            if (c == '\n') inLineComment = false;
            ++at;
            continue;
        }
        if (c == '/' && text_[at + 1] == '/') {
            if (reading == kCommentToEnd) break;
            inLineComment = true;
            at += 2;
            continue;
        }
        if (c == '/' && text_[at + 1] == '*') {
            ++commentDepth;
            at += 2;
            continue;
        }
        if (c == '*' && text_[at + 1] == '/') {
            if (commentDepth == 0) break;  // a stray comment end: the lexer reports it
            --commentDepth;
            at += 2;
            continue;
        }
        if (commentDepth > 0 || c == ' ' || Ascii::IsSkippable(c)) {
            ++at;
            continue;
        }
        if (c == '"' || Ascii::IsDigit(c)) {
            answer = true;
            break;
        }
        int8_t memo = RowMemo(at, afterOperand);
        if (memo == 0) {
            missing = {false, afterOperand, kCommentToEnd, at};
            return false;
        }
        if (memo >= 2) {
            answer = StartsOperandRow(OpTable[memo - 2]);
            break;
        }
        if (Ascii::IsWordStart(c)) {
            answer = true;  // a name, a literal word or a system variable
            break;
        }
        // Starts no token (the lexer reports it when it gets there): the
        // answer is the one for the next character, which the memo may
        // already hold; rescanning here would make runs quadratic.
        int8_t rest = at + 1 < length_ ? StartsMemo(at + 1, afterOperand, reading) : 1;
        if (rest == 0) {
            missing = {true, afterOperand, reading, at + 1};
            return false;
        }
        answer = rest == 2;
        break;
    }
    SetStartsMemo(pos, afterOperand, reading, answer ? 2 : 1);
    return true;
}

}  // namespace Vrel
