// Tokenizer of the VHDL scanner: cuts one line into tokens at white space
// " \t\r" and the delimiters ";(),:=" (each a token of its own). A token
// starting with "--" ends the line, and so does a zero byte (a line is the
// text up to it).
//
// Invariants: the line is the caller's, writable, and ends in "\n", which
// stops every loop without a bound check. A token is not copied: the byte
// behind it is replaced by a zero byte while the token is handed out and
// put back by the next call, so the line is whole again between tokens.
// next() is inline: it runs once per token.
#ifndef KT_SRC_VHDL_VHDL_LEXER_H
#define KT_SRC_VHDL_VHDL_LEXER_H

#include <cstddef>

namespace kt::vhdl {

struct Token {
    const char *text; // zero-terminated
    size_t len;
};

enum CharClass : unsigned char { kWordChar, kSpaceChar, kDelimiterChar, kLineEndChar, kZeroChar };
struct CharClasses {
    unsigned char of[256];
};
extern const CharClasses kCharClass;

class Lexer {
public:
    // line[len - 1] is "\n".
    Lexer(char *line, size_t len) : line_(line), held_at_(len - 1) {}
    ~Lexer() { line_[held_at_] = held_; }

    // The next token; false at the end of the line.
    bool next(Token &token) {
        line_[held_at_] = held_;
        const auto *s = reinterpret_cast<const unsigned char *>(line_);
        size_t i = pos_;
        while (kCharClass.of[s[i]] == kSpaceChar)
            ++i;
        size_t start = i;
        switch (kCharClass.of[s[i]]) {
        case kLineEndChar:
        case kZeroChar:
            pos_ = i;
            return false;
        case kDelimiterChar:
            ++i;
            break;
        default:
            while (kCharClass.of[s[i]] == kWordChar)
                ++i;
            if (i - start >= 2 && s[start] == '-' && s[start + 1] == '-') {
                pos_ = start; // the rest of the line is a comment
                return false;
            }
            break;
        }
        held_at_ = i;
        held_ = line_[i];
        line_[i] = '\0';
        pos_ = i;
        token.text = line_ + start;
        token.len = i - start;
        return true;
    }

private:
    char *line_;
    size_t pos_ = 0;
    size_t held_at_; // the byte replaced behind the last token
    char held_ = '\n';
};

} // namespace kt::vhdl

#endif
