#pragma once
// The committed text source of a localisation table: UTF-8, one text a line.
//
//     # a comment (also after blank space)
//     game_title = Tavrin
//     greeting = First line\nsecond line
//
// The key runs up to the first '=' (blank space around it is dropped) and
// may not hold blank space or begin with '#', the mark that makes a text a
// key at run time. The text is the rest of the line without its outer blank
// space; "\n" stands for a line break, "\t" for a tab, "\\" for a backslash
// and "\s" for a space kept at either end. A byte-order mark, CR LF line
// ends and blank lines are accepted.

#include "tools/datawriters/LocaTableWriter.h"

#include <string>
#include <string_view>

class LocaSource {
public:
    // Longest key: keys are names in scripts and layouts, not texts.
    static constexpr size_t kMaxKeyLength = 255;

    // Adds every text of the source to `table`. Empty on success, else the
    // first fault as "line N: what is wrong"; the table is then incomplete
    // and must not be written.
    static std::string Read(std::string_view source, LocaTableWriter& table);

    // True for well-formed UTF-8 whose characters the game can show (none
    // beyond U+FFFF, no surrogates, no NUL).
    static bool IsShowableUtf8(std::string_view text);
};
