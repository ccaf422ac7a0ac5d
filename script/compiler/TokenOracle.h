#pragma once
// Decides which operator row a token is, which needs a look at what follows
// it: a binary or prefix operator only stands before an operand, a postfix
// one only where none starts. The looks ahead are answered from memo tables
// filled along an explicit work list, so a run of operator characters costs
// linear time and no recursion, and they never touch the lexer's own state.
// Every look ahead goes forward from where the lexer stands, so the tables
// cover only a window from there to as far as a look ahead has reached.

#include "script/compiler/OpTable.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Vrel {

class TokenOracle {
public:
    // A row of the first-byte index: its text's length and whether that
    // text ends in a word character, worked out once for every position.
    struct IndexedRow {
        const OpRow* row;
        size_t length;
        bool endsInWordChar;
        // Whether the row's kind is matched at all, by operand state: bit 0
        // where no operand stands before, bit 1 behind one.
        uint8_t matchedWhen;
        bool IsMatched(bool afterOperand) const { return (matchedWhen >> afterOperand) & 1; }
    };
    struct Candidate {
        const OpRow* row;
        size_t length;
    };

    TokenOracle(const char* text, size_t length);

    // The operator, bracket or keyword row that the text at pos is, given
    // whether the token before it is an operand; null when none fits.
    const OpRow* RowAt(size_t pos, bool afterOperand);
    // The text length of a row RowAt gave, without counting its bytes again.
    size_t TextLength(const OpRow* row) const { return textLengths_[row - OpTable]; }

    static bool IsOperandRow(const OpRow& row) {
        return row.kind == OT_VALUE || row.kind == OT_NAME || row.kind == OT_POSTFIX ||
               row.subKind == OST_CLOSE_PAREN || row.subKind == OST_CLOSE_BRACKET;
    }

private:
    // How a look ahead treats a line comment: as running to the end of the
    // text (the long-standing reading), or only to the end of its line (tried
    // when the first reading keeps no candidate).
    enum Reading : uint8_t { kCommentToEnd = 0, kCommentToLineEnd = 1 };

    struct Query {
        bool startsOperand;  // else: which row is at pos
        bool afterOperand;
        Reading reading;
        size_t pos;
    };

    void Resolve(const Query& query);
    bool IsKnown(const Query& query) const;
    // Computes and stores the answer, or names one query it still needs.
    bool TryEvaluate(const Query& query, Query& missing);
    bool TryRow(size_t pos, bool afterOperand, Query& missing);
    bool TryStartsOperand(size_t pos, bool afterOperand, Reading reading, Query& missing);
    // Which candidates stay under one reading; false when a look ahead is
    // still unknown.
    bool TryKeep(size_t pos, const std::vector<Candidate>& candidates, Reading reading,
                 std::vector<bool>& kept, Query& missing);
    // Whether an operand starts at pos (2 yes, 1 no), read straight from the
    // text when only blanks and a token needing no look ahead come first;
    // 0 when the memo tables must decide.
    int8_t QuickStartsOperand(size_t pos, bool afterOperand) const;
    // The row at pos, when every look ahead its candidates need is read
    // straight from the text; false (best meaningless) when one is not.
    bool QuickRow(size_t pos, bool afterOperand, const OpRow*& best) const;
    const OpRow* LongestMatch(size_t pos, bool afterOperand) const;
    void MatchCandidates(size_t pos, bool afterOperand, std::vector<Candidate>& out) const;
    bool Matches(size_t pos, const IndexedRow& entry) const;

    // Drops the window's entries before pos once they are half of it.
    void SlideWindow(size_t pos);
    void SetRowMemo(size_t pos, bool afterOperand, int8_t answer);
    void SetStartsMemo(size_t pos, bool afterOperand, Reading reading, int8_t answer);
    int8_t RowMemo(size_t pos, bool afterOperand) const;
    int8_t StartsMemo(size_t pos, bool afterOperand, Reading reading) const;

    const char* text_;
    size_t length_;
    // The shared first-byte index, found once per oracle instead of per look.
    const std::vector<IndexedRow>* rowsByFirstByte_;
    // Per first byte: whether a row starting with it may need a look ahead.
    const bool* mayNeedLookAhead_;
    // Per table row: the length of its text.
    const size_t* textLengths_;
    // The text position of the windows' first entries.
    size_t windowStart_ = 0;
    // Row index + 2 (1: no row, 0: unknown), per position and operand state.
    std::vector<int8_t> rows_;
    // 2 yes, 1 no, 0 unknown, per position, operand state and reading.
    std::vector<int8_t> starts_;
    std::vector<Query> work_;
    std::vector<Candidate> candidates_;
    std::vector<bool> kept_;
};

}  // namespace Vrel
